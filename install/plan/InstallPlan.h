#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/Result.h"
#include "core/Warnings.h"
#include "install/plan/ArchiveView.h"
#include "install/plan/CopyPlan.h"

namespace packshelf {

// One file an install writes.
struct PlannedFile {
    QString target; // path under the plan's root, names joined with "/"
    EntrySource source;
    const IndexEntry* entry = nullptr; // size, CRC-32, date
    QString named; // the path as the archive spells it (it may differ in letter case)
};

// Everything an install of one archive writes, worked out before anything
// is written: a value that can be printed, compared and carried out.
struct InstallPlan {
    QString root;        // the library, or the archive's own destination
    QStringList folders; // folders made or merged into, parents first
    std::vector<PlannedFile> files;
    Warnings warnings; // what the install does that the archive does not say as it is
    // Set only by the three-argument planInstall(), for the callers that
    // have not moved to the one that answers a Result: why the plan cannot
    // be carried out, and the path in the archive or under the root that it
    // concerns.
    QString problem;
    QString problemPath;

    bool ok() const { return problem.isEmpty(); }
    quint64 bytes() const;
};

// The first component of a library path that PackShelf keeps for itself:
// the folder of its records.
inline constexpr char LibraryRecordsFolder[] = ".packshelf";
// Files and folders an install is writing are named with this prefix, the
// writing process's id and a random part, until they take their names.
inline constexpr char StagingPrefix[] = ".packshelf-partial-";

// The plan of a record whose copy plan is `copy`, over its archive `view`
// (the file `archiveName`): every entry of the Runtime (or forced) holder
// and of the Data holder, junk names and the folders the copy plan leaves
// out (CopyPlan::leavesOut) aside at that level, into `destDir`;
// or the direct source, whole, under the direct destination with its path
// kept. Fails when nothing may be written, naming the path concerned: a
// path in the archive after the archive's name, one under the root whole.
Result<InstallPlan> planInstall(const CopyPlan& copy, ArchiveView& view, const QString& destDir,
                                const QString& archiveName);

// The same, with a failure told in the plan's `problem` and `problemPath`.
InstallPlan planInstall(const CopyPlan& copy, ArchiveView& view, const QString& destDir);

} // namespace packshelf
