#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include "core/Result.h"
#include "core/Warnings.h"

namespace packshelf {

// Archives dropped on the window, to be copied into the source folder. It
// is made on the main thread and then belongs to the thread that copies.
class ArchiveImport {
    Q_DECLARE_TR_FUNCTIONS(ArchiveImport)

public:
    ArchiveImport(const QStringList& files, const QString& folder);

    // Whether a path names a zip, 7z or RAR archive (by its extension, as the scan
    // tells archives), and the path it would get in the source folder.
    static bool isArchive(const QString& path);
    static QString targetIn(const QString& folder, const QString& path);

    // Copies every file; each one appears in the folder whole or not at
    // all, replacing a file of its name. Answers a line for each file that
    // could not be copied.
    Warnings run() const;

    qsizetype size() const { return m_files.size(); }

private:
    static Status copyOne(const QString& from, const QString& to);

    QStringList m_files;
    QString m_folder;
};

} // namespace packshelf
