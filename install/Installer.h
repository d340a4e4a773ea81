#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "core/MainThreadCall.h"
#include "install/InstallJob.h"

namespace packshelf {

class Executor;

// How the installer reports, from its own thread.
struct InstallCallbacks {
    // Before each archive is installed, with its "FILENAME"; meant to be
    // posted to the main thread without waiting.
    std::function<void(QString fileName)> copyBegins;
    // After each archive that ended installed, with its "FILENAME"; meant to
    // be posted to the main thread without waiting.
    std::function<void(QString fileName)> copyStep;
    // Once at the end, with every record of the job in its order; meant to
    // be posted to the main thread and waited for, so that the records
    // belong to the receiver from then on.
    std::function<void(std::vector<ArchiveItem> items)> copyDone;
    // As files are written: the file's path as the plan names it and the
    // bytes of it just written; called on the installer's thread, for every
    // piece of every file, so a receiver elsewhere thins the reports out.
    std::function<void(const QString& file, quint64 bytes)> written;
    // Before the run waits for another process that holds the library,
    // with a line saying so; called on the installer's thread.
    std::function<void(const QString& line)> waiting;
};

// The body of the installer thread. For each record in order: reads its
// archive's index, plans what its copy plan names (into the destination
// folder, or the record's own destination), and carries the plan out as
// one unit (see LibraryTransaction); then marks the record:
//   - "STATE" 9 (Installed), then `copyStep`; an archive nested at the top
//     that could not be read leaves "ERROR" 1 or 2, "INFO" "Failed!" and a
//     "WARNING" line naming it;
//   - "STATE" -1 with "INFO" "Failed!", "REASON" and "ERROR" 1 when the
//     archive cannot be opened, 2 when its data is damaged, 3 when the plan
//     cannot be carried out (a missing source, a file in the way, no room);
//     the library is then exactly as it was.
// A cancel (the job's flag) rolls back the archive being installed and
// leaves it and the ones after it as they were. Then `copyDone` with all
// the records. Every failure is logged with the path that failed.
// The library's records are read side by side on `executor`.
void installerThread(InstallJob job, const InstallCallbacks& callbacks, Executor& executor);

// Callbacks that hand the reports to the thread of `mainThread`: each step
// is posted without waiting, the completion runs there while the installer
// waits for it. The installer must run on another thread.
InstallCallbacks callbacksThrough(MainThreadCall& mainThread,
                                  std::function<void(QString fileName)> copyBegins,
                                  std::function<void(QString fileName)> copyStep,
                                  std::function<void(std::vector<ArchiveItem> items)> copyDone);
// The same without the report before each archive.
InstallCallbacks callbacksThrough(MainThreadCall& mainThread,
                                  std::function<void(QString fileName)> copyStep,
                                  std::function<void(std::vector<ArchiveItem> items)> copyDone);

} // namespace packshelf
