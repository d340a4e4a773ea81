#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "core/Result.h"
#include "install/records/Manifest.h"
#include "install/transaction/LayerRemoval.h"

namespace packshelf {

class Executor;

// One install run as an undo names it: the packages whose records name it,
// latest first, and when the latest of them was installed.
struct InstallRunSummary {
    QString run;
    QStringList packages;
    QString installed; // ISO 8601, UTC
};

// The last install run of the records: that of the latest record. Nothing
// when there is no record, or the latest names no run (it was written
// before runs were recorded).
std::optional<InstallRunSummary> lastInstallRun(const std::vector<Manifest>& manifests);

// What taking back an install run did, package by package, latest first.
struct UndoReport {
    struct Package {
        QString archive;
        RemovalOutcome removal;
        QString problem; // why its change was not made; the package is then as it was
    };
    std::optional<InstallRunSummary> run; // the run taken back
    std::vector<Package> packages;
    QStringList problems; // records that cannot be read
    bool nothingToUndo = false;

    // Every file of every package was removed or restored.
    bool complete() const;
};

struct UndoOptions {
    // The run the user was shown; when another is last now, nothing is done.
    QString expectedRun;
    // Only say which run would be taken back.
    bool dryRun = false;
    QStringList allowedOutside; // folders outside the library the user confirmed
    std::function<void(const QString&)> waiting;
};

// For the window's question: the last install run of `library`, read under
// the shared lock, writing nothing; nothing when there is none.
Result<std::optional<InstallRunSummary>>
describeLastRun(const QString& library, Executor& executor,
                const std::function<void(const QString&)>& waiting = nullptr);

// Under the change lock, takes out the packages of the last install run of
// `library` (see lastInstallRun), latest first, each exactly as an
// uninstall does: what they replaced comes back, what the user changed
// since is kept. Run again, it takes back the run before. Fails when the
// library cannot be changed, or the last run is not `expectedRun`.
// Usable from a worker thread.
Status undoLastInstall(const QString& library, Executor& executor, UndoReport* report,
                       const UndoOptions& options = {});

} // namespace packshelf
