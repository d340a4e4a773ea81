#include "install/Installer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <sys/stat.h>

#include "analysis/NameRules.h"
#include "core/EngineText.h"
#include "install/InstallLog.h"
#include "install/InstalledPackages.h"
#include "install/UnchangedPackage.h"
#include "install/disk/FolderListings.h"
#include "install/plan/ArchiveView.h"
#include "install/plan/CopyPlan.h"
#include "install/plan/InstallPlan.h"
#include "install/records/LibraryRecords.h"
#include "install/records/RecordInterest.h"
#include "install/transaction/LibraryTransaction.h"
#include "install/transaction/VersionHistory.h"

namespace packshelf {

namespace {

QString workFolderOf(const InstallJob& job) {
    return job.workDir.isEmpty() ? QDir::tempPath() : job.workDir;
}

// The library's records for one install run: locked for the run, what
// killed runs left finished first, read once and kept up to date as each
// archive is installed, with the history of versions over them.
class RunRecords {
public:
    // The records of the run's archives are read whole; the others are
    // read whole as the archives' plans come to need them.
    RunRecords(const InstallJob& job, Executor& executor,
               const std::function<void(const QString&)>& waiting)
        : m_packages(job.destDir, executor, DestinationTrust(job.allowedOutside)) {
        if (!QFileInfo(job.destDir).isDir())
            return;
        RecordInterest interest;
        for (const ArchiveItem& item : job.items)
            interest.addArchive(item.fileName());
        // Without the lock, or with a change that cannot be finished,
        // nothing may be installed.
        const Status opened = m_packages.open(LibraryLock::Access::Change, waiting, &interest);
        for (const QString& problem : m_packages.problems())
            qCWarning(lcInstall).noquote() << problem;
        for (const QString& finished : m_packages.recovered().finished)
            qCInfo(lcInstall).noquote()
                << QStringLiteral("finished the change of %1").arg(finished);
        for (const QString& undone : m_packages.recovered().undone)
            qCInfo(lcInstall).noquote() << QStringLiteral("took back the change of %1").arg(undone);
        if (!opened) {
            m_refusal = opened.reason();
            return;
        }
        m_open = true;
        m_history = std::make_unique<VersionHistory>(m_packages.manifestsToChange());
    }

    // Why nothing may be installed, when that is so.
    const QString& refusal() const { return m_refusal; }
    bool isOpen() const { return m_open; }

    // The record of the package installed from `archive`, if any, with
    // the records over its files read whole.
    const Manifest* installed(const QString& archive) {
        if (!m_open)
            return nullptr;
        const Manifest* previous = m_history->package(archive);
        if (previous && previous->whole)
            complete(RecordInterest::ofRemoval(*previous));
        return m_history->package(archive);
    }
    const VersionHistory& history() const { return *m_history; }
    const DestinationTrust& trust() const { return m_packages.trust(); }

    // What the transaction is to remember for the package of `archive`.
    std::optional<LibraryTransaction::Memory> memoryFor(const QString& archive,
                                                        const InstallPlan& plan) {
        if (!m_open)
            return std::nullopt;
        readWholeWhatIsNeeded(archive, plan);
        LibraryTransaction::Memory memory;
        memory.records = &m_packages.records();
        memory.store = &m_packages.store();
        memory.history = m_history.get();
        memory.manifests = &m_packages.manifestsToChange();
        memory.manifest.archive = archive;
        memory.manifest.sequence = LibraryRecords::lastSequence(m_packages.manifests()) + 1;
        memory.manifest.run = m_run;
        memory.listings = &m_listings;
        return memory;
    }

    // After an archive that was not installed: what its plan changed goes.
    void givenUp() {
        if (m_history)
            m_history->forgetEdits();
    }

private:
    void complete(const RecordInterest& interest) {
        const auto whole = [this] {
            return std::count_if(m_packages.manifests().begin(), m_packages.manifests().end(),
                                 [](const Manifest& m) { return m.whole; });
        };
        const qsizetype before = whole();
        if (const Status completed =
                m_packages.records().complete(m_packages.manifestsToChange(), interest);
            !completed)
            qCWarning(lcInstall).noquote()
                << QStringLiteral("Unknown package: %1").arg(completed.reason());
        if (whole() != before)
            m_history = std::make_unique<VersionHistory>(m_packages.manifestsToChange());
    }

    // The first archive reads whole only the records its plan meets; a run
    // of more archives reads them all once, as it would meet most of them.
    void readWholeWhatIsNeeded(const QString& archive, const InstallPlan& plan) {
        const Manifest* previous = m_history->package(archive);
        complete(m_planned ? RecordInterest::everything()
                           : RecordInterest::ofInstall(plan, archive, previous));
        m_planned = true;
    }

    InstalledPackages m_packages;
    // The library's folders as the run's archives find and leave them: a
    // folder of many packages is read once, not once per archive.
    FolderListings m_listings;
    bool m_open = false;
    bool m_planned = false;
    QString m_refusal;
    std::unique_ptr<VersionHistory> m_history;
    // Named in every record the run writes, so that the run can be taken
    // back as one unit.
    QString m_run = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmsszzz")) +
                    QLatin1Char('-') +
                    QString::number(QRandomGenerator::global()->generate64(), 36);
};

// Installs one record.
class ItemInstall {
public:
    enum class Outcome { Installed, Failed, Cancelled };

    ItemInstall(ArchiveItem& item, const InstallJob& job, RunRecords& records,
                const InstallCallbacks& callbacks)
        : m_item(item)
        , m_job(job)
        , m_records(records)
        , m_callbacks(callbacks)
        , m_cancel(job.cancelled.get()) {}

    Outcome run() {
        qCInfo(lcInstall).noquote() << installLogLine(m_item);
        const ArchiveItem original = m_item;
        const Outcome outcome = install();
        if (outcome == Outcome::Cancelled)
            m_item = original;
        return outcome;
    }

private:
    Outcome install() {
        const QString archivePath = joinPath(m_job.sourceDir, m_item.fileName());
        if (!m_records.refusal().isEmpty())
            return fail(ItemError::ErrorCopy, m_job.destDir, m_records.refusal());
        if (const Manifest* previous = m_records.installed(m_item.fileName());
            previous && !m_records.trust().trusts(*previous))
            return fail(ItemError::ErrorCopy, previous->destination,
                        needsConfirmationReason(previous->destination));
        if (isInstalledUnchanged()) {
            qCInfo(lcInstall).noquote()
                << QStringLiteral("%1: already installed, unchanged").arg(m_item.fileName());
            m_item.setInteger(key::State, ItemState::Installed);
            m_item.setInteger(key::Unchanged, 1);
            return Outcome::Installed;
        }
        const Result<std::unique_ptr<ArchiveView>> opened =
            ArchiveView::open(m_item.nativePathIn(m_job.sourceDir), workFolderOf(m_job), m_cancel);
        if (isCancelled())
            return Outcome::Cancelled;
        if (!opened)
            return fail(ItemError::ErrorOpen, archivePath, opened.reason());
        const std::unique_ptr<ArchiveView>& view = *opened;
        const InstallPlan plan = planInstall(copyPlanFor(m_item), *view, m_job.destDir);
        if (isCancelled())
            return Outcome::Cancelled;
        if (!plan.ok()) {
            const QString path = QDir::isAbsolutePath(plan.problemPath)
                                     ? plan.problemPath
                                     : joinPath(m_item.fileName(), plan.problemPath);
            return fail(ItemError::ErrorCopy, path, plan.problem);
        }

        LibraryTransaction transaction(plan, *view, m_cancel);
        if (m_callbacks.written)
            transaction.onWritten(m_callbacks.written);
        std::optional<LibraryTransaction::Memory> memory =
            m_records.memoryFor(m_item.fileName(), plan);
        if (memory) {
            describePackage(memory->manifest, *view, plan);
            transaction.remember(std::move(*memory));
        }
        Status staged = transaction.stage();
        Result<QStringList> committed =
            staged ? transaction.commit() : Result<QStringList>(staged.failure());
        if (!committed) {
            m_records.givenUp();
            if (transaction.wasCancelled())
                return Outcome::Cancelled;
            // Damaged data is the archive's fault, not the library's: the
            // reason names the archive, and the entry after it.
            if (transaction.dataDamaged())
                return fail(ItemError::ErrorContent, archivePath, committed.reason());
            return fail(ItemError::ErrorCopy, transaction.failedPath(), committed.reason());
        }
        noteNestedFailures(*view, archivePath);
        addWarnings(plan.warnings);
        noteKeptFiles(transaction.removal());
        // Installed; what only the next command can finish makes it fail.
        if (!committed->isEmpty())
            return fail(ItemError::ErrorCopy, m_job.destDir,
                        EngineText::tr("installed, but not finished: %1")
                            .arg(committed->join(QStringLiteral("; "))));
        const LibraryTransaction::Counts& counts = transaction.counts();
        qCInfo(lcInstall).noquote() << QStringLiteral("%1: %2 added, %3 replaced, %4 the same")
                                           .arg(m_item.fileName())
                                           .arg(counts.added)
                                           .arg(counts.replaced)
                                           .arg(counts.same);
        m_item.setInteger(key::State, ItemState::Installed);
        return Outcome::Installed;
    }

    // The package of this very archive is installed and every file it
    // wrote is as it wrote it: nothing is written, not even its record.
    // Only the archive's directory is read to tell.
    bool isInstalledUnchanged() {
        const Manifest* previous = m_records.installed(m_item.fileName());
        return previous && packshelf::isInstalledUnchanged(
                               *previous, m_item.fileName(), m_item.nativePathIn(m_job.sourceDir),
                               copyPlanFor(m_item), m_records.history());
    }

    void describePackage(Manifest& manifest, const ArchiveView& view, const InstallPlan& plan) {
        struct stat st;
        if (::stat(m_item.nativePathIn(m_job.sourceDir).constData(), &st) == 0) {
            manifest.archiveSize = quint64(st.st_size);
            manifest.archiveModified = st.st_mtim.tv_sec;
        }
        manifest.sha256 = QString::fromLatin1(view.digest().toHex());
        manifest.root = plan.root;
        manifest.plan = copyPlanFor(m_item);
    }

    // Archives at the top that could not be read do not stop the install,
    // but the record says so.
    void noteNestedFailures(const ArchiveView& view, const QString& archivePath) {
        QStringList warnings;
        for (const ArchiveView::NestedFailure& failure : view.nestedFailures()) {
            m_item.setInteger(key::Error, failure.code);
            m_item.setText(key::Info, verdict::InstallFailed);
            warnings << nestedFailureLine(failure);
            qCWarning(lcInstall).noquote()
                << installFailureLine(m_item.fileName(), joinPath(archivePath, failure.name),
                                      nestedFailureReason(failure));
        }
        if (!warnings.isEmpty())
            m_item.setText(key::Warning, warnings.join(QLatin1Char('\n')));
    }

    // Files of the earlier version that could not be taken out stay, the
    // user's earlier versions put back beside them are named, and the
    // record says which and why.
    void noteKeptFiles(const RemovalOutcome& removal) {
        QStringList lines;
        for (qsizetype i = 0; i < removal.kept.size(); ++i)
            lines << EngineText::tr("kept %1: %2").arg(removal.kept[i], removal.keptReasons[i]);
        for (qsizetype i = 0; i < removal.originalsOf.size(); ++i)
            lines << EngineText::tr("the earlier version of %1 is beside it: %2")
                         .arg(removal.originalsOf[i], removal.originalsAt[i]);
        lines += removal.warnings;
        for (const QString& line : lines)
            qCWarning(lcInstall).noquote() << line;
        addWarnings(lines);
    }

    void addWarnings(const QStringList& lines) {
        if (lines.isEmpty())
            return;
        QStringList warnings;
        if (const std::optional<QString> earlier = m_item.text(key::Warning))
            warnings << *earlier;
        m_item.setText(key::Warning, (warnings + lines).join(QLatin1Char('\n')));
    }

    Outcome fail(ItemError code, const QString& path, const QString& reason) {
        m_item.setInteger(key::State, ItemState::Failed);
        m_item.setInteger(key::Error, code);
        m_item.setText(key::Info, verdict::InstallFailed);
        m_item.setText(key::Reason, QStringLiteral("%1: %2").arg(path, reason));
        qCWarning(lcInstall).noquote() << installFailureLine(m_item.fileName(), path, reason);
        return Outcome::Failed;
    }

    bool isCancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

    ArchiveItem& m_item;
    const InstallJob& m_job;
    RunRecords& m_records;
    const InstallCallbacks& m_callbacks;
    const std::atomic<bool>* m_cancel;
};

} // namespace

void installerThread(InstallJob job, const InstallCallbacks& callbacks, Executor& executor) {
    std::optional<RunRecords> records;
    if (!job.items.empty())
        records.emplace(job, executor, callbacks.waiting);
    for (ArchiveItem& item : job.items) {
        if (job.cancelled->load())
            break;
        if (callbacks.copyBegins)
            callbacks.copyBegins(item.fileName());
        const ItemInstall::Outcome outcome = ItemInstall(item, job, *records, callbacks).run();
        if (outcome == ItemInstall::Outcome::Installed && callbacks.copyStep)
            callbacks.copyStep(item.fileName());
    }
    if (callbacks.copyDone)
        callbacks.copyDone(std::move(job.items));
}

InstallCallbacks callbacksThrough(MainThreadCall& mainThread,
                                  std::function<void(QString fileName)> copyBegins,
                                  std::function<void(QString fileName)> copyStep,
                                  std::function<void(std::vector<ArchiveItem> items)> copyDone) {
    InstallCallbacks callbacks;
    const auto posted = [&mainThread](std::function<void(QString)> report) {
        return [&mainThread, report = std::move(report)](QString fileName) {
            mainThread.post([report, fileName = std::move(fileName)] { report(fileName); });
        };
    };
    if (copyBegins)
        callbacks.copyBegins = posted(std::move(copyBegins));
    callbacks.copyStep = posted(std::move(copyStep));
    callbacks.copyDone = [&mainThread,
                          copyDone = std::move(copyDone)](std::vector<ArchiveItem> items) {
        mainThread.callAndWait([&copyDone, &items] { copyDone(std::move(items)); });
    };
    return callbacks;
}

InstallCallbacks callbacksThrough(MainThreadCall& mainThread,
                                  std::function<void(QString fileName)> copyStep,
                                  std::function<void(std::vector<ArchiveItem> items)> copyDone) {
    return callbacksThrough(mainThread, nullptr, std::move(copyStep), std::move(copyDone));
}

} // namespace packshelf
