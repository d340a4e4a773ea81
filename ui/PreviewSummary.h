#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/Result.h"
#include "install/InstallPreview.h"

namespace packshelf {

// What an install of the ready archives would do to the library, gathered
// from the engine's preview for the window: per archive and in total, how
// many files are added, replaced and left the same, the installed packages
// whose files are replaced, and the archives of the same install that
// write the same files.
class PreviewSummary {
    Q_DECLARE_TR_FUNCTIONS(PreviewSummary)

public:
    using Kind = LibraryTransaction::Change::Kind;

    struct Archive {
        QString name;
        Status installable; // fails with why it cannot be installed
        int added = 0;
        int replaced = 0;
        int same = 0;
        QStringList installedConflicts; // installed packages whose files it replaces
        QStringList batchConflicts;     // archives of this install that write its files too
        bool unchanged = false;         // installed from this very archive and unchanged
    };

    static PreviewSummary of(std::vector<PackagePreview> previews);

    const std::vector<PackagePreview>& previews() const { return m_previews; }
    const std::vector<Archive>& archives() const { return m_archives; }
    const Archive* archive(const QString& name) const;
    // The archive of this install that writes `path` just before `archive`.
    QString earlierWriter(const QString& archive, const QString& path) const;

    // The info box's lines for one archive.
    QString archiveText(const QString& name) const;
    // The confirmation's lines: the archives installed and those left
    // alone as installed and unchanged, the files in total, the conflicts,
    // the archives that cannot be installed.
    QString archivesText() const;
    QString totalsText() const;
    QString conflictsText() const;
    QString problemsText() const;

    static QString filesText(int added, int replaced, int same);
    static QString actionText(Kind kind);

private:
    std::vector<PackagePreview> m_previews;
    std::vector<Archive> m_archives;
    // "archive\npath" (case-folded) -> the archive that writes it before.
    QHash<QString, QString> m_earlierWriters;
};

} // namespace packshelf
