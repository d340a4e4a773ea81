#include "readers/ReaderPool.h"
#include "archive/ArchiveKeyring.h"

#include <QDir>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <sys/stat.h>
#include <thread>

#include "analysis/ItemKeys.h"
#include "core/EngineText.h"
#include "core/Executor.h"
#include "readers/ReaderMessages.h"

namespace packshelf {

namespace {

Q_LOGGING_CATEGORY(lcReaders, "packshelf.readers", QtWarningMsg)

constexpr double GiB = 1024.0 * 1024.0 * 1024.0;

std::chrono::seconds budgetBase(std::chrono::seconds standard) {
    bool given = false;
    const int seconds = qEnvironmentVariableIntValue("PACKSHELF_READER_SECONDS", &given);
    return given && seconds > 0 ? std::chrono::seconds(seconds) : standard;
}

bool isCancelled(const AnalyzerJob& job) {
    return job.cancelled && job.cancelled->load();
}

Failure cancelledFailure() {
    return fail(EngineText::tr("cancelled"));
}

} // namespace

int ReaderPool::defaultReaders() {
    return std::clamp(int(std::thread::hardware_concurrency()), 1, ReadersMax);
}

ReaderPool::Reader::~Reader() {
    // Destroyed in their own signals, maybe.
    if (readable) {
        readable->setEnabled(false); // its socket is closed next
        readable->deleteLater();
    }
    if (deadline)
        deadline->deleteLater();
}

ReaderPool::ReaderPool(Executor& executor, Delivery delivery, int readers, QByteArray program)
    : m_executor(executor)
    , m_delivery(delivery)
    , m_size(std::size_t(std::max(readers, 1)))
    , m_program(std::move(program))
    , m_budgetBase(budgetBase(BudgetBase)) {}

ReaderPool::~ReaderPool() {
    std::deque<Ticket> waiting;
    std::list<std::unique_ptr<Reader>> watched;
    std::unique_lock lock(m_mutex);
    m_closing = true;
    for (const auto& reader : m_readers) {
        reader->killedForCancel = true;
        if (reader->process)
            reader->process->kill();
    }
    // The owner's event loop no longer runs: its readers end here.
    if (m_delivery == Delivery::OwnerThread)
        watched.swap(m_readers);
    waiting.swap(m_waiting);
    lock.unlock();
    for (const auto& reader : watched) {
        if (reader->process)
            reader->process->stop();
        for (Ticket& ticket : reader->queued)
            reportLater(std::move(ticket), cancelledFailure());
    }
    for (Ticket& ticket : waiting)
        reportLater(std::move(ticket), cancelledFailure());
    lock.lock();
    m_receivers -= int(watched.size());
    // Each receiver sees its reader end, reports its jobs and ends.
    m_allEnded.wait(lock, [this] { return m_receivers == 0; });
}

void ReaderPool::run(AnalyzerJob job, const ReportCallback& report) {
    dispatch(Ticket{std::move(job), report, m_budgetBase});
}

void ReaderPool::report(Ticket& ticket, Result<ArchiveItem> outcome) {
    ArchiveItem record = outcome ? std::move(*outcome) : std::move(ticket.job.data);
    if (!outcome) {
        classifyArchive(record, std::nullopt, ticket.job.ignoreDS);
        record.setText(key::Reason, outcome.reason());
    }
    ticket.report(AnalyzerReport{std::move(record), ticket.job.index, ticket.job.batchId});
}

void ReaderPool::cancelled() {
    std::deque<Ticket> dropped;
    {
        const std::lock_guard lock(m_mutex);
        for (const auto& reader : m_readers) {
            const bool any =
                std::any_of(reader->queued.begin(), reader->queued.end(),
                            [](const Ticket& ticket) { return isCancelled(ticket.job); });
            if (any && reader->process && !reader->killedForCancel) {
                reader->killedForCancel = true;
                reader->process->kill();
            }
        }
        for (auto it = m_waiting.begin(); it != m_waiting.end();) {
            if (isCancelled(it->job)) {
                dropped.push_back(std::move(*it));
                it = m_waiting.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (Ticket& ticket : dropped)
        reportLater(std::move(ticket), cancelledFailure());
}

void ReaderPool::reportLater(Ticket ticket, Failure why) {
    // The calling thread may be the one that takes the reports in.
    m_executor.start(
        [ticket = std::move(ticket), why = std::move(why)]() mutable { report(ticket, why); });
}

std::vector<pid_t> ReaderPool::readers() const {
    const std::lock_guard lock(m_mutex);
    std::vector<pid_t> pids;
    for (const auto& reader : m_readers) {
        if (reader->process)
            pids.push_back(reader->process->pid());
    }
    return pids;
}

ReaderPool::Reader* ReaderPool::readerFor(const ReaderProcess::Folders& folders, bool* isNew) {
    *isNew = false;
    Reader* least = nullptr;
    for (const auto& reader : m_readers) {
        if (reader->folders == folders && !reader->killedForCancel &&
            (!least || reader->queued.size() < least->queued.size()))
            least = reader.get();
    }
    if (least && (least->queued.empty() || m_readers.size() >= m_size))
        return least;
    if (m_readers.size() >= m_size) {
        // An idle reader of other folders makes way.
        const auto idle = std::find_if(m_readers.begin(), m_readers.end(), [&](const auto& reader) {
            return reader->folders != folders && reader->queued.empty() && reader->process &&
                   !reader->killedForCancel;
        });
        if (idle == m_readers.end())
            return least;
        (*idle)->killedForCancel = true;
        (*idle)->process->kill();
    }
    m_readers.push_back(std::make_unique<Reader>());
    m_readers.back()->folders = folders;
    ++m_receivers;
    *isNew = true;
    return m_readers.back().get();
}

void ReaderPool::dispatch(Ticket ticket) {
    if (isCancelled(ticket.job))
        return reportLater(std::move(ticket), cancelledFailure());
    const ReaderProcess::Folders folders{
        ticket.job.workDir ? *ticket.job.workDir : QDir::tempPath(), ticket.job.sourceDir};
    std::unique_lock lock(m_mutex);
    if (m_closing) {
        lock.unlock();
        return reportLater(std::move(ticket), cancelledFailure());
    }
    bool isNew = false;
    Reader* reader = readerFor(folders, &isNew);
    if (!reader) {
        m_waiting.push_back(std::move(ticket));
        return;
    }
    if (reader->queued.empty())
        reader->firstSince = Clock::now();
    reader->queued.push_back(std::move(ticket));
    // While the owner's event loop takes answers in, the jobs they free go
    // out together once it is done.
    if (reader->process && !m_pumping)
        sendQueued(*reader);
    lock.unlock();
    if (isNew)
        start(reader);
}

void ReaderPool::sendQueued(Reader& reader) {
    QList<QByteArray> requests;
    // The reader tries the passwords held now, as an analysis in this
    // process would.
    const std::vector<SharedPassword> passwords = ArchiveKeyring::shared().allPasswords();
    for (std::size_t i = reader.sent; i < reader.queued.size(); ++i) {
        AnalyzerJob& job = reader.queued[i].job;
        job.passwords = passwords;
        requests.append(readerwire::encodeRequest(job));
    }
    if (requests.isEmpty())
        return;
    // A reader that does not take its requests within a budget is stuck:
    // its receiver ends it.
    if (reader.process->channel().send(requests, Clock::now() + m_budgetBase))
        reader.sent = reader.queued.size();
}

void ReaderPool::start(Reader* reader) {
    Result<std::unique_ptr<ReaderProcess>> started =
        ReaderProcess::start(m_program, reader->folders, Clock::now() + StartBudget);
    if (!started)
        return failAll(reader, started.failure());
    std::unique_lock lock(m_mutex);
    reader->process = std::move(*started);
    // A cancel or the pool's end came while it started.
    if (reader->killedForCancel || m_closing)
        reader->process->kill();
    reader->firstSince = Clock::now();
    // The reasons it gives in this process's language; a reader that does
    // not take them is ended, and its receiver fails its jobs.
    if (const QByteArray qm = EngineText::translation();
        !qm.isEmpty() && !reader->process->channel().send(readerwire::encodeTranslation(qm),
                                                          Clock::now() + m_budgetBase))
        reader->process->kill();
    sendQueued(*reader);
    lock.unlock();
    if (m_delivery == Delivery::OwnerThread)
        watch(reader);
    else
        m_executor.start([this, reader] { receive(reader); });
}

void ReaderPool::watch(Reader* reader) {
    reader->readable = new QSocketNotifier(reader->process->channel().fd(), QSocketNotifier::Read);
    reader->deadline = new QTimer;
    reader->deadline->setSingleShot(true);
    QObject::connect(reader->readable, &QSocketNotifier::activated, reader->readable,
                     [this, reader] { pump(reader); });
    QObject::connect(reader->deadline, &QTimer::timeout, reader->deadline, [this, reader] {
        if (!overran(*reader))
            pump(reader);
        else if (!reader->greeted)
            failAll(reader, fail(EngineText::tr("the reader did not start in time")));
        else
            ended(reader, Ending::TimedOut, QString());
    });
    reader->deadline->start(StartBudget);
}

void ReaderPool::pump(Reader* reader) {
    {
        const std::lock_guard lock(m_mutex);
        m_pumping = true;
    }
    const bool alive = pumpAnswers(reader);
    {
        const std::lock_guard lock(m_mutex);
        m_pumping = false;
        for (const auto& held : m_readers) {
            if (held->process)
                sendQueued(*held);
        }
    }
    if (alive)
        armDeadline(reader);
}

bool ReaderPool::pumpAnswers(Reader* reader) {
    for (;;) {
        ReaderChannel::Received answer = reader->process->channel().tryReceive();
        if (answer.ending == ReaderChannel::Ending::NotYet)
            break;
        if (!reader->greeted) {
            if (const Status greeted = reader->process->takeGreeting(answer); !greeted) {
                failAll(reader, greeted.failure());
                return false;
            }
            reader->greeted = true;
            qCInfo(lcReaders, "reader %lld started for %s: %s", qlonglong(reader->process->pid()),
                   qPrintable(reader->folders.source), qPrintable(reader->process->confinement()));
            continue;
        }
        if (!take(reader, answer))
            return false;
    }
    return true;
}

void ReaderPool::armDeadline(Reader* reader) {
    std::chrono::milliseconds left{0};
    {
        const std::lock_guard lock(m_mutex);
        if (reader->greeted && reader->queued.empty()) {
            reader->deadline->stop();
            return;
        }
        const std::chrono::seconds budget =
            reader->greeted ? reader->queued.front().budget : StartBudget;
        left = std::chrono::ceil<std::chrono::milliseconds>(reader->firstSince + budget -
                                                            Clock::now());
    }
    reader->deadline->start(std::max(left, std::chrono::milliseconds(0)));
}

bool ReaderPool::overran(Reader& reader) {
    const std::lock_guard lock(m_mutex);
    if (!reader.greeted)
        return Clock::now() >= reader.firstSince + StartBudget;
    if (reader.queued.empty())
        return false;
    Ticket& first = reader.queued.front();
    if (!first.sized) {
        first.budget = budgetFor(first.job);
        first.sized = true;
    }
    return Clock::now() >= reader.firstSince + first.budget;
}

void ReaderPool::failAll(Reader* reader, const Failure& why) {
    std::unique_lock lock(m_mutex);
    std::unique_ptr<ReaderProcess> process = std::move(reader->process);
    std::deque<Ticket> queued;
    queued.swap(reader->queued);
    const bool killedForCancel = reader->killedForCancel;
    m_readers.remove_if([&](const auto& held) { return held.get() == reader; });
    lock.unlock();
    if (process)
        process->stop();
    // A reader killed for a cancel while it started fails none of the jobs
    // that were not cancelled: another reader takes them.
    std::deque<Ticket> failed;
    std::deque<Ticket> again;
    for (Ticket& ticket : queued)
        (killedForCancel && !isCancelled(ticket.job) ? again : failed).push_back(std::move(ticket));
    if (!killedForCancel)
        qCWarning(lcReaders, "%s", qPrintable(why.reason));
    // Reported from a thread of the executor: this may be the thread that
    // takes the reports in. The jobs that waited for a reader to make room
    // go out now that this one has.
    m_executor.start([this, failed = std::move(failed), again = std::move(again), why,
                      killedForCancel]() mutable {
        for (Ticket& ticket : failed)
            report(ticket, killedForCancel ? cancelledFailure() : why);
        for (Ticket& ticket : again)
            dispatch(std::move(ticket));
        dispatchWaiting();
        const std::lock_guard lock(m_mutex);
        --m_receivers;
        m_allEnded.notify_all();
    });
}

void ReaderPool::receive(Reader* reader) {
    if (const Status greeted = reader->process->awaitGreeting(Clock::now() + StartBudget); !greeted)
        return failAll(reader, greeted.failure());
    reader->greeted = true;
    qCInfo(lcReaders, "reader %lld started for %s: %s", qlonglong(reader->process->pid()),
           qPrintable(reader->folders.source), qPrintable(reader->process->confinement()));
    ReaderChannel& channel = reader->process->channel();
    for (;;) {
        ReaderChannel::Deadline deadline;
        {
            const std::lock_guard lock(m_mutex);
            if (!reader->queued.empty())
                deadline = reader->firstSince + reader->queued.front().budget;
        }
        ReaderChannel::Received answer = channel.receive(deadline);
        // The first job may have changed meanwhile: its own budget counts.
        if (answer.ending == ReaderChannel::Ending::TimedOut && !overran(*reader))
            continue;
        if (!take(reader, answer))
            return;
    }
}

bool ReaderPool::take(Reader* reader, ReaderChannel::Received& answer) {
    switch (answer.ending) {
    case ReaderChannel::Ending::Message:
        break;
    case ReaderChannel::Ending::TimedOut:
        ended(reader, Ending::TimedOut, QString());
        return false;
    case ReaderChannel::Ending::Broken:
        ended(reader, Ending::Garbled, answer.problem);
        return false;
    case ReaderChannel::Ending::Closed:
    case ReaderChannel::Ending::NotYet:
        ended(reader, Ending::Stopped, QString());
        return false;
    }
    std::unique_lock lock(m_mutex);
    if (reader->queued.empty()) {
        lock.unlock();
        ended(reader, Ending::Garbled, EngineText::tr("an answer to no job"));
        return false;
    }
    Ticket ticket = std::move(reader->queued.front());
    reader->queued.pop_front();
    --reader->sent;
    reader->firstSince = Clock::now();
    const bool idle = reader->queued.empty();
    lock.unlock();
    Result<ArchiveItem> outcome = readerwire::decodeOutcome(answer.message, ticket.job.data);
    const bool taken = outcome.ok();
    report(ticket, std::move(outcome));
    if (!taken) {
        ended(reader, Ending::Dropped, QString());
        return false;
    }
    if (idle)
        dispatchWaiting();
    return true;
}

void ReaderPool::ended(Reader* reader, Ending how, const QString& detail) {
    std::unique_lock lock(m_mutex);
    std::unique_ptr<ReaderProcess> process = std::move(reader->process);
    std::deque<Ticket> left;
    left.swap(reader->queued);
    const bool killedForCancel = reader->killedForCancel;
    m_readers.remove_if([&](const auto& held) { return held.get() == reader; });
    lock.unlock();
    // Reaped only now that no cancel can reach it: its id may be another
    // process's once it is.
    const QString ending = process->stop();

    if (!left.empty()) {
        Ticket first = std::move(left.front());
        left.pop_front();
        if (isCancelled(first.job)) {
            report(first, cancelledFailure());
        } else if ((killedForCancel && how == Ending::Stopped) || how == Ending::Dropped) {
            left.push_front(std::move(first)); // read again elsewhere
        } else if (how == Ending::TimedOut) {
            report(first, fail(EngineText::tr("the reader took more than %1 seconds over the "
                                              "archive and was stopped")
                                   .arg(first.budget.count())));
        } else if (how == Ending::Garbled) {
            report(
                first,
                fail(EngineText::tr("the reader answered what cannot be read (%1)").arg(detail)));
        } else {
            qCWarning(lcReaders, "the reader of %s stopped (%s)",
                      qPrintable(first.job.data.fileName()), qPrintable(ending));
            report(first, fail(EngineText::tr("the reader stopped (%1)").arg(ending)));
        }
    }
    // The jobs queued behind it were not begun: another reader takes them.
    for (Ticket& ticket : left)
        dispatch(std::move(ticket));
    dispatchWaiting();
    lock.lock();
    --m_receivers;
    m_allEnded.notify_all();
}

void ReaderPool::dispatchWaiting() {
    std::deque<Ticket> waiting;
    {
        const std::lock_guard lock(m_mutex);
        waiting.swap(m_waiting);
    }
    for (Ticket& ticket : waiting)
        dispatch(std::move(ticket));
}

std::chrono::seconds ReaderPool::budgetFor(const AnalyzerJob& job) const {
    struct stat status {};
    const QByteArray path = job.data.nativePathIn(job.sourceDir);
    const double size = ::stat(path.constData(), &status) == 0 ? double(status.st_size) : 0.0;
    return m_budgetBase + std::chrono::seconds(qint64(double(BudgetPerGiB.count()) * size / GiB));
}

} // namespace packshelf
