#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "install/journal/LibraryJournal.h"
#include "install/records/Manifest.h"

namespace packshelf {

class LibraryRecords;

// What taking files of a package out of the library did.
// The counts are of what happened on disk, once the journal has run.
struct RemovalOutcome {
    int removed = 0;            // files the package wrote, removed
    int restored = 0;           // files it had replaced, given back
    int handedOn = 0;           // files a later package wrote over, left to it
    QStringList kept;           // files left as they are (absolute paths)...
    QStringList keptReasons;    // ...and why, one each
    QStringList changedRecords; // archives whose records now say more
    QStringList notRemoved;     // the package's files kept as it wrote them (record paths)

    void keep(const QString& path, const QString& reason);
    // Adds what the journal's removals and restores really did.
    void countResults(const LibraryJournal& journal, const QString& root);
};

// The backup `backup` of a package, as a path below the library.
RootedPath backupPath(const LibraryRecords& records, const Manifest& package,
                      const QString& backup);

// Plans, into `journal`, taking the files `files` of the installed
// package `package` out of the library: a file still as the package wrote
// it is removed, or the version it replaced is put back from the backup; a
// file a later package wrote over stays that package's, whose record then
// points at what was there before; a file changed since the install is
// kept. Records of other packages in `others` are changed in place; their
// names are in the outcome's `changedRecords`.
RemovalOutcome planRemoval(const Manifest& package, const std::vector<const Manifest::File*>& files,
                           std::vector<Manifest>& others, const LibraryRecords& records,
                           LibraryJournal& journal);

// True when every file the package recorded is in the library as it
// recorded it (size and time, or else the CRC-32).
bool isAsRecorded(const Manifest& package);

// Every file of the package, for a whole uninstall.
std::vector<const Manifest::File*> allFiles(const Manifest& package);

// Plans the whole uninstall of `package`: its files, the folders it made
// that are left empty (a folder that still holds another package's files
// is handed on to that package, which removes it once empty), its backups
// and its record.
RemovalOutcome planUninstall(const Manifest& package, std::vector<Manifest>& others,
                             const LibraryRecords& records, LibraryJournal& journal);

} // namespace packshelf
