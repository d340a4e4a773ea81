#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "analysis/AnalysisRunner.h"
#include "readers/ReaderProcess.h"

class QSocketNotifier;
class QTimer;

namespace packshelf {

class Executor;

// The analysis in reader processes: a few of them (one per core, at most
// four), started as jobs need them and kept for the jobs that follow. A
// job is sent to the reader with the fewest jobs, which reads them in the
// order they came; run() itself returns at once. The outcomes are taken in
// and reported by a receiver per reader on the executor (WorkerThreads),
// or by the owner's event loop itself (OwnerThread: no thread hands them
// over, which spares a command line of many small archives the hand-overs;
// run() must then be called on the owner's thread).
//
// A reader that dies takes only the archive it was reading with it: that
// one is "Unzip error" with REASON "the reader stopped (signal N)", and the
// jobs queued behind it go to other readers (a new one is started). A
// reader past its time budget for an archive is killed, and that archive is
// "Unzip error" saying so. Cancelling kills the readers of cancelled jobs;
// their other jobs go elsewhere. What a reader answers is checked before it
// is taken (readerwire::decodeOutcome).
class ReaderPool final : public AnalysisRunner {
public:
    // How long a reader may take over one archive: a base, and more for
    // each GiB the archive holds (PACKSHELF_READER_SECONDS, for the tests,
    // sets the base).
    static constexpr std::chrono::seconds BudgetBase{60};
    static constexpr std::chrono::seconds BudgetPerGiB{30};
    // How long a reader may take to start.
    static constexpr std::chrono::seconds StartBudget{30};
    static constexpr int ReadersMax = 4;

    // One reader per core, at most ReadersMax.
    static int defaultReaders();

    enum class Delivery { WorkerThreads, OwnerThread };

    // The receivers, and reports that cannot be made where they arise, run
    // on `executor`, which must outlive the pool. With OwnerThread the pool
    // lives on the thread whose event loop takes the outcomes in.
    explicit ReaderPool(Executor& executor, Delivery delivery = Delivery::WorkerThreads,
                        int readers = defaultReaders(),
                        QByteArray program = ReaderProcess::programPath());
    // Kills every reader and returns once every receiver has ended. To be
    // destroyed only once every job has reported (a report may need the
    // destroying thread).
    ~ReaderPool() override;
    ReaderPool(const ReaderPool&) = delete;
    ReaderPool& operator=(const ReaderPool&) = delete;

    void run(AnalyzerJob job, const ReportCallback& report) override;
    void cancelled() override;

    // The readers' process ids.
    std::vector<pid_t> readers() const;

private:
    using Clock = ReaderChannel::Clock;
    struct Ticket {
        AnalyzerJob job;
        ReportCallback report;
        // The base budget until it is spent; then also what the archive's
        // size adds.
        std::chrono::seconds budget{0};
        bool sized = false;
    };
    struct Reader {
        ReaderProcess::Folders folders;
        std::unique_ptr<ReaderProcess> process; // null while it starts
        std::deque<Ticket> queued;              // sent (or to send) in order; the first is read
        std::size_t sent = 0;                   // of `queued`, those sent so far
        Clock::time_point firstSince;           // when the first of `queued` became first
        bool killedForCancel = false;
        bool greeted = false;
        // OwnerThread: what wakes the owner's event loop for it.
        QSocketNotifier* readable = nullptr;
        QTimer* deadline = nullptr;
        ~Reader();
    };
    // How a reader's life ended, for the job it was reading: it stopped,
    // overran the job's budget, answered what cannot be read, or was ended
    // here after an answer that could not be taken (that job has reported).
    enum class Ending { Stopped, TimedOut, Garbled, Dropped };

    // Sends the ticket to a reader (starting one when the pool has room),
    // or reports at once when it is cancelled or no reader can take it.
    void dispatch(Ticket ticket);
    // Starts the reader's process, sends what was queued meanwhile and
    // hands the reader to a receiver.
    void start(Reader* reader);
    // Reports every job of a reader that could not start, with why.
    void failAll(Reader* reader, const Failure& why);
    // Sends the queued tickets not sent yet (under the lock).
    void sendQueued(Reader& reader);
    // The receiver of one reader on the executor: takes in its greeting,
    // then its outcomes until it ends.
    void receive(Reader* reader);
    // OwnerThread: has the owner's event loop take in what the reader says.
    void watch(Reader* reader);
    // OwnerThread: takes in what has arrived from the reader, without
    // waiting, sends the jobs that frees, and sets the timer for the budget
    // of the reader's first job.
    void pump(Reader* reader);
    // The answers that have arrived; false once the reader has ended.
    bool pumpAnswers(Reader* reader);
    void armDeadline(Reader* reader);
    // Takes in one answer (or the reader's end); false once it has ended.
    bool take(Reader* reader, ReaderChannel::Received& answer);
    // Whether the first job is past its budget (its archive's size is looked
    // at once the base budget is spent); false when there is none.
    bool overran(Reader& reader);
    // After a reader's end: the job it was reading, and the rest.
    void ended(Reader* reader, Ending how, const QString& detail);
    // The reader of these folders with the fewest jobs, a new one, or
    // (when the pool is full) one that is idle made way for; null when
    // every reader is busy with other folders.
    Reader* readerFor(const ReaderProcess::Folders& folders, bool* isNew);
    void dispatchWaiting();
    std::chrono::seconds budgetFor(const AnalyzerJob& job) const;
    static void report(Ticket& ticket, Result<ArchiveItem> outcome);
    // Reports from a thread of the executor.
    void reportLater(Ticket ticket, Failure why);

    Executor& m_executor;
    const Delivery m_delivery;
    const std::size_t m_size;
    const QByteArray m_program;
    const std::chrono::seconds m_budgetBase;
    mutable std::mutex m_mutex;
    std::condition_variable m_allEnded;
    std::list<std::unique_ptr<Reader>> m_readers;
    std::deque<Ticket> m_waiting; // for folders no reader may take yet
    int m_receivers = 0;          // receivers and starts under way
    bool m_closing = false;
    bool m_pumping = false; // OwnerThread: answers are being taken in
};

} // namespace packshelf
