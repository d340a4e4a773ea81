#include "analysis/AnalysisScheduler.h"

#include "core/MainThreadCall.h"

namespace packshelf {

AnalysisScheduler::AnalysisScheduler(const std::vector<ArchiveItem>& list, JobStarter start,
                                     AnalysisRunner& runner, MainThreadCall& handOver,
                                     int maxAtOnce, SettingsNow settings, ReportTaken taken)
    : m_list(list)
    , m_start(std::move(start))
    , m_runner(runner)
    , m_handOver(handOver)
    , m_maxAtOnce(maxAtOnce > 0 ? maxAtOnce : 1)
    , m_settings(std::move(settings))
    , m_taken(std::move(taken)) {}

void AnalysisScheduler::begin(qint64 batchId) {
    cancel();
    m_cancelled = std::make_shared<std::atomic<bool>>(false);
    m_batchId = batchId;
    m_next = 0;
    m_handedOut.clear();
    m_runningOfBatch = 0;
}

void AnalysisScheduler::cancel() {
    m_cancelled->store(true);
    m_runner.cancelled();
}

// Records kept from an earlier scan are analysed already; those of this
// batch handed out are still New until their report comes in.
void AnalysisScheduler::skipAnalysed() {
    const auto count = qint64(m_list.size());
    while (m_next < count && !isToHandOut(m_list[std::size_t(m_next)]))
        ++m_next;
}

bool AnalysisScheduler::isToHandOut(const ArchiveItem& item) const {
    return item.state() == ItemState::New && !m_handedOut.contains(item.fileName());
}

void AnalysisScheduler::rowsRemoved() {
    m_next = 0;
}

bool AnalysisScheduler::handOut() {
    skipAnalysed();
    if (m_cancelled->load() || m_runningOfBatch >= m_maxAtOnce || m_next >= qint64(m_list.size()))
        return false;
    JobSettings settings = m_settings();
    AnalyzerJob job;
    job.sourceDir = std::move(settings.sourceDir);
    job.workDir = std::move(settings.workDir);
    job.index = m_next;
    job.batchId = m_batchId;
    job.data = m_list[std::size_t(m_next)].isolatedCopy();
    m_handedOut.insert(job.data.fileName());
    job.ignoreDS = settings.ignoreDS;
    job.cancelled = m_cancelled;
    ++m_next;
    ++m_outstanding;
    ++m_runningOfBatch;
    m_start([this, job = std::move(job)]() mutable {
        m_runner.run(std::move(job), [this](AnalyzerReport done) { report(std::move(done)); });
    });
    return true;
}

void AnalysisScheduler::fill() {
    while (handOut()) {
    }
}

void AnalysisScheduler::report(AnalyzerReport report) {
    m_handOver.callAndWait([this, &report] { takeIn(std::move(report)); });
}

void AnalysisScheduler::takeIn(AnalyzerReport report) {
    --m_outstanding;
    if (report.batchId == m_batchId)
        --m_runningOfBatch;
    m_taken(std::move(report));
}

bool AnalysisScheduler::finished() const {
    if (m_outstanding != 0)
        return false;
    for (auto i = std::size_t(m_next); i < m_list.size(); ++i) {
        if (isToHandOut(m_list[i]))
            return false;
    }
    return true;
}

} // namespace packshelf
