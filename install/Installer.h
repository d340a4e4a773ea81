#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "analysis/MainThreadCall.h"
#include "install/InstallJob.h"

namespace packshelf {

// How the installer reports, from its own thread.
struct InstallCallbacks {
    // After each archive that ended installed, with its "FILENAME"; meant to
    // be posted to the main thread without waiting.
    std::function<void(QString fileName)> copyStep;
    // Once at the end, with every record of the job in its order; meant to
    // be posted to the main thread and waited for, so that the records
    // belong to the receiver from then on.
    std::function<void(std::vector<ArchiveItem> items)> copyDone;
};

// The body of the installer thread. For each record in order: expands its
// archive afresh in a private folder inside the work folder, expands the
// archives at the top of that expansion, copies what the record's plan
// names into the destination folder (or the record's own destination) with
// the merging copy, removes the expansion folder, and marks the record:
//   - "STATE" 9 (Installed), then `copyStep`; an archive nested at the top
//     that failed leaves "ERROR" 1 or 2 and "INFO" "Failed!" in it;
//   - "STATE" -1 with "INFO" "Failed!" and "ERROR" 1 when the archive cannot
//     be opened, 2 when it cannot be expanded, 3 when a planned source is
//     missing or a copy fails. Files already merged stay, each whole.
// Then `copyDone` with all the records. Every failure is logged with the
// path that failed; a failure never stops the install.
void installerThread(InstallJob job, const InstallCallbacks& callbacks);

// Callbacks that hand the reports to the thread of `mainThread`: each step
// is posted without waiting, the completion runs there while the installer
// waits for it. The installer must run on another thread.
InstallCallbacks callbacksThrough(MainThreadCall& mainThread,
                                  std::function<void(QString fileName)> copyStep,
                                  std::function<void(std::vector<ArchiveItem> items)> copyDone);

} // namespace packshelf
