#include "readers/ReaderPool.h"

#include <QDir>
#include <QLoggingCategory>
#include <csignal>
#include <sys/stat.h>

#include "analysis/ItemKeys.h"
#include "readers/ReaderMessages.h"

namespace packshelf {

namespace {

Q_LOGGING_CATEGORY(lcReaders, "packshelf.readers", QtWarningMsg)

using Clock = ReaderChannel::Clock;
constexpr double GiB = 1024.0 * 1024.0 * 1024.0;

std::chrono::seconds budgetBase(std::chrono::seconds standard) {
    bool given = false;
    const int seconds = qEnvironmentVariableIntValue("PACKSHELF_READER_SECONDS", &given);
    return given && seconds > 0 ? std::chrono::seconds(seconds) : standard;
}

bool isCancelled(const std::shared_ptr<const std::atomic<bool>>& cancel) {
    return cancel && cancel->load();
}

} // namespace

ReaderPool::ReaderPool(int readers, QByteArray program)
    : m_program(std::move(program))
    , m_budgetBase(budgetBase(BudgetBase))
    , m_slots(std::size_t(std::max(readers, 1))) {}

ReaderPool::~ReaderPool() {
    std::vector<std::unique_ptr<ReaderProcess>> idle;
    {
        std::unique_lock lock(m_mutex);
        m_closing = true;
        for (Slot& slot : m_slots) {
            if (slot.busy && slot.process)
                ::kill(slot.process->pid(), SIGKILL);
        }
        m_slotFreed.notify_all();
        // A job ends its reading without this thread's help.
        m_slotFreed.wait(lock, [this] { return m_busy == 0; });
        for (Slot& slot : m_slots) {
            if (slot.process)
                idle.push_back(std::move(slot.process));
        }
    }
    for (const auto& process : idle)
        process->stop();
}

void ReaderPool::run(AnalyzerJob job, const ReportCallback& report) {
    Result<ArchiveItem> analysed = analyse(job);
    ArchiveItem record = analysed ? std::move(*analysed) : std::move(job.data);
    if (!analysed) {
        classifyArchive(record, std::nullopt, job.ignoreDS);
        record.setText(key::Reason, analysed.reason());
    }
    report(AnalyzerReport{std::move(record), job.index, job.batchId});
}

void ReaderPool::cancelled() {
    const std::lock_guard lock(m_mutex);
    for (Slot& slot : m_slots) {
        if (slot.busy && slot.process && isCancelled(slot.cancel))
            ::kill(slot.process->pid(), SIGKILL);
    }
    m_slotFreed.notify_all();
}

std::vector<pid_t> ReaderPool::readers() const {
    const std::lock_guard lock(m_mutex);
    std::vector<pid_t> pids;
    for (const Slot& slot : m_slots) {
        if (slot.process)
            pids.push_back(slot.process->pid());
    }
    return pids;
}

Result<ArchiveItem> ReaderPool::analyse(const AnalyzerJob& job) {
    const ReaderProcess::Folders folders{job.workDir.value_or(QDir::tempPath()), job.sourceDir};
    const Result<Slot*> acquired = acquire(job, folders);
    if (!acquired)
        return acquired.failure();
    Slot& slot = **acquired;
    ReaderChannel& channel = slot.process->channel();
    const std::chrono::seconds budget = budgetFor(job);
    const Clock::time_point deadline = Clock::now() + budget;
    if (!channel.send(readerwire::encodeRequest(job), deadline))
        return fail(stopped(slot, job));
    ReaderChannel::Received answer = channel.receive(deadline);
    switch (answer.ending) {
    case ReaderChannel::Ending::Message: {
        Result<ArchiveItem> outcome = readerwire::decodeOutcome(answer.message, job.data);
        release(slot, outcome.ok());
        return outcome;
    }
    case ReaderChannel::Ending::Closed:
        return fail(stopped(slot, job));
    case ReaderChannel::Ending::TimedOut:
        release(slot, false);
        if (isCancelled(job.cancelled))
            return fail(QStringLiteral("cancelled"));
        return fail(QStringLiteral("the reader took more than %1 seconds over the archive and was "
                                   "stopped")
                        .arg(budget.count()));
    case ReaderChannel::Ending::Broken:
        release(slot, false);
        return fail(
            QStringLiteral("the reader answered what cannot be read (%1)").arg(answer.problem));
    }
    return fail(QStringLiteral("unreachable"));
}

Result<ReaderPool::Slot*> ReaderPool::acquire(const AnalyzerJob& job,
                                              const ReaderProcess::Folders& folders) {
    std::unique_lock lock(m_mutex);
    m_slotFreed.wait(lock, [&] {
        return m_closing || isCancelled(job.cancelled) || m_busy < int(m_slots.size());
    });
    if (m_closing || isCancelled(job.cancelled))
        return fail(QStringLiteral("cancelled"));
    // A reader for these folders, else a slot without one, else any.
    Slot* chosen = nullptr;
    int chosenRank = -1;
    for (Slot& slot : m_slots) {
        if (slot.busy)
            continue;
        const int rank = !slot.process ? 1 : slot.process->folders() == folders ? 2 : 0;
        if (rank > chosenRank) {
            chosen = &slot;
            chosenRank = rank;
        }
    }
    chosen->busy = true;
    chosen->cancel = job.cancelled;
    ++m_busy;
    // A reader of other folders, or one that died while it waited, makes
    // way for a new one.
    std::unique_ptr<ReaderProcess> replaced;
    if (chosen->process &&
        (chosen->process->folders() != folders || !chosen->process->waitsForJob()))
        replaced = std::move(chosen->process);
    const bool start = !chosen->process;
    lock.unlock();
    if (replaced)
        replaced->stop();
    if (start) {
        if (const Status started = startReader(*chosen, folders); !started) {
            release(*chosen, false);
            return started.failure();
        }
    }
    return chosen;
}

Status ReaderPool::startReader(Slot& slot, const ReaderProcess::Folders& folders) {
    Result<std::unique_ptr<ReaderProcess>> started =
        ReaderProcess::start(m_program, folders, Clock::now() + StartBudget);
    if (!started)
        return started.failure();
    qCInfo(lcReaders, "reader %lld started for %s: %s", qlonglong((*started)->pid()),
           qPrintable(folders.source), qPrintable((*started)->confinement()));
    const std::lock_guard lock(m_mutex);
    slot.process = std::move(*started);
    // A cancel that came while it started found no reader to stop.
    if (isCancelled(slot.cancel))
        return fail(QStringLiteral("cancelled"));
    return {};
}

void ReaderPool::release(Slot& slot, bool healthy) {
    std::unique_ptr<ReaderProcess> ended;
    {
        const std::lock_guard lock(m_mutex);
        if (!healthy)
            ended = std::move(slot.process);
        slot.busy = false;
        slot.cancel.reset();
        --m_busy;
        m_slotFreed.notify_all();
    }
    if (ended)
        ended->stop();
}

QString ReaderPool::stopped(Slot& slot, const AnalyzerJob& job) {
    std::unique_ptr<ReaderProcess> ended;
    {
        // Taken out first: once it is reaped, its process id may be another
        // process's, which a cancel must not reach.
        const std::lock_guard lock(m_mutex);
        ended = std::move(slot.process);
    }
    // Also one that closed its end and lives on ends here.
    const QString ending = ended->stop();
    release(slot, false);
    if (isCancelled(job.cancelled))
        return QStringLiteral("cancelled");
    qCWarning(lcReaders, "the reader of %s stopped (%s)", qPrintable(job.data.fileName()),
              qPrintable(ending));
    return QStringLiteral("the reader stopped (%1)").arg(ending);
}

std::chrono::seconds ReaderPool::budgetFor(const AnalyzerJob& job) const {
    struct stat status {};
    const QByteArray path = job.data.nativePathIn(job.sourceDir);
    const double size = ::stat(path.constData(), &status) == 0 ? double(status.st_size) : 0.0;
    return m_budgetBase + std::chrono::seconds(qint64(double(BudgetPerGiB.count()) * size / GiB));
}

} // namespace packshelf
