#pragma once

#include <QSet>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/AnalysisRunner.h"
#include "analysis/Analyzer.h"
#include "analysis/ArchiveItem.h"

namespace packshelf {

class MainThreadCall;

// Hands the records of a list to analyzer workers in list order, at most
// `maxAtOnce` of the current batch at a time, and takes their reports in on
// the owner's thread. The window and the command line both analyse through
// it. Everything but the workers runs on the owner's thread, so the
// counters need no lock: a worker hands its report over through
// MainThreadCall::callAndWait() and waits until `taken` has run.
class AnalysisScheduler {
public:
    // Runs a worker off the owner's thread (on the application's executor).
    using JobStarter = std::function<void(std::function<void()> body)>;
    // Runs on the owner's thread for every report, of any batch; the report
    // has been counted off already.
    using ReportTaken = std::function<void(AnalyzerReport report)>;

    // The folders and the option a job is given, as they are when it is
    // handed out.
    struct JobSettings {
        QString sourceDir;
        std::optional<QString> workDir;
        bool ignoreDS = false;
    };
    using SettingsNow = std::function<JobSettings()>;

    // `list` is the owner's: a record is read when it is handed out, and
    // only records still in state New are. `runner` analyses each job on
    // the thread `start` gives it.
    AnalysisScheduler(const std::vector<ArchiveItem>& list, JobStarter start,
                      AnalysisRunner& runner, MainThreadCall& handOver, int maxAtOnce,
                      SettingsNow settings, ReportTaken taken);
    AnalysisScheduler(const AnalysisScheduler&) = delete;
    AnalysisScheduler& operator=(const AnalysisScheduler&) = delete;

    // A new batch over the list from its first record. The workers of the
    // batch before stop early; they still report, with their own batch id.
    void begin(qint64 batchId);
    // Hands out the next New record when fewer than `maxAtOnce` workers of
    // the batch run; false when nothing was handed out.
    bool handOut();
    // Hands out until `maxAtOnce` workers run or no record is left.
    void fill();
    // Cancels the running workers and hands out nothing more; each worker
    // still reports.
    void cancel();
    // Records were taken out of the list while the batch runs (an install
    // took the ready ones): the next record is looked for from the first
    // again, past those of the batch handed out already.
    void rowsRemoved();

    // Called on a worker's thread: brings the report to the owner's thread
    // and returns once it has been taken in.
    void report(AnalyzerReport report);

    // Workers started and not yet reported, of any batch.
    qint64 outstanding() const { return m_outstanding; }
    // The position of the next record to hand out.
    qint64 nextIndex() const { return m_next; }
    // No record left to hand out and every worker in.
    bool finished() const;
    // Set by a signal handler to cancel the current batch.
    std::atomic<bool>* cancelFlag() { return m_cancelled.get(); }

private:
    void skipAnalysed();
    bool isToHandOut(const ArchiveItem& item) const;
    void takeIn(AnalyzerReport report);

    const std::vector<ArchiveItem>& m_list;
    JobStarter m_start;
    AnalysisRunner& m_runner;
    MainThreadCall& m_handOver;
    const int m_maxAtOnce;
    SettingsNow m_settings;
    ReportTaken m_taken;
    qint64 m_batchId = 0;
    qint64 m_next = 0;
    QSet<QString> m_handedOut; // of the batch, by file name
    qint64 m_outstanding = 0;
    int m_runningOfBatch = 0;
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
};

} // namespace packshelf
