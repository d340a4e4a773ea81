#include "install/Installer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <sys/stat.h>

#include "analysis/NameRules.h"
#include "install/InstallLog.h"
#include "install/InstalledPackages.h"
#include "install/plan/ArchiveView.h"
#include "install/plan/CopyPlan.h"
#include "install/plan/InstallPlan.h"
#include "install/records/LibraryRecords.h"
#include "install/records/RecordInterest.h"
#include "install/transaction/LibraryTransaction.h"

namespace packshelf {

namespace {

QString workFolderOf(const InstallJob& job) {
    return job.workDir.isEmpty() ? QDir::tempPath() : job.workDir;
}

// The library's records for one install run: locked for the run, what
// killed runs left finished first, read once and kept up to date as each
// archive is installed. Benchmarks can go without them.
class RunRecords {
public:
    // The records of the run's archives are read whole; the others are
    // read whole as the archives' plans come to need them.
    RunRecords(const QString& library, const std::vector<ArchiveItem>& items,
               const std::function<void(const QString&)>& waiting)
        : m_records(library)
        , m_enabled(qEnvironmentVariableIsEmpty("PACKSHELF_BENCH_NO_MANIFEST")) {
        if (!m_enabled || !QFileInfo(library).isDir())
            return;
        // Without the lock, or with a change that cannot be finished,
        // nothing may be installed.
        QStringList problems;
        const Status settled =
            m_records.lockAndSettle(LibraryRecords::Access::Change, &problems, waiting);
        for (const QString& problem : problems)
            qCWarning(lcInstall).noquote() << problem;
        if (!settled) {
            m_refusal = settled.reason();
            return;
        }
        problems.clear();
        RecordInterest interest;
        for (const ArchiveItem& item : items)
            interest.addArchive(item.fileName());
        m_manifests = m_records.load(&problems, &interest);
        for (const QString& broken : problems)
            qCWarning(lcInstall).noquote() << QStringLiteral("Unknown package: %1").arg(broken);
        m_files = LibraryTransaction::filesOf(m_manifests);
    }

    // Why nothing may be installed, when that is so.
    const QString& refusal() const { return m_refusal; }

    // The record of the package installed from `archive`, if any.
    const Manifest* installed(const QString& archive) const {
        for (const Manifest& manifest : m_manifests) {
            if (manifest.archive == archive)
                return &manifest;
        }
        return nullptr;
    }

    // What the transaction is to remember for the package of `archive`;
    // the records are lent to it until settle().
    std::optional<LibraryTransaction::Memory> memoryFor(const QString& archive,
                                                        const InstallPlan& plan) {
        if (!m_enabled)
            return std::nullopt;
        readWholeWhatIsNeeded(archive, plan);
        LibraryTransaction::Memory memory;
        memory.records = &m_records;
        memory.files = &m_files;
        memory.manifest.archive = archive;
        memory.manifest.sequence = LibraryRecords::lastSequence(m_manifests) + 1;
        memory.manifest.run = m_run;
        for (Manifest& manifest : m_manifests) {
            if (manifest.archive == archive)
                memory.previous = std::move(manifest);
            else
                memory.others.push_back(std::move(manifest));
        }
        m_manifests.clear();
        return memory;
    }

    // Takes the records back after the transaction, with the package's new
    // record when it was committed.
    void settle(LibraryTransaction::Memory memory, bool committed) {
        m_manifests = std::move(memory.others);
        if (committed) {
            LibraryTransaction::addFiles(m_files, memory.manifest);
            m_manifests.push_back(std::move(memory.manifest));
        } else if (memory.previous) {
            m_manifests.push_back(std::move(*memory.previous));
        }
        std::sort(m_manifests.begin(), m_manifests.end(),
                  [](const Manifest& a, const Manifest& b) { return a.sequence < b.sequence; });
    }

private:
    // The first archive reads whole only the records its plan meets; a run
    // of more archives reads them all once, as it would meet most of them.
    void readWholeWhatIsNeeded(const QString& archive, const InstallPlan& plan) {
        QStringList problems;
        const qsizetype whole = std::count_if(m_manifests.begin(), m_manifests.end(),
                                              [](const Manifest& m) { return m.whole; });
        m_records.complete(m_manifests,
                           m_planned ? RecordInterest::everything()
                                     : RecordInterest::ofInstall(plan, archive, installed(archive)),
                           &problems);
        m_planned = true;
        for (const QString& broken : problems)
            qCWarning(lcInstall).noquote() << QStringLiteral("Unknown package: %1").arg(broken);
        if (whole != std::count_if(m_manifests.begin(), m_manifests.end(),
                                   [](const Manifest& m) { return m.whole; }))
            m_files = LibraryTransaction::filesOf(m_manifests);
    }

    LibraryRecords m_records;
    bool m_enabled;
    bool m_planned = false;
    QString m_refusal;
    std::vector<Manifest> m_manifests;
    LibraryTransaction::LibraryFiles m_files;
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
        Status committed = transaction.stage();
        if (committed)
            committed = transaction.commit();
        if (memory)
            m_records.settle(transaction.takeMemory(), committed.ok());
        if (!committed) {
            if (transaction.wasCancelled())
                return Outcome::Cancelled;
            return fail(transaction.dataDamaged() ? ItemError::ErrorContent : ItemError::ErrorCopy,
                        transaction.failedPath(), committed.reason());
        }
        noteNestedFailures(*view, archivePath);
        addWarnings(plan.warnings);
        noteKeptFiles(transaction.removal());
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
    bool isInstalledUnchanged() const {
        const Manifest* previous = m_records.installed(m_item.fileName());
        return previous && packshelf::isInstalledUnchanged(*previous, m_item.fileName(),
                                                           m_item.nativePathIn(m_job.sourceDir),
                                                           copyPlanFor(m_item));
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

    // Files of the earlier version that could not be taken out stay, and
    // the record says which and why.
    void noteKeptFiles(const RemovalOutcome& removal) {
        QStringList lines;
        for (qsizetype i = 0; i < removal.kept.size(); ++i) {
            lines << QStringLiteral("kept %1: %2").arg(removal.kept[i], removal.keptReasons[i]);
            qCWarning(lcInstall).noquote() << lines.last();
        }
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

void installerThread(InstallJob job, const InstallCallbacks& callbacks) {
    std::optional<RunRecords> records;
    if (!job.items.empty())
        records.emplace(job.destDir, job.items, callbacks.waiting);
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
