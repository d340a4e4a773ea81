#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

#include "install/LibraryVerify.h"

namespace packshelf {

class Executor;

// What repairing one package did.
struct RepairOutcome {
    QString archive;
    int rewritten = 0; // files written again from the archive
    // The user's versions of the files rewritten, kept before they were
    // (absolute paths, in the records folder): each where it was, each.
    QStringList keptFrom;
    QStringList keptAs;
    QString problem;                  // why nothing was written; the library is then as it was
    std::vector<FileCheck> remaining; // files still not as installed afterwards
    QStringList unfinished;           // what the change left for the next command to finish
    // The package is in a folder outside the library that needs the user's
    // word first: nothing was done.
    QString needsConfirmation;

    bool repaired() const { return problem.isEmpty() && remaining.empty() && unfinished.isEmpty(); }
};

struct RepairReport {
    std::vector<RepairOutcome> packages; // in the order asked
    QStringList problems;                // records that cannot be read
    QStringList notInstalled;            // names asked for that are not installed
    QStringList unreadable;              // names asked for whose record cannot be read
};

struct RepairOptions {
    QStringList allowedOutside; // folders outside the library the user confirmed
    std::function<void(const QString&)> waiting;
    const std::atomic<bool>* cancel = nullptr;
};

// Under the change lock, writes the files of each package of `names` that
// are changed, missing or not a file any more again from its archive in
// `sourceDir`, only when that archive is the one the record names (name,
// size and listing digest). The files are staged beside their places,
// checked against their CRC-32, and put in place as one change through the
// journal; what stood in a file's place is kept first, in a new folder of
// the records folder, "repaired-TIME-…/", and named in the outcome. A
// package whose repair fails is left as it was. Fails when the library
// cannot be changed. `workDir` is where a nested archive too large for
// memory goes while it is read (the system's temporary folder when empty).
// Usable from a worker thread; the records are read side by side on
// `executor`.
Status repairPackages(const QString& library, const QStringList& names, const QString& sourceDir,
                      const QString& workDir, Executor& executor, RepairReport* report,
                      const RepairOptions& options = {});

} // namespace packshelf
