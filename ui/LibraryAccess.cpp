#include "ui/LibraryAccess.h"

#include <QEventLoop>
#include <QFileInfo>

#include "install/InstalledPackages.h"
#include "install/records/RecordInterest.h"

namespace packshelf {

namespace {

LibraryAccess::Snapshot readSnapshot(const QString& library,
                                     const std::vector<LibraryAccess::SourceArchive>& archives,
                                     Executor& executor,
                                     const std::function<void(const QString&)>& waiting) {
    LibraryAccess::Snapshot snapshot;
    snapshot.library = library;
    if (!QFileInfo(library).isDir()) {
        snapshot.missing = true;
        return snapshot;
    }
    // The lock is held only while this object lives: the records are read
    // whole, and nothing waits on the window afterwards.
    InstalledPackages packages(library, executor);
    if (const Status opened = packages.open(LibraryLock::Access::Read, waiting); !opened) {
        snapshot.problem = opened.reason();
        return snapshot;
    }
    snapshot.manifests = packages.manifests();
    snapshot.unreadable = packages.problems();
    QHash<QString, const Manifest*> byArchive;
    for (const Manifest& manifest : snapshot.manifests)
        byArchive.insert(manifest.archive, &manifest);
    for (const LibraryAccess::SourceArchive& archive : archives) {
        const Manifest* manifest = byArchive.value(archive.fileName);
        if (manifest && isInstalledFrom(*manifest, archive.fileName, archive.nativePath))
            snapshot.installedFrom.insert(archive.fileName, manifest->installed);
    }
    return snapshot;
}

LibraryAccess::UninstallReport removePackages(const QString& library, const QStringList& archives,
                                              const QStringList& allowedOutside, Executor& executor,
                                              const std::function<void(const QString&)>& waiting) {
    LibraryAccess::UninstallReport report;
    RecordInterest interest;
    for (const QString& archive : archives)
        interest.addArchive(archive);
    InstalledPackages packages(library, executor, DestinationTrust(allowedOutside));
    const Status opened = QFileInfo(library).isDir()
                              ? packages.open(LibraryLock::Access::Change, waiting, &interest)
                              : fail(QString());
    if (!opened) {
        report.problem = opened.reason();
        for (const QString& problem : packages.problems())
            report.problem += QLatin1Char('\n') + problem;
        if (report.problem.isEmpty())
            report.problem = library;
        return report;
    }
    for (const QString& archive : archives) {
        LibraryAccess::Removal removal;
        removal.archive = archive;
        removal.found = packages.contains(archive);
        if (!removal.found)
            continue;
        Result<RemovalOutcome> outcome = packages.uninstall(archive);
        if (outcome)
            removal.outcome = std::move(*outcome);
        else
            removal.problems << outcome.reason();
        report.removals.push_back(std::move(removal));
    }
    return report;
}

} // namespace

LibraryAccess::LibraryAccess(Executor& executor, QObject* parent)
    : QObject(parent)
    , m_executor(executor)
    , m_lane(executor) {}

LibraryAccess::~LibraryAccess() {
    waitUntilIdle();
}

void LibraryAccess::waitUntilIdle() {
    if (m_pending == 0)
        return;
    QEventLoop wait;
    connect(this, &LibraryAccess::idle, &wait, &QEventLoop::quit);
    wait.exec();
}

std::function<void(const QString&)> LibraryAccess::waitingReport() {
    return [this](const QString& line) {
        m_mainThread.post([this, line] { emit waitingForLibrary(line); });
    };
}

// The result travels by value from the job's thread to the main thread.
template <typename Result>
void LibraryAccess::run(std::function<Result()> work, std::function<void(Result)> done) {
    ++m_pending;
    m_lane.start([this, work = std::move(work), done = std::move(done)]() mutable {
        m_mainThread.post([this, result = work(), done = std::move(done)]() mutable {
            --m_pending;
            done(std::move(result));
            if (m_pending == 0)
                emit idle();
        });
    });
}

void LibraryAccess::preview(InstallJob job, std::function<void(std::vector<PackagePreview>)> done) {
    run<std::vector<PackagePreview>>(
        [job = std::move(job), &executor = m_executor] { return previewInstall(job, executor); },
        std::move(done));
}

void LibraryAccess::readInstalled(QString library, std::vector<SourceArchive> archives,
                                  std::function<void(Snapshot)> done) {
    run<Snapshot>(
        [library = std::move(library), archives = std::move(archives), &executor = m_executor,
         waiting = waitingReport()] { return readSnapshot(library, archives, executor, waiting); },
        std::move(done));
}

void LibraryAccess::uninstall(QString library, QStringList archives,
                              std::function<void(UninstallReport)> done,
                              QStringList allowedOutside) {
    run<UninstallReport>(
        [library = std::move(library), archives = std::move(archives),
         allowedOutside = std::move(allowedOutside), &executor = m_executor,
         waiting = waitingReport()] {
            return removePackages(library, archives, allowedOutside, executor, waiting);
        },
        std::move(done));
}

void LibraryAccess::verify(QString library, std::function<void(Verification)> done) {
    run<Verification>(
        [library = std::move(library), &executor = m_executor, waiting = waitingReport()] {
            Verification verification;
            const Status verified = verifyLibrary(library, {}, VerifyDepth::Quick, false, executor,
                                                  &verification.report, waiting);
            if (!verified)
                verification.problem = verified.reason().isEmpty() ? library : verified.reason();
            return verification;
        },
        std::move(done));
}

void LibraryAccess::repair(QString library, QStringList archives, QString sourceDir,
                           QString workDir, std::function<void(Repairing)> done,
                           QStringList allowedOutside) {
    run<Repairing>(
        [library = std::move(library), archives = std::move(archives),
         sourceDir = std::move(sourceDir), workDir = std::move(workDir),
         allowedOutside = std::move(allowedOutside), &executor = m_executor,
         waiting = waitingReport()] {
            Repairing repairing;
            RepairOptions options;
            options.allowedOutside = allowedOutside;
            options.waiting = waiting;
            const Status repaired = repairPackages(library, archives, sourceDir, workDir, executor,
                                                   &repairing.report, options);
            if (!repaired)
                repairing.problem = repaired.reason().isEmpty() ? library : repaired.reason();
            return repairing;
        },
        std::move(done));
}

void LibraryAccess::lastRun(QString library, std::function<void(LastRun)> done) {
    run<LastRun>(
        [library = std::move(library), &executor = m_executor, waiting = waitingReport()] {
            LastRun last;
            Result<std::optional<InstallRunSummary>> read =
                describeLastRun(library, executor, waiting);
            if (read)
                last.run = std::move(*read);
            else
                last.problem = read.reason().isEmpty() ? library : read.reason();
            return last;
        },
        std::move(done));
}

void LibraryAccess::undoLastRun(QString library, std::function<void(Undoing)> done,
                                QString expectedRun, QStringList allowedOutside) {
    run<Undoing>(
        [library = std::move(library), expectedRun = std::move(expectedRun),
         allowedOutside = std::move(allowedOutside), &executor = m_executor,
         waiting = waitingReport()] {
            Undoing undoing;
            UndoOptions options;
            options.expectedRun = expectedRun;
            options.allowedOutside = allowedOutside;
            options.waiting = waiting;
            const Status undone = undoLastInstall(library, executor, &undoing.report, options);
            if (!undone)
                undoing.problem = undone.reason().isEmpty() ? library : undone.reason();
            return undoing;
        },
        std::move(done));
}

} // namespace packshelf
