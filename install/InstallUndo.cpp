#include "install/InstallUndo.h"

#include <algorithm>

#include "core/EngineText.h"
#include "install/InstalledPackages.h"

namespace packshelf {

std::optional<InstallRunSummary> lastInstallRun(const std::vector<Manifest>& manifests) {
    const auto latest = std::max_element(
        manifests.begin(), manifests.end(),
        [](const Manifest& a, const Manifest& b) { return a.sequence < b.sequence; });
    if (latest == manifests.end() || latest->run.isEmpty())
        return std::nullopt;
    std::vector<const Manifest*> run;
    for (const Manifest& manifest : manifests) {
        if (manifest.run == latest->run)
            run.push_back(&manifest);
    }
    std::sort(run.begin(), run.end(),
              [](const Manifest* a, const Manifest* b) { return a->sequence > b->sequence; });
    InstallRunSummary summary{latest->run, {}, latest->installed};
    for (const Manifest* manifest : run)
        summary.packages.append(manifest->archive);
    return summary;
}

bool UndoReport::complete() const {
    return problems.isEmpty() && !nothingToUndo &&
           std::all_of(packages.begin(), packages.end(), [](const Package& package) {
               return package.problem.isEmpty() && package.removal.complete() &&
                      package.removal.needsConfirmation.isEmpty();
           });
}

Result<std::optional<InstallRunSummary>>
describeLastRun(const QString& library, Executor& executor,
                const std::function<void(const QString&)>& waiting) {
    InstalledPackages installed(library, executor);
    if (const Status opened = installed.open(LibraryLock::Access::Read, waiting); !opened)
        return opened.failure();
    return lastInstallRun(installed.manifests());
}

Status undoLastInstall(const QString& library, Executor& executor, UndoReport* report,
                       const UndoOptions& options) {
    InstalledPackages installed(library, executor, DestinationTrust(options.allowedOutside));
    const Status opened = installed.open(
        options.dryRun ? LibraryLock::Access::Read : LibraryLock::Access::Change, options.waiting);
    report->problems = installed.problems();
    if (!opened)
        return opened;
    report->run = lastInstallRun(installed.manifests());
    report->nothingToUndo = !report->run;
    if (!report->run || options.dryRun)
        return {};
    if (!options.expectedRun.isEmpty() && report->run->run != options.expectedRun)
        return fail(EngineText::tr("the last install run into %1 is no longer the one shown; "
                                   "nothing was taken back")
                        .arg(library));
    for (const QString& archive : report->run->packages) {
        UndoReport::Package& done = report->packages.emplace_back();
        done.archive = archive;
        Result<RemovalOutcome> removed = installed.uninstall(archive);
        if (removed)
            done.removal = std::move(*removed);
        else
            done.problem = removed.reason();
    }
    return {};
}

} // namespace packshelf
