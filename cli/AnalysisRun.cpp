#include "cli/AnalysisRun.h"

#include <QMetaObject>
#include <algorithm>

#include "core/Executor.h"

namespace packshelf::cli {

namespace {

// The benchmark compares the readers with the analysis in this process.
bool inProcessWanted() {
    return qEnvironmentVariableIsSet("PACKSHELF_BENCH_IN_PROCESS");
}

} // namespace

AnalysisRun::AnalysisRun(Executor& executor, QString sourceDir, QString workDir, bool ignoreDS,
                         const SourceScan& scan, bool keepRecords)
    : m_keepRecords(keepRecords)
    , m_readers(executor, ReaderPool::Delivery::OwnerThread,
                std::min(MaxWorkers, ReaderPool::defaultReaders()))
    , m_scheduler(
          m_items,
          // A reader takes a job without keeping the thread that hands it
          // over: the jobs are handed over here, and only the analysis in
          // this process (for the benchmark) runs on the executor.
          [&executor, inProcess = inProcessWanted()](std::function<void()> body) {
              if (inProcess)
                  executor.start(std::move(body));
              else
                  body();
          },
          inProcessWanted() ? inProcessAnalysis() : static_cast<AnalysisRunner&>(m_readers),
          m_mainThread, inProcessWanted() ? MaxWorkers : MaxHandedOut,
          [settings = AnalysisScheduler::JobSettings{std::move(sourceDir), std::move(workDir),
                                                     ignoreDS}] { return settings; },
          [this](AnalyzerReport report) { gotReport(std::move(report)); }) {
    for (qsizetype i = 0; i < scan.fileNames.size(); ++i)
        m_items.push_back(ArchiveItem::create(scan.fileNames[i], scan.nativeNames.value(i)));
    m_reported.assign(m_items.size(), false);
    m_scheduler.begin(0);
}

AnalysisRun::~AnalysisRun() = default;

void AnalysisRun::start() {
    if (m_items.empty()) {
        QMetaObject::invokeMethod(this, &AnalysisRun::finished, Qt::QueuedConnection);
        return;
    }
    m_scheduler.fill();
    // Cancelled before it began (a signal from the start): nothing runs
    // that would say it ended.
    if (m_scheduler.outstanding() == 0)
        QMetaObject::invokeMethod(this, &AnalysisRun::finished, Qt::QueuedConnection);
}

void AnalysisRun::gotReport(AnalyzerReport report) {
    ++m_reportCount;
    const auto index = std::size_t(report.index);
    m_items[index] = std::move(report.data);
    m_reported[index] = true;
    emit progressed(m_reportCount, int(m_items.size()));
    handOnCompleted();
    m_scheduler.handOut();
    if (m_scheduler.outstanding() == 0 &&
        (m_scheduler.nextIndex() >= qint64(m_items.size()) || m_scheduler.cancelFlag()->load()))
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
