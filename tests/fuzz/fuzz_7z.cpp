// libFuzzer target: 7z archives through libarchive, from the index to
// every entry's data.
#include "tests/fuzz/StreamTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return packshelf::fuzz::readStreamArchive(data, size, QByteArray("7z\xBC\xAF\x27\x1C", 6),
                                              packshelf::ArchiveFormat::SevenZip);
}
