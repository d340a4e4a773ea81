#include "cli/AnalysisRun.h"

#include <QMetaObject>

namespace packshelf::cli {

AnalysisRun::AnalysisRun(QString sourceDir, QString workDir, bool ignoreDS, QStringList fileNames)
    : m_sourceDir(std::move(sourceDir))
    , m_workDir(std::move(workDir))
    , m_ignoreDS(ignoreDS) {
    for (const QString& name : fileNames)
        m_items.push_back(ArchiveItem::create(name));
}

AnalysisRun::~AnalysisRun() {
    for (std::thread& thread : m_threads)
        thread.join();
}

void AnalysisRun::start() {
    if (m_items.empty()) {
        QMetaObject::invokeMethod(this, &AnalysisRun::finished, Qt::QueuedConnection);
        return;
    }
    for (int i = 0; i < MaxWorkers; ++i)
        launchWorkers();
}

void AnalysisRun::launchWorkers() {
    if (m_currentIndex >= m_items.size())
        return;
    AnalyzerJob job;
    job.sourceDir = m_sourceDir;
    job.workDir = m_workDir;
    job.index = qint64(m_currentIndex);
    job.data = m_items[m_currentIndex].isolatedCopy();
    job.ignoreDS = m_ignoreDS;
    ++m_currentIndex;
    ++m_workers;
    m_threads.emplace_back([this, job = std::move(job)]() mutable {
        analyzerThread(std::move(job), [this](AnalyzerReport report) {
            m_mainThread.callAndWait([this, &report] { gotReport(std::move(report)); });
        });
    });
}

void AnalysisRun::gotReport(AnalyzerReport report) {
    --m_workers;
    ++m_reported;
    m_items[std::size_t(report.index)] = std::move(report.data);
    emit progressed(m_reported, int(m_items.size()));
    launchWorkers();
    if (m_workers == 0 && m_currentIndex >= m_items.size())
        emit finished();
}

} // namespace packshelf::cli
