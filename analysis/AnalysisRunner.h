#pragma once

#include "analysis/Analyzer.h"

namespace packshelf {

// Where an analyzer job runs. The window and the command line hand each
// job to a reader process (readers/ReaderPool), so that an archive that
// crashes or hangs its reader takes nothing else down; the tests and the
// fuzz targets may run the analysis in this process.
class AnalysisRunner {
public:
    virtual ~AnalysisRunner() = default;

    // On a worker thread: analyses the job's archive and calls `report`
    // exactly once with its record.
    virtual void run(AnalyzerJob job, const ReportCallback& report) = 0;
    // On the owner's thread, once the cancel flags of running jobs were
    // set: makes those jobs end soon (each still reports).
    virtual void cancelled() = 0;
};

// The analysis on the calling thread, in this process: analyzerThread().
AnalysisRunner& inProcessAnalysis();

} // namespace packshelf
