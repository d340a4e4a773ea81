// libFuzzer target: the analyzer worker's whole path (expansion, nested
// archives, tree building, classification) on arbitrary bytes.
#include <cstdlib>

#include "analysis/Analyzer.h"
#include "tests/fuzz/FuzzSandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSandbox sandbox;
    sandbox.writeInput(data, size);
    packshelf::AnalyzerJob job;
    job.sourceDir = sandbox.source();
    job.workDir = sandbox.work();
    job.data = packshelf::ArchiveItem::create("input.zip");
    int reports = 0;
    packshelf::analyzerThread(job, [&](packshelf::AnalyzerReport report) {
        ++reports;
        if (report.data.state() == packshelf::ItemState::New)
            std::abort();
    });
    if (reports != 1)
        std::abort();
    sandbox.checkNothingEscaped();
    return 0;
}
