#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "archive/ZipHandles.h"
#include "install/Manifest.h"

namespace packshelf {

// The library's own folder, DEST/.packshelf: a manifest per installed
// package ("<id>.json"), the files the packages replaced
// ("backup/<id>/…"), and the journals of changes under way. Records are
// written through a temporary file and a rename, so a crash never leaves
// one torn; a change that touches several files and records is written as
// a journal first and carried out from it, so that the next run can finish
// what a killed one began.
class LibraryRecords {
public:
    static constexpr char BackupFolder[] = "backup";
    // Lists, one absolute path a line, the library folders an install
    // stages in, named with the staging prefix and this ending.
    static constexpr char StagingLogSuffix[] = ".staged";

    explicit LibraryRecords(QString library);

    QString library() const { return m_library; }
    // The records folder (made when needed).
    QString folder() const;
    QString recordPath(const QString& archive) const;
    QString backupFolderOf(const QString& archive) const;

    // Waits until no other process changes the library, and holds it while
    // this object lives. False when the library cannot be locked.
    bool lock(QString* problem);

    // Finishes the journals that ended processes left, and removes what
    // they staged.
    void recover();

    // Every record that can be read; each one that cannot (unreadable, torn,
    // edited by hand) is named in `problems`, and its package is unknown.
    std::vector<Manifest> load(QStringList* problems) const;
    // The highest sequence number given so far.
    static qint64 lastSequence(const std::vector<Manifest>& manifests);

    // The record's file name in the records folder.
    QString recordName(const QString& archive) const;
    // Writes the record under a staging name in the records folder, synced,
    // and answers that name; empty, with `problem` set, when it cannot.
    QString stage(const Manifest& manifest, QString* problem) const;
    bool remove(const QString& archive) const;

private:
    QString m_library;
    handles::UniqueFd m_lock;
};

} // namespace packshelf
