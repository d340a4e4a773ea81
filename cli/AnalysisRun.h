#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "analysis/Analyzer.h"
#include "analysis/MainThreadCall.h"

namespace packshelf::cli {

// Analyses a list of archives with at most `MaxWorkers` worker threads at a
// time. Each worker hands its report to the main thread and waits until it
// has been taken in; records are handed out in list order and stored at their
// index. `finished` fires once every report is in.
class AnalysisRun : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxWorkers = 4;

    AnalysisRun(QString sourceDir, QString workDir, bool ignoreDS, QStringList fileNames);
    ~AnalysisRun() override;

    void start();
    const std::vector<ArchiveItem>& items() const { return m_items; }
    int reported() const { return m_reported; }

signals:
    void progressed(int done, int total);
    void finished();

private:
    void launchWorkers();
    void gotReport(AnalyzerReport report);

    MainThreadCall m_mainThread;
    QString m_sourceDir;
    QString m_workDir;
    bool m_ignoreDS;
    std::vector<ArchiveItem> m_items;
    std::vector<std::thread> m_threads;
    std::size_t m_currentIndex = 0;
    int m_workers = 0;
    int m_reported = 0;
};

} // namespace packshelf::cli
