#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <optional>

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveIndex.h"
#include "archive/DecodedOutput.h"
#include "archive/LibarchiveReader.h"
#include "core/Result.h"

namespace packshelf {

class ZipInput;

// The index of a 7z or RAR archive, read through libarchive from its
// headers alone (a 7z archive's header is read without decoding any data):
// the same index the zip reader makes, with the same refusals. Entries are
// `streamed`: their CRC-32 is learnt when their data is decoded. Links,
// devices and unsafe names are passed over as `refused`; encrypted entries
// or names, a split archive, a damaged or unreadable one, too many entries
// or none make the archive unusable.
Result<ArchiveIndex> readStreamIndex(const ZipInput& input, ArchiveFormat format);

// Decodes the entries of a 7z or RAR archive in archive order: a solid
// archive is decoded once when its entries are asked for in the order they
// are stored; asking for one that lies behind starts over from the top.
class StreamReader {
public:
    explicit StreamReader(const ZipInput& input);
    ~StreamReader();
    StreamReader(const StreamReader&) = delete;
    StreamReader& operator=(const StreamReader&) = delete;

    // Hands the content of `entry` (an entry of this archive's index) to
    // `sink`, checked against its declared size and, by libarchive, against
    // the CRC the format keeps; `crc` receives its CRC-32.
    Status read(const IndexEntry& entry, const EntrySink& sink, quint32* crc,
                const std::atomic<bool>* cancel = nullptr);

    // Decodes the first block of `entry`: why the archive cannot be decoded
    // when libarchive lacks the entry's compression method, nothing when it
    // has it (or the entry cannot be read for another reason).
    std::optional<QString> missingMethod(const IndexEntry& entry);

    // What libarchive reads from: positioned reads of the input.
    struct Source;

private:
    static QString dataProblem(const IndexEntry& entry, const QString& message);
    Status reopen();
    Status reachHeader(const IndexEntry& entry);
    Status copyData(const IndexEntry& entry, const EntrySink& sink, quint32* crc,
                    const std::atomic<bool>* cancel);

    const ZipInput& m_input;
    std::unique_ptr<Source> m_source;
    std::optional<LibarchiveReader> m_reader; // nothing until the first read, or after a failure
    quint64 m_nextHeader = 0;                 // the position of the header the next read meets
};

// Reads one streamed entry with a reader of its own.
Status readStreamedEntry(const ZipInput& input, const IndexEntry& entry, const EntrySink& sink,
                         const std::atomic<bool>* cancel = nullptr);

} // namespace packshelf
