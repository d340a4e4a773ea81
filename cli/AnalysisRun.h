#pragma once

#include <QObject>
#include <atomic>
#include <vector>

#include "analysis/AnalysisScheduler.h"
#include "analysis/SourceScan.h"
#include "core/MainThreadCall.h"
#include "readers/ReaderPool.h"

namespace packshelf {
class Executor;
}

namespace packshelf::cli {

// Analyses the archives of a source scan through the analysis scheduler in
// reader processes, at most `MaxWorkers` at a time (one per core), with up
// to `MaxHandedOut` archives handed out to them so that a reader finds its
// next archive waiting; the reports are taken in on this object's thread,
// and the records are handed on in list order through `recordReady`, each
// as soon as every record before it is in. `finished` fires once every
// report is in. PACKSHELF_BENCH_IN_PROCESS=1 (for the benchmark) analyses
// in this process instead, on `MaxWorkers` threads of the executor.
class AnalysisRun : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxWorkers = 4;
    static constexpr int MaxHandedOut = 16;

    // `keepRecords`: the records stay in items() once handed on; otherwise
    // each is dropped then, so that memory stays flat however many
    // archives there are.
    AnalysisRun(Executor& executor, QString sourceDir, QString workDir, bool ignoreDS,
                const SourceScan& scan, bool keepRecords);
    // Destroy it only after `finished`: every worker has reported then.
    ~AnalysisRun() override;

    void start();
    const std::vector<ArchiveItem>& items() const { return m_items; }
    // Set to stop: workers end early, no more are started, and `finished`
    // fires once the running ones have reported.
    std::atomic<bool>* cancelFlag() { return m_scheduler.cancelFlag(); }

signals:
    void recordReady(const ArchiveItem& item);
    void progressed(int done, int total);
    void finished();

private:
    void gotReport(AnalyzerReport report);
    void handOnCompleted();

    MainThreadCall m_mainThread;
    bool m_keepRecords;
    std::vector<ArchiveItem> m_items;
    std::vector<bool> m_reported;
    std::size_t m_handedOn = 0;
    int m_reportCount = 0;
    // The reader processes the analysis runs in.
    ReaderPool m_readers;
    AnalysisScheduler m_scheduler;
};

} // namespace packshelf::cli
