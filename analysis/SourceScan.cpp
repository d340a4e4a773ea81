#include "analysis/SourceScan.h"

#include <QFileInfo>

#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"
#include "archive/ArchiveFormat.h"
#include "core/EngineText.h"

namespace packshelf {

Result<SourceScan> scanSourceFolder(const QString& sourcePath) {
    const QFileInfo folder(sourcePath);
    if (!folder.exists())
        return fail(EngineText::tr("it does not exist"));
    if (!folder.isDir())
        return fail(EngineText::tr("it is not a folder"));
    const Result<std::vector<ListedName>> names = listFolder(sourcePath);
    if (!names)
        return names.failure();
    SourceScan scan;
    scan.folder = sourcePath;
    for (const ListedName& entry : *names) {
        if (hasArchiveExtension(entry.name) || isStreamArchiveName(entry.name)) {
            scan.fileNames.append(entry.name);
            scan.nativeNames.append(entry.native);
        }
    }
    return scan;
}

} // namespace packshelf
