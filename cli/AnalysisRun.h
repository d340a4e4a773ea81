#pragma once

#include <QObject>
#include <atomic>
#include <memory>
#include <vector>

#include "analysis/Analyzer.h"
#include "analysis/MainThreadCall.h"
#include "analysis/SourceScan.h"

namespace packshelf {
class Executor;
}

namespace packshelf::cli {

// Analyses the archives of a source scan with at most `MaxWorkers` workers
// at a time on the application's executor. Each worker hands its report to the main thread and
// waits until it has been taken in; records are handed out in list order and handed on in list
// order through `recordReady`, each as soon as every record before it is in. `finished` fires once
// every report is in.
class AnalysisRun : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxWorkers = 4;

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
    std::atomic<bool>* cancelFlag() { return m_cancelled.get(); }

signals:
    void recordReady(const ArchiveItem& item);
    void progressed(int done, int total);
    void finished();

private:
    void launchWorkers();
    void gotReport(AnalyzerReport report);
    void handOnCompleted();

    Executor& m_executor;
    MainThreadCall m_mainThread;
    QString m_sourceDir;
    QString m_workDir;
    bool m_ignoreDS;
    bool m_keepRecords;
    std::vector<ArchiveItem> m_items;
    std::vector<bool> m_reported;
    std::size_t m_currentIndex = 0;
    std::size_t m_handedOn = 0;
    int m_workers = 0;
    int m_reportCount = 0;
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
};

} // namespace packshelf::cli
