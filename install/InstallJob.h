#pragma once

#include <QString>
#include <vector>

#include "analysis/ArchiveItem.h"

namespace packshelf {

// What the installer is given: the three folders as they stood when the
// install started, and the records taken for it, in list order. The records
// are values: the installer owns them until it hands them back with
// `copyDone`.
struct InstallJob {
    QString sourceDir;              // "SOURCEDIR": holds the archives
    QString destDir;                // "DESTDIR": the content library
    QString workDir;                // "WORKDIR": scratch space for the expansions
    std::vector<ArchiveItem> items; // "ITEMS"
};

} // namespace packshelf
