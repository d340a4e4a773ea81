#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "archive/ArchiveIndex.h"
#include "archive/EntryDecoder.h"
#include "archive/StreamArchive.h"
#include "archive/ZipInput.h"

// What the fuzz targets that read in memory share: the input as bytes, and
// decoding every entry of an index as an install does, with what is
// decoded bounded so that a bomb costs no more than a few megabytes.
namespace packshelf::fuzz {

inline constexpr std::size_t DecodedBytesMax = 8u << 20;

inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A sink that takes at most DecodedBytesMax bytes over all entries.
class BoundedSink {
public:
    EntrySink sink() {
        return [this](const char*, std::size_t size) {
            m_taken += size;
            return m_taken <= DecodedBytesMax;
        };
    }

private:
    std::size_t m_taken = 0;
};

// Decodes every file of a zip index from its data range.
inline void decodeZipEntries(const ZipInput& input, const ArchiveIndex& index) {
    BoundedSink bounded;
    for (const IndexEntry& entry : index.entries) {
        if (!entry.isFolder())
            (void)readEntryData(input, entry, bounded.sink());
    }
}

// Decodes every file of a 7z or RAR index in archive order through one
// reader, as an install does, and the last one again with a reader of its
// own, as a repair does.
inline void decodeStreamedEntries(const ZipInput& input, const ArchiveIndex& index) {
    BoundedSink bounded;
    StreamReader reader(input);
    const IndexEntry* last = nullptr;
    for (const IndexEntry& entry : index.entries) {
        if (entry.isFolder())
            continue;
        quint32 crc = 0;
        (void)reader.read(entry, bounded.sink(), &crc);
        last = &entry;
    }
    if (last)
        (void)readStreamedEntry(input, *last, bounded.sink());
}

} // namespace packshelf::fuzz
