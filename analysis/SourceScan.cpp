#include "analysis/SourceScan.h"

#include <QFileInfo>

#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"
#include "archive/ArchiveFormat.h"

namespace packshelf {

SourceScan scanSourceFolder(const QString& sourcePath) {
    SourceScan scan;
    if (!QFileInfo(sourcePath).isDir())
        return scan;
    const Result<std::vector<ListedName>> names = listFolder(sourcePath);
    if (!names) {
        scan.error = names.reason();
        scan.outcome = SourceScan::Outcome::ListingFailed;
        return scan;
    }
    scan.outcome = SourceScan::Outcome::Listed;
    for (const ListedName& entry : *names) {
        if (hasArchiveExtension(entry.name) || isStreamArchiveName(entry.name)) {
            scan.fileNames.append(entry.name);
            scan.nativeNames.append(entry.native);
        }
    }
    return scan;
}

} // namespace packshelf
