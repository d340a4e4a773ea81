#include "cli/AnalysisRun.h"

#include <QMetaObject>

#include "analysis/Executor.h"

namespace packshelf::cli {

AnalysisRun::AnalysisRun(Executor& executor, QString sourceDir, QString workDir, bool ignoreDS,
                         const SourceScan& scan, bool keepRecords)
    : m_executor(executor)
    , m_sourceDir(std::move(sourceDir))
    , m_workDir(std::move(workDir))
    , m_ignoreDS(ignoreDS)
    , m_keepRecords(keepRecords) {
    for (qsizetype i = 0; i < scan.fileNames.size(); ++i)
        m_items.push_back(ArchiveItem::create(scan.fileNames[i], scan.nativeNames.value(i)));
    m_reported.assign(m_items.size(), false);
}

AnalysisRun::~AnalysisRun() = default;

void AnalysisRun::start() {
    if (m_items.empty()) {
        QMetaObject::invokeMethod(this, &AnalysisRun::finished, Qt::QueuedConnection);
        return;
    }
    for (int i = 0; i < MaxWorkers; ++i)
        launchWorkers();
}

void AnalysisRun::launchWorkers() {
    if (m_currentIndex >= m_items.size() || m_cancelled->load())
        return;
    AnalyzerJob job;
    job.sourceDir = m_sourceDir;
    job.workDir = m_workDir;
    job.index = qint64(m_currentIndex);
    job.data = m_items[m_currentIndex].isolatedCopy();
    job.ignoreDS = m_ignoreDS;
    job.cancelled = m_cancelled;
    ++m_currentIndex;
    ++m_workers;
    m_executor.start([this, job = std::move(job)]() mutable {
        analyzerThread(std::move(job), [this](AnalyzerReport report) {
            m_mainThread.callAndWait([this, &report] { gotReport(std::move(report)); });
        });
    });
}

void AnalysisRun::gotReport(AnalyzerReport report) {
    --m_workers;
    ++m_reportCount;
    const auto index = std::size_t(report.index);
    m_items[index] = std::move(report.data);
    m_reported[index] = true;
    emit progressed(m_reportCount, int(m_items.size()));
    handOnCompleted();
    launchWorkers();
    if (m_workers == 0 && (m_currentIndex >= m_items.size() || m_cancelled->load()))
        emit finished();
}

void AnalysisRun::handOnCompleted() {
    while (m_handedOn < m_items.size() && m_reported[m_handedOn]) {
        emit recordReady(m_items[m_handedOn]);
        if (!m_keepRecords)
            m_items[m_handedOn] = ArchiveItem();
        ++m_handedOn;
    }
}

} // namespace packshelf::cli
