// libFuzzer target: RAR 4 archives through libarchive, from the index to
// every entry's data.
#include "tests/fuzz/StreamTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return packshelf::fuzz::readStreamArchive(data, size, QByteArray("Rar!\x1a\x07\x00", 7),
                                              packshelf::ArchiveFormat::Rar);
}
