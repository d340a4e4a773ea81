// libFuzzer target: what a reader process answers, as the application
// takes it in (a reader that read a hostile archive may answer anything):
// the greeting and the outcome of a job, applied to a record.
#include <cstdlib>

#include "analysis/ItemKeys.h"
#include "readers/ReaderMessages.h"
#include "tests/fuzz/FuzzReading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace packshelf;
    const QByteArray message = fuzz::bytesOf(data, size);
    (void)readerwire::decodeHello(message);
    const ArchiveItem record = ArchiveItem::create("input.zip");
    const Result<ArchiveItem> taken = readerwire::decodeOutcome(message, record);
    // The record's own keys never come from a reader.
    if (taken && taken->fileName() != record.fileName())
        std::abort();
    return 0;
}
