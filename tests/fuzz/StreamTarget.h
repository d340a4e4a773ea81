#pragma once

#include "archive/ArchiveFormat.h"
#include "tests/fuzz/FuzzReading.h"

namespace packshelf::fuzz {

// The body of the 7z, RAR 4 and RAR 5 targets: the input, its first bytes
// made the format's signature so that every input reaches the format's
// reader, read as the index reader reads it (libarchive's headers, the RAR
// headers' identity, the first block decoded for a missing coder), then
// every entry decoded.
inline int readStreamArchive(const uint8_t* data, size_t size, const QByteArray& signature,
                             ArchiveFormat format) {
    QByteArray bytes = bytesOf(data, size);
    bytes.replace(0, std::min(bytes.size(), signature.size()), signature);
    const MemoryInput input(bytes);
    const Result<ArchiveIndex> index = readStreamIndex(input, format);
    if (!index)
        return 0;
    (void)index->digest();
    decodeStreamedEntries(input, *index);
    return 0;
}

} // namespace packshelf::fuzz
