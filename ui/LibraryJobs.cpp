#include "ui/LibraryJobs.h"

#include <QFileInfo>

#include "install/InstalledPackages.h"
#include "install/records/RecordInterest.h"

namespace packshelf {

namespace {

LibraryJobs::Snapshot readSnapshot(const QString& library,
                                   const std::vector<LibraryJobs::SourceArchive>& archives,
                                   Executor& executor,
                                   const std::function<void(const QString&)>& waiting) {
    LibraryJobs::Snapshot snapshot;
    snapshot.library = library;
    if (!QFileInfo(library).isDir()) {
        snapshot.missing = true;
        return snapshot;
    }
    // The lock is held only while this object lives: the records are read
    // whole, and nothing waits on the window afterwards.
    InstalledPackages packages(library, executor);
    snapshot.opened = packages.open(LibraryLock::Access::Read, waiting);
    if (!snapshot.opened)
        return snapshot;
    snapshot.manifests = packages.manifests();
    snapshot.unreadable = packages.problems();
    QHash<QString, const Manifest*> byArchive;
    for (const Manifest& manifest : snapshot.manifests)
        byArchive.insert(manifest.archive, &manifest);
    for (const LibraryJobs::SourceArchive& archive : archives) {
        const Manifest* manifest = byArchive.value(archive.fileName);
        if (manifest && isInstalledFrom(*manifest, archive.fileName, archive.nativePath))
            snapshot.installedFrom.insert(archive.fileName, manifest->installed);
    }
    return snapshot;
}

LibraryJobs::UninstallReport removePackages(const QString& library, const QStringList& archives,
                                            const QStringList& allowedOutside, Executor& executor,
                                            const std::function<void(const QString&)>& waiting) {
    LibraryJobs::UninstallReport report;
    RecordInterest interest;
    for (const QString& archive : archives)
        interest.addArchive(archive);
    InstalledPackages packages(library, executor, DestinationTrust(allowedOutside));
    const Status opened = QFileInfo(library).isDir()
                              ? packages.open(LibraryLock::Access::Change, waiting, &interest)
                              : fail(QString());
    if (!opened) {
        QString reason = opened.reason();
        for (const QString& problem : packages.problems())
            reason += QLatin1Char('\n') + problem;
        report.opened = fail(reason.isEmpty() ? library : reason);
        return report;
    }
    for (const QString& archive : archives) {
        LibraryJobs::Removal removal;
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

LibraryJobs::LibraryJobs(Executor& executor, MainThreadCall& mainThread, QObject* parent)
    : QObject(parent)
    , m_executor(executor)
    , m_mainThread(mainThread)
    , m_lane(executor) {}

std::function<void(const QString&)> LibraryJobs::waitingReport() {
    return [this](const QString& line) {
        m_mainThread.post([this, line] { emit waitingForLibrary(line); });
    };
}

// The result travels by value from the job's thread to the main thread.
template <typename Result>
void LibraryJobs::run(std::function<Result()> work, std::function<void(Result)> done) {
    ++m_pending;
    m_lane.start([this, work = std::move(work), done = std::move(done)]() mutable {
        m_mainThread.post([this, result = work(), done = std::move(done)]() mutable {
            --m_pending;
            done(std::move(result));
        });
    });
}

void LibraryJobs::preview(InstallJob job, std::function<void(std::vector<PackagePreview>)> done) {
    run<std::vector<PackagePreview>>(
        [job = std::move(job), &executor = m_executor] { return previewInstall(job, executor); },
        std::move(done));
}

void LibraryJobs::readInstalled(QString library, std::vector<SourceArchive> archives,
                                std::function<void(Snapshot)> done) {
    run<Snapshot>(
        [library = std::move(library), archives = std::move(archives), &executor = m_executor,
         waiting = waitingReport()] { return readSnapshot(library, archives, executor, waiting); },
        std::move(done));
}

void LibraryJobs::uninstall(QString library, QStringList archives,
                            std::function<void(UninstallReport)> done, QStringList allowedOutside) {
    run<UninstallReport>(
        [library = std::move(library), archives = std::move(archives),
         allowedOutside = std::move(allowedOutside), &executor = m_executor,
         waiting = waitingReport()] {
            return removePackages(library, archives, allowedOutside, executor, waiting);
        },
        std::move(done));
}

void LibraryJobs::verify(QString library, std::function<void(Verification)> done) {
    run<Verification>(
        [library = std::move(library), &executor = m_executor, waiting = waitingReport()] {
            Verification verification;
            const Status verified = verifyLibrary(library, {}, VerifyDepth::Quick, false, executor,
                                                  &verification.report, waiting);
            if (!verified)
                verification.status =
                    fail(verified.reason().isEmpty() ? library : verified.reason());
            return verification;
        },
        std::move(done));
}

void LibraryJobs::repair(QString library, QStringList archives, QString sourceDir, QString workDir,
                         std::function<void(Repairing)> done, QStringList allowedOutside) {
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
                repairing.status = fail(repaired.reason().isEmpty() ? library : repaired.reason());
            return repairing;
        },
        std::move(done));
}

void LibraryJobs::lastRun(QString library, std::function<void(LastRun)> done) {
    run<LastRun>(
        [library = std::move(library), &executor = m_executor, waiting = waitingReport()] {
            LastRun last;
            Result<std::optional<InstallRunSummary>> read =
                describeLastRun(library, executor, waiting);
            if (read)
                last.run = std::move(*read);
            else
                last.status = fail(read.reason().isEmpty() ? library : read.reason());
            return last;
        },
        std::move(done));
}

void LibraryJobs::undoLastRun(QString library, std::function<void(Undoing)> done,
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
                undoing.status = fail(undone.reason().isEmpty() ? library : undone.reason());
            return undoing;
        },
        std::move(done));
}

} // namespace packshelf
