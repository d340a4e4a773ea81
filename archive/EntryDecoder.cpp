#include "archive/EntryDecoder.h"

#include <algorithm>
#include <memory>

#include "archive/ArchiveIndex.h"
#include "archive/StreamArchive.h"
#include "archive/ZipInput.h"

namespace packshelf {

namespace {
constexpr std::size_t OutputSize = 64 * 1024;
constexpr std::size_t InputSize = 256 * 1024;
constexpr int MethodDeflate = 8;
} // namespace

EntryDecoder::EntryDecoder(int method, quint64 declaredSize, quint32 crc, EntrySink sink)
    : m_deflated(method == MethodDeflate)
    , m_declared(declaredSize)
    , m_crc(crc)
    , m_sink(std::move(sink))
    , m_streamEnded(!m_deflated)
    , m_runningCrc(crc32(0L, Z_NULL, 0)) {
    if (m_deflated)
        m_streamReady = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK;
}

EntryDecoder::~EntryDecoder() {
    if (m_streamReady)
        inflateEnd(&m_stream);
}

EntryDecoder::Status EntryDecoder::deliver(const unsigned char* data, std::size_t size) {
    if (size == 0)
        return Status::Ok;
    if (size > m_declared - m_produced)
        return Status::TooLong;
    m_runningCrc = crc32_z(m_runningCrc, data, size);
    m_produced += size;
    return m_sink(reinterpret_cast<const char*>(data), size) ? Status::Ok : Status::SinkFailed;
}

EntryDecoder::Status EntryDecoder::feed(const unsigned char* data, std::size_t size) {
    if (!m_deflated)
        return deliver(data, size);
    if (!m_streamReady)
        return Status::Damaged;
    if (m_streamEnded)
        return Status::Ok; // bytes after the end of the deflate stream are ignored
    unsigned char output[OutputSize];
    m_stream.next_in = const_cast<unsigned char*>(data);
    m_stream.avail_in = uInt(size);
    do {
        m_stream.next_out = output;
        m_stream.avail_out = OutputSize;
        const int status = inflate(&m_stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            return Status::Damaged;
        if (Status delivered = deliver(output, OutputSize - m_stream.avail_out);
            delivered != Status::Ok)
            return delivered;
        if (status == Z_STREAM_END) {
            m_streamEnded = true;
            break;
        }
        if (status == Z_BUF_ERROR)
            break;
    } while (m_stream.avail_out == 0);
    return Status::Ok;
}

EntryDecoder::Status EntryDecoder::finish() {
    if (!m_streamEnded || m_produced != m_declared)
        return Status::Damaged;
    return m_runningCrc == m_crc ? Status::Ok : Status::CrcError;
}

QString decodeProblem(EntryDecoder::Status status, const QString& name) {
    switch (status) {
    case EntryDecoder::Status::Ok:
        break;
    case EntryDecoder::Status::Damaged:
        return QStringLiteral("damaged data in %1").arg(name);
    case EntryDecoder::Status::TooLong:
        return QStringLiteral("%1 is larger than it declares").arg(name);
    case EntryDecoder::Status::CrcError:
        return QStringLiteral("CRC error in %1").arg(name);
    case EntryDecoder::Status::SinkFailed:
        return QStringLiteral("%1 could not be written").arg(name);
    }
    return QString();
}

Status readEntryData(const ZipInput& input, const IndexEntry& entry, const EntrySink& sink,
                     const std::atomic<bool>* cancel) {
    if (entry.streamed)
        return readStreamedEntry(input, entry, sink, cancel);
    EntryDecoder decoder(entry.method, entry.uncompressedSize, entry.crc, sink);
    // As large as the data needs, and left uninitialised: only what is read
    // into it is used.
    const quint64 bufferSize = std::clamp<quint64>(entry.compressedSize, 1, InputSize);
    const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(std::size_t(bufferSize));
    quint64 offset = entry.dataOffset;
    quint64 left = entry.compressedSize;
    while (left > 0) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return fail(QStringLiteral("cancelled"));
        const quint64 want = std::min<quint64>(left, bufferSize);
        const qint64 got = input.readAt(offset, buffer.get(), want);
        if (got <= 0)
            return fail(QStringLiteral("cannot read %1 from the archive").arg(entry.name));
        if (EntryDecoder::Status status = decoder.feed(buffer.get(), std::size_t(got));
            status != EntryDecoder::Status::Ok)
            return fail(decodeProblem(status, entry.name));
        offset += quint64(got);
        left -= quint64(got);
    }
    if (EntryDecoder::Status status = decoder.finish(); status != EntryDecoder::Status::Ok)
        return fail(decodeProblem(status, entry.name));
    return {};
}

} // namespace packshelf
