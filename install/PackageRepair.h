#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

#include "install/LibraryVerify.h"

namespace packshelf {

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

    bool repaired() const { return problem.isEmpty() && remaining.empty(); }
};

struct RepairReport {
    std::vector<RepairOutcome> packages; // in the order asked
    QStringList problems;                // records that cannot be read
    QStringList notInstalled;            // names asked for that are not installed
};

// Under the change lock, writes the files of each package of `names` that
// are changed, missing or not a file any more again from its archive in
// `sourceDir`, only when that archive is the one the record names (name,
// size and listing digest). The files are staged beside their places,
// checked against their CRC-32 and renamed into place only when all are
// staged; what stood in a file's place is first kept, in the records
// folder under "repaired-TIME/", and named in the outcome. A package whose
// repair fails is left as it was. Fails when the library cannot be
// changed. `workDir` is where a nested archive too large
// for memory goes while it is read (the system's temporary folder when
// empty). Usable from a worker thread.
Status repairPackages(const QString& library, const QStringList& names, const QString& sourceDir,
                      const QString& workDir, RepairReport* report,
                      const std::function<void(const QString&)>& waiting = nullptr,
                      const std::atomic<bool>* cancel = nullptr);

} // namespace packshelf
