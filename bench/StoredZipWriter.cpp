#include "bench/StoredZipWriter.h"

#include <QtEndian>
#include <algorithm>
#include <zlib.h>

namespace packshelf::bench {

namespace {

constexpr quint32 Max32 = 0xffffffffu;
constexpr quint16 Max16 = 0xffffu;
constexpr quint16 Zip64Version = 45;
constexpr quint16 StoredVersion = 10;
constexpr quint16 MadeByUnix = (3 << 8) | Zip64Version;
constexpr quint32 RegularFileMode = 0100644;
constexpr quint16 FlagUtf8 = 1 << 11;
// 1 January 2020, 12:00, in MS-DOS form.
constexpr quint16 DosTime = 12 << 11;
constexpr quint16 DosDate = ((2020 - 1980) << 9) | (1 << 5) | 1;

template <typename T> void put(QByteArray& out, T value) {
    const T little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), sizeof little);
}

quint16 flagsFor(const QByteArray& name) {
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? 0 : FlagUtf8;
}

quint32 crcOf(const QByteArray& data) {
    return quint32(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.constData()),
                         uInt(data.size())));
}

// The CRC-32 of `size` zero bytes, put together block by block with
// crc32_combine instead of running over gigabytes.
quint32 crcOfZeros(quint64 size) {
    static const QByteArray Block(1 << 20, '\0');
    const quint32 blockCrc = crcOf(Block);
    uLong crc = crc32(0L, Z_NULL, 0);
    for (quint64 left = size; left > 0;) {
        const qsizetype step = qsizetype(std::min<quint64>(left, quint64(Block.size())));
        const uLong stepCrc = step == Block.size() ? blockCrc : crcOf(Block.left(step));
        crc = crc32_combine(crc, stepCrc, z_off_t(step));
        left -= quint64(step);
    }
    return quint32(crc);
}

} // namespace

StoredZipWriter::StoredZipWriter(const QString& zipPath)
    : m_file(zipPath) {
    m_ok = m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void StoredZipWriter::write(const QByteArray& bytes) {
    m_ok = m_ok && m_file.write(bytes) == bytes.size();
}

void StoredZipWriter::writeLocalHeader(const Entry& entry) {
    const bool zip64 = entry.size >= Max32;
    QByteArray header;
    put<quint32>(header, 0x04034b50);
    put<quint16>(header, zip64 ? Zip64Version : StoredVersion);
    put<quint16>(header, flagsFor(entry.name));
    put<quint16>(header, 0); // stored
    put<quint16>(header, DosTime);
    put<quint16>(header, DosDate);
    put<quint32>(header, entry.crc);
    put<quint32>(header, zip64 ? Max32 : quint32(entry.size)); // compressed
    put<quint32>(header, zip64 ? Max32 : quint32(entry.size)); // uncompressed
    put<quint16>(header, quint16(entry.name.size()));
    put<quint16>(header, zip64 ? 20 : 0);
    header.append(entry.name);
    if (zip64) { // Zip64 extended information: both sizes
        put<quint16>(header, 1);
        put<quint16>(header, 16);
        put<quint64>(header, entry.size);
        put<quint64>(header, entry.size);
    }
    write(header);
}

void StoredZipWriter::addFile(const QString& name, const QByteArray& data) {
    const Entry entry{name.toUtf8(), crcOf(data), quint64(data.size()), quint64(m_file.pos())};
    writeLocalHeader(entry);
    write(data);
    m_entries.append(entry);
}

void StoredZipWriter::addZeros(const QString& name, quint64 size) {
    const Entry entry{name.toUtf8(), crcOfZeros(size), size, quint64(m_file.pos())};
    writeLocalHeader(entry);
    // Growing the file leaves a hole that reads as zeros and takes no room.
    const qint64 end = m_file.pos() + qint64(size);
    m_ok = m_ok && m_file.resize(end) && m_file.seek(end);
    m_entries.append(entry);
}

bool StoredZipWriter::finish() {
    const quint64 directoryOffset = quint64(m_file.pos());
    for (const Entry& entry : m_entries) {
        const bool bigSize = entry.size >= Max32;
        const bool bigOffset = entry.offset >= Max32;
        QByteArray extra; // Zip64 extended information: only the fields that overflow
        if (bigSize) {
            put<quint64>(extra, entry.size);
            put<quint64>(extra, entry.size);
        }
        if (bigOffset)
            put<quint64>(extra, entry.offset);
        if (!extra.isEmpty()) {
            QByteArray field;
            put<quint16>(field, 1);
            put<quint16>(field, quint16(extra.size()));
            extra.prepend(field);
        }
        QByteArray header;
        put<quint32>(header, 0x02014b50);
        put<quint16>(header, MadeByUnix);
        put<quint16>(header, extra.isEmpty() ? StoredVersion : Zip64Version);
        put<quint16>(header, flagsFor(entry.name));
        put<quint16>(header, 0); // stored
        put<quint16>(header, DosTime);
        put<quint16>(header, DosDate);
        put<quint32>(header, entry.crc);
        put<quint32>(header, bigSize ? Max32 : quint32(entry.size));
        put<quint32>(header, bigSize ? Max32 : quint32(entry.size));
        put<quint16>(header, quint16(entry.name.size()));
        put<quint16>(header, quint16(extra.size()));
        put<quint16>(header, 0); // comment length
        put<quint16>(header, 0); // first disk
        put<quint16>(header, 0); // internal attributes
        put<quint32>(header, RegularFileMode << 16);
        put<quint32>(header, bigOffset ? Max32 : quint32(entry.offset));
        header.append(entry.name);
        header.append(extra);
        write(header);
    }
    const quint64 endOffset = quint64(m_file.pos());
    const quint64 directorySize = endOffset - directoryOffset;
    const quint64 count = quint64(m_entries.size());

    QByteArray end;
    if (count >= Max16 || directorySize >= Max32 || directoryOffset >= Max32) {
        put<quint32>(end, 0x06064b50); // Zip64 end of central directory record
        put<quint64>(end, 44);
        put<quint16>(end, MadeByUnix);
        put<quint16>(end, Zip64Version);
        put<quint32>(end, 0);
        put<quint32>(end, 0);
        put<quint64>(end, count);
        put<quint64>(end, count);
        put<quint64>(end, directorySize);
        put<quint64>(end, directoryOffset);
        put<quint32>(end, 0x07064b50); // its locator
        put<quint32>(end, 0);
        put<quint64>(end, endOffset);
        put<quint32>(end, 1);
    }
    put<quint32>(end, 0x06054b50);
    put<quint16>(end, 0);
    put<quint16>(end, 0);
    put<quint16>(end, quint16(std::min<quint64>(count, Max16)));
    put<quint16>(end, quint16(std::min<quint64>(count, Max16)));
    put<quint32>(end, quint32(std::min<quint64>(directorySize, Max32)));
    put<quint32>(end, quint32(std::min<quint64>(directoryOffset, Max32)));
    put<quint16>(end, 0); // comment length
    write(end);
    m_ok = m_ok && m_file.flush();
    m_file.close();
    return m_ok;
}

} // namespace packshelf::bench
