#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
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
    // Folders outside the library the user confirmed for this install,
    // where records whose seal cannot be proven may have it act.
    QStringList allowedOutside = {};
    // Set (from any thread) to cancel: the archive being installed is rolled
    // back, the ones not yet begun are left as they were.
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
};

} // namespace packshelf
