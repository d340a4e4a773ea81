#pragma once

#include <QString>
#include <atomic>
#include <cstddef>
#include <functional>
#include <zlib.h>

#include "core/Result.h"

namespace packshelf {

class ZipInput;
struct IndexEntry;

// Receives an entry's content piece by piece; answers false to stop (a
// write that failed).
using EntrySink = std::function<bool(const char* data, std::size_t size)>;

// Turns an entry's stored bytes into its content: stored data passes
// through, deflate data is inflated; every byte is counted against the
// declared size and the CRC-32 is checked at the end, so that damaged data
// is never taken for whole.
class EntryDecoder {
public:
    enum class Status {
        Ok,
        Damaged,    // the data cannot be inflated, or ends early
        TooLong,    // more bytes than the entry declares
        CrcError,   // the content does not match its CRC-32
        SinkFailed, // the receiver refused a piece
    };

    // `method` is 0 (stored) or 8 (deflate).
    EntryDecoder(int method, quint64 declaredSize, quint32 crc, EntrySink sink);
    ~EntryDecoder();
    EntryDecoder(const EntryDecoder&) = delete;
    EntryDecoder& operator=(const EntryDecoder&) = delete;

    // Stored (compressed) bytes, in order.
    Status feed(const unsigned char* data, std::size_t size);
    // After the last piece: the stream ended, the size and the CRC-32 match.
    Status finish();

    quint64 produced() const { return m_produced; }

private:
    Status deliver(const unsigned char* data, std::size_t size);

    bool m_deflated;
    quint64 m_declared;
    quint32 m_crc;
    EntrySink m_sink;
    z_stream m_stream{};
    bool m_streamReady = false;
    bool m_streamEnded;
    quint64 m_produced = 0;
    uLong m_runningCrc;
};

// Reads one entry of an indexed archive straight from its data range (a
// 7z or RAR entry through a reader of its own) and hands the verified
// content to `sink`; a failure has a sentence for the user. `cancel`, when given and set, stops
// the read.
Status readEntryData(const ZipInput& input, const IndexEntry& entry, const EntrySink& sink,
                     const std::atomic<bool>* cancel = nullptr);

// The sentence for a failed decode of the entry named `name`.
QString decodeProblem(EntryDecoder::Status status, const QString& name);

} // namespace packshelf
