#include "analysis/AnalysisRunner.h"

namespace packshelf {

namespace {

// Jobs see their cancel flag themselves.
class InProcessAnalysis final : public AnalysisRunner {
public:
    void run(AnalyzerJob job, const ReportCallback& report) override {
        analyzerThread(std::move(job), report);
    }
    void cancelled() override {}
};

} // namespace

AnalysisRunner& inProcessAnalysis() {
    static InProcessAnalysis runner;
    return runner;
}

} // namespace packshelf
