#include "install/InstallUndo.h"

#include <algorithm>

#include "install/InstalledPackages.h"
#include "install/records/LibraryRecords.h"

namespace packshelf {

QStringList lastInstallRun(const std::vector<Manifest>& manifests) {
    const auto latest = std::max_element(
        manifests.begin(), manifests.end(),
        [](const Manifest& a, const Manifest& b) { return a.sequence < b.sequence; });
    if (latest == manifests.end() || latest->run.isEmpty())
        return {};
    std::vector<const Manifest*> run;
    for (const Manifest& manifest : manifests) {
        if (manifest.run == latest->run)
            run.push_back(&manifest);
    }
    std::sort(run.begin(), run.end(),
              [](const Manifest* a, const Manifest* b) { return a->sequence > b->sequence; });
    QStringList archives;
    for (const Manifest* manifest : run)
        archives.append(manifest->archive);
    return archives;
}

bool UndoReport::complete() const {
    return problems.isEmpty() &&
           std::all_of(packages.begin(), packages.end(), [](const Package& package) {
               return package.problems.isEmpty() && package.removal.kept.isEmpty();
           });
}

Status undoLastInstall(const QString& library, UndoReport* report,
                       const std::function<void(const QString&)>& waiting) {
    InstalledPackages installed(library);
    const Status opened = installed.open(LibraryRecords::Access::Change, waiting);
    report->problems = installed.problems();
    if (!opened)
        return opened;
    const QStringList archives = lastInstallRun(installed.manifests());
    report->nothingToUndo = archives.isEmpty();
    for (const QString& archive : archives) {
        UndoReport::Package& done = report->packages.emplace_back();
        done.archive = archive;
        done.removal = installed.uninstall(archive, &done.problems);
    }
    return {};
}

} // namespace packshelf
