#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "analysis/AnalysisRunner.h"
#include "readers/ReaderProcess.h"

namespace packshelf {

// The analysis in reader processes, a few of them, started as jobs need
// them and kept for the jobs that follow. A reader that dies takes only
// its archive with it: that one is "Unzip error" with REASON "the reader
// stopped (signal N)" and the next job starts a new reader; a reader past
// its time budget is killed, and its archive is "Unzip error" saying so.
// Cancelling kills the readers of the cancelled jobs. What a reader
// answers is checked before it is taken (readerwire::decodeOutcome).
class ReaderPool final : public AnalysisRunner {
public:
    // How long a reader may take over one archive: a base, and more for
    // each GiB the archive holds (PACKSHELF_READER_SECONDS, for the tests,
    // sets the base).
    static constexpr std::chrono::seconds BudgetBase{60};
    static constexpr std::chrono::seconds BudgetPerGiB{30};
    // How long a reader may take to start.
    static constexpr std::chrono::seconds StartBudget{30};

    explicit ReaderPool(int readers = 4, QByteArray program = ReaderProcess::programPath());
    // Kills every reader; waits for the jobs still running to report.
    ~ReaderPool() override;
    ReaderPool(const ReaderPool&) = delete;
    ReaderPool& operator=(const ReaderPool&) = delete;

    void run(AnalyzerJob job, const ReportCallback& report) override;
    void cancelled() override;

    // The readers' process ids, busy or idle.
    std::vector<pid_t> readers() const;

private:
    struct Slot {
        std::unique_ptr<ReaderProcess> process;
        bool busy = false;
        std::shared_ptr<const std::atomic<bool>> cancel; // the busy job's
    };

    // The analysed record, or why the job's archive has no analysis.
    Result<ArchiveItem> analyse(const AnalyzerJob& job);
    // A slot made busy for the job, with a reader for `folders`.
    Result<Slot*> acquire(const AnalyzerJob& job, const ReaderProcess::Folders& folders);
    Status startReader(Slot& slot, const ReaderProcess::Folders& folders);
    // Makes the slot idle again; its reader is kept only when `healthy`.
    void release(Slot& slot, bool healthy);
    // Why the reader of the job stopped: cancelled, or how it ended.
    QString stopped(Slot& slot, const AnalyzerJob& job);
    std::chrono::seconds budgetFor(const AnalyzerJob& job) const;

    const QByteArray m_program;
    const std::chrono::seconds m_budgetBase;
    mutable std::mutex m_mutex;
    std::condition_variable m_slotFreed;
    std::vector<Slot> m_slots;
    int m_busy = 0;
    bool m_closing = false;
};

} // namespace packshelf
