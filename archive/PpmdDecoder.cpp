#include "archive/PpmdDecoder.h"

#include <QByteArray>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <memory>

#include "archive/DecodedOutput.h"
#include "archive/LibarchiveHandles.h"

namespace packshelf {

namespace {

constexpr int MethodPpmd = 98;
constexpr std::size_t ChunkSize = 64 * 1024;
constexpr quint32 Saturated = 0xffffffff;

void put16(QByteArray& out, quint16 value) {
    out.append(char(value & 0xff)).append(char(value >> 8));
}

void put32(QByteArray& out, quint32 value) {
    put16(out, quint16(value & 0xffff));
    put16(out, quint16(value >> 16));
}

void put64(QByteArray& out, quint64 value) {
    put32(out, quint32(value & 0xffffffff));
    put32(out, quint32(value >> 32));
}

// A local header for one entry named "x" whose data follow it, with a
// Zip64 field when a size needs one.
QByteArray localHeader(quint64 storedSize, quint64 size) {
    const bool wide = storedSize >= Saturated || size >= Saturated;
    QByteArray header;
    put32(header, 0x04034b50);
    put16(header, 63);
    put16(header, 0); // flags: sizes here, no encryption
    put16(header, MethodPpmd);
    put32(header, 0); // time and date
    put32(header, 0); // CRC-32, not checked here
    put32(header, wide ? Saturated : quint32(storedSize));
    put32(header, wide ? Saturated : quint32(size));
    put16(header, 1);
    put16(header, wide ? 20 : 0);
    header.append('x');
    if (wide) {
        put16(header, 0x0001);
        put16(header, 16);
        put64(header, size);
        put64(header, storedSize);
    }
    return header;
}

// What libarchive reads: the header, then the entry's stored bytes.
struct Feed {
    QByteArray header;
    bool headerGiven = false;
    ByteSource* source = nullptr;
    quint64 left = 0;
    std::unique_ptr<unsigned char[]> chunk =
        std::make_unique_for_overwrite<unsigned char[]>(ChunkSize);
    bool failed = false;

    static la_ssize_t read(struct archive* reader, void* data, const void** block) {
        Feed& feed = *static_cast<Feed*>(data);
        if (!feed.headerGiven) {
            feed.headerGiven = true;
            *block = feed.header.constData();
            return feed.header.size();
        }
        if (feed.left == 0)
            return 0;
        const qint64 got =
            feed.source->read(feed.chunk.get(), std::min<quint64>(ChunkSize, feed.left));
        if (got <= 0) {
            feed.failed = true;
            archive_set_error(reader, EIO, "the entry's data cannot be read");
            return -1;
        }
        feed.left -= quint64(got);
        *block = feed.chunk.get();
        return got;
    }
};

} // namespace

DecodeStatus decodePpmd(ByteSource& in, DecodedOutput& out, quint64 storedSize) {
    Feed feed;
    feed.header = localHeader(storedSize, out.room());
    feed.source = &in;
    feed.left = storedSize;
    handles::UniqueArchiveReader reader(archive_read_new());
    // The CRC-32 is checked by the caller, as for every method: libarchive
    // would drop the last piece of an entry that fails its check.
    if (!reader || archive_read_support_format_zip_streamable(reader.get()) != ARCHIVE_OK ||
        archive_read_set_options(reader.get(), "zip:ignorecrc32") != ARCHIVE_OK)
        return DecodeStatus::TooMuchMemory;
    archive_read_set_callback_data(reader.get(), &feed);
    archive_read_set_read_callback(reader.get(), &Feed::read);
    struct archive_entry* header = nullptr;
    if (archive_read_open1(reader.get()) != ARCHIVE_OK ||
        archive_read_next_header(reader.get(), &header) != ARCHIVE_OK)
        return feed.failed ? in.failure() : DecodeStatus::Damaged;
    const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(ChunkSize);
    for (;;) {
        const la_ssize_t got = archive_read_data(reader.get(), buffer.get(), ChunkSize);
        if (got == 0)
            return DecodeStatus::Ok;
        if (got < 0) {
            return feed.failed ? in.failure() : DecodeStatus::Damaged;
        }
        if (const DecodeStatus delivered = out.deliver(buffer.get(), std::size_t(got));
            delivered != DecodeStatus::Ok)
            return delivered;
    }
}

} // namespace packshelf
