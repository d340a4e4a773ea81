#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "core/MainThreadCall.h"
#include "core/Result.h"
#include "core/SerialLane.h"
#include "install/InstallJob.h"
#include "install/InstallPreview.h"
#include "install/InstallUndo.h"
#include "install/LibraryVerify.h"
#include "install/PackageRemoval.h"
#include "install/PackageRepair.h"
#include "install/records/Manifest.h"

namespace packshelf {

class Executor;

// The window's work on the library, off the main thread: the preview of an
// install, the installed packages with the source archives they came from,
// and uninstalls. Jobs run one at a time, in the order given, on a serial
// lane of the application's executor, so that a job waiting for the
// library's lock keeps no analysis waiting; each job owns its inputs and
// hands its result to the main thread, where `done` runs.
class LibraryJobs : public QObject {
    Q_OBJECT
public:
    // An archive of the source folder, to be matched with the records.
    struct SourceArchive {
        QString fileName;
        QByteArray nativePath;
    };

    // What a job reports keeps its Status beside what it found on the way:
    // a verification that could not read the whole library still names the
    // packages it checked.

    // The library as read: its packages, the records that cannot be read,
    // and the listed archives a package was installed from, with the time
    // of that install (ISO 8601).
    struct Snapshot {
        QString library;
        bool missing = false; // the library folder does not exist
        Status opened;        // whether the library could be opened
        std::vector<Manifest> manifests;
        QStringList unreadable;
        QHash<QString, QString> installedFrom;
    };

    // What uninstalling one package did.
    struct Removal {
        QString archive;
        bool found = false; // the library still had it
        RemovalOutcome outcome;
        QStringList problems;
    };

    // What verifying every package found, and whether the library could be
    // read.
    struct Verification {
        Status status;
        VerifyReport report;
    };
    // What repairing packages did, and whether the library could be changed.
    struct Repairing {
        Status status;
        RepairReport report;
    };
    // What taking back the last install run did, and whether it could.
    struct Undoing {
        Status status;
        UndoReport report;
    };

    struct UninstallReport {
        Status opened; // whether the library could be opened
        std::vector<Removal> removals;
    };

    // Jobs run on `executor` and hand their results over through
    // `mainThread`. Its owner waits until it is idle before it goes (the
    // results of the jobs still under way would reach it afterwards).
    LibraryJobs(Executor& executor, MainThreadCall& mainThread, QObject* parent = nullptr);

    void preview(InstallJob job, std::function<void(std::vector<PackagePreview>)> done);
    void readInstalled(QString library, std::vector<SourceArchive> archives,
                       std::function<void(Snapshot)> done);
    // Uninstalls the packages of `archives`, in that order. A package in a
    // folder outside the library whose record cannot prove this user's
    // PackShelf wrote it is left alone unless the user confirmed its folder
    // (in `allowedOutside`): its removal names the folder in
    // `outcome.needsConfirmation`, for the window to ask.
    void uninstall(QString library, QStringList archives, std::function<void(UninstallReport)> done,
                   QStringList allowedOutside = {});

    // Checks every file of every package against its record.
    void verify(QString library, std::function<void(Verification)> done);
    // Writes the changed and missing files of the packages of `archives`
    // again from their archives in `sourceDir`.
    void repair(QString library, QStringList archives, QString sourceDir, QString workDir,
                std::function<void(Repairing)> done, QStringList allowedOutside = {});
    // Takes the packages of the last install run out, latest first; with
    // `expectedRun`, only when that run (see lastRun) is still the last.
    void undoLastRun(QString library, std::function<void(Undoing)> done, QString expectedRun = {},
                     QStringList allowedOutside = {});
    // The last install run of the library, for a question that names it:
    // its packages, how many and when; nothing when there is none.
    struct LastRun {
        Status status; // whether the library could be read
        std::optional<InstallRunSummary> run;
    };
    void lastRun(QString library, std::function<void(LastRun)> done);

    Executor& executor() { return m_executor; }

    // Jobs handed in whose results have not reached the main thread yet.
    bool busy() const { return m_pending > 0; }

signals:
    // A job waits for another process that holds the library; the line
    // says which.
    void waitingForLibrary(const QString& line);

private:
    // Hands a waiting line to the main thread.
    std::function<void(const QString&)> waitingReport();

    template <typename Result>
    void run(std::function<Result()> work, std::function<void(Result)> done);

    int m_pending = 0;
    Executor& m_executor;
    MainThreadCall& m_mainThread;
    // Declared last: destroyed first, once every job has ended.
    SerialLane m_lane;
};

} // namespace packshelf
