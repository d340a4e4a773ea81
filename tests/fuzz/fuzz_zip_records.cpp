// libFuzzer target: the zip reader on arbitrary bytes in memory: the end
// records, the Zip64 records, the central directory and the local headers,
// then the decoding of every entry.
#include "tests/fuzz/FuzzReading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace packshelf;
    const MemoryInput input(fuzz::bytesOf(data, size));
    const Result<ArchiveIndex> index = readArchiveIndex(input);
    if (!index)
        return 0;
    (void)index->digest();
    fuzz::decodeZipEntries(input, *index);
    return 0;
}
