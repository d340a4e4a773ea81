// libFuzzer target: arbitrary bytes as a zip nested in a sound archive,
// through the analyzer worker's whole path: the nested archive loaded (its
// CRC checked) and read, the archives nested in it, the tree and the
// classification.
#include <cstdlib>

#include "analysis/Analyzer.h"
#include "tests/fuzz/FuzzReading.h"
#include "tests/fuzz/FuzzSandbox.h"
#include "tests/support/ZipWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace packshelf;
    static FuzzSandbox sandbox;
    const QByteArray outer = test::ZipWriter()
                                 .addFile("Pack/Runtime/a.txt", "a")
                                 .addFile("Pack/inner.zip", fuzz::bytesOf(data, size), 0)
                                 .addFile("Pack/Data/Deeper/more.zip", fuzz::bytesOf(data, size))
                                 .bytes();
    sandbox.writeInput(reinterpret_cast<const uint8_t*>(outer.constData()), size_t(outer.size()));
    AnalyzerJob job;
    job.sourceDir = sandbox.source();
    job.workDir = sandbox.work();
    job.data = ArchiveItem::create("input.zip");
    int reports = 0;
    analyzerThread(job, [&](AnalyzerReport report) {
        ++reports;
        if (report.data.state() == ItemState::New)
            std::abort();
    });
    if (reports != 1)
        std::abort();
    sandbox.checkNothingEscaped();
    return 0;
}
