// libFuzzer target: RAR 5 archives through libarchive, from the index to
// every entry's data.
#include "tests/fuzz/StreamTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return packshelf::fuzz::readStreamArchive(data, size, QByteArray("Rar!\x1a\x07\x01\x00", 8),
                                              packshelf::ArchiveFormat::Rar);
}
