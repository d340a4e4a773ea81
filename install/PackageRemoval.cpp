#include "install/PackageRemoval.h"

#include <algorithm>

#include "install/records/LibraryRecords.h"
#include "install/transaction/LibraryChange.h"
#include "install/transaction/VersionHistory.h"

namespace packshelf {

namespace {

// The latest other package of the same root with a file below `folder`.
QString laterHolderOf(const QString& folder, const Manifest& package,
                      const std::vector<Manifest>& manifests, const VersionHistory& history) {
    const QString prefix = folder + QLatin1Char('/');
    for (auto other = manifests.rbegin(); other != manifests.rend(); ++other) {
        const Manifest* current = history.package(other->archive);
        if (!current || current->archive == package.archive || current->root != package.root ||
            !current->whole)
            continue;
        for (const Manifest::File& file : current->files) {
            if (file.written() && file.path.startsWith(prefix))
                return current->archive;
        }
    }
    return {};
}

} // namespace

Status planUninstall(const Manifest& package, VersionHistory& history, LibraryChange& change,
                     LibraryRecords& records, std::vector<Manifest>& manifests,
                     RemovalOutcome& outcome) {
    LayerRemoval layers(history, change);
    for (const Manifest::File& file : package.files) {
        if (Status removed = layers.remove(package, file, outcome); !removed)
            return removed;
    }
    for (auto folder = package.folders.crbegin(); folder != package.folders.crend(); ++folder) {
        const QString holder = laterHolderOf(*folder, package, manifests, history);
        if (holder.isEmpty()) {
            change.removeEmptyFolder({package.destination, *folder});
            continue;
        }
        Manifest& later = history.editPackage(holder);
        if (!later.folders.contains(*folder)) {
            later.folders.append(*folder);
            std::stable_sort(later.folders.begin(), later.folders.end(),
                             [](const QString& a, const QString& b) {
                                 return a.count(QLatin1Char('/')) < b.count(QLatin1Char('/'));
                             });
        }
    }
    if (outcome.notRemoved.isEmpty()) {
        history.dropPackage(package.archive);
        change.dropRecord(package.archive);
    } else {
        // It keeps what it could not give back, and no folder: those go
        // with the files.
        Manifest& kept = history.editPackage(package.archive);
        std::erase_if(kept.files, [&](const Manifest::File& file) {
            return !outcome.notRemoved.contains(file.path);
        });
        kept.folders.clear();
    }
    for (const Manifest& record : history.editedRecords()) {
        if (Status written = change.writeRecord(record); !written)
            return written;
    }
    return layers.dropUnnamed(records, manifests);
}

} // namespace packshelf
