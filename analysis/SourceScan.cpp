#include "analysis/SourceScan.h"

#include <QFileInfo>

#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"

namespace packshelf {

SourceScan scanSourceFolder(const QString& sourcePath) {
    SourceScan scan;
    if (!QFileInfo(sourcePath).isDir())
        return scan;
    const auto names = sortedEntryNames(sourcePath, &scan.error);
    if (!names) {
        scan.outcome = SourceScan::Outcome::ListingFailed;
        return scan;
    }
    scan.outcome = SourceScan::Outcome::Listed;
    for (const QString& name : *names) {
        if (hasArchiveExtension(name))
            scan.fileNames.append(name);
    }
    return scan;
}

} // namespace packshelf
