#include "tests/support/ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <zlib.h>

namespace packshelf::test {

namespace {
void put16(QByteArray& out, quint32 value) {
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}
void put32(QByteArray& out, quint32 value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}
} // namespace

ZipWriter& ZipWriter::add(Entry entry) {
    m_entries.push_back(std::move(entry));
    return *this;
}

ZipWriter::Entry ZipWriter::entry(const QByteArray& name, const QByteArray& data, int method) {
    Entry e;
    e.name = name;
    e.data = data;
    e.method = method;
    return e;
}

ZipWriter& ZipWriter::addFile(const QByteArray& name, const QByteArray& data, int method) {
    return add(entry(name, data, method));
}

ZipWriter& ZipWriter::addFolder(const QByteArray& name) {
    Entry entry;
    entry.name = name.endsWith('/') ? name : name + '/';
    entry.method = 0;
    return add(entry);
}

ZipWriter& ZipWriter::addSymlink(const QByteArray& name, const QByteArray& target) {
    Entry entry;
    entry.name = name;
    entry.data = target;
    entry.method = 0;
    entry.versionMadeBy = (3 << 8) | 20;
    entry.externalAttributes = 0120777u << 16;
    return add(entry);
}

ZipWriter& ZipWriter::setPrefix(const QByteArray& prefix) {
    m_prefix = prefix;
    return *this;
}

QByteArray ZipWriter::deflateRaw(const QByteArray& data) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.truncate(int(z.total_out));
    deflateEnd(&z);
    return out;
}

quint32 ZipWriter::crc32Of(const QByteArray& data) {
    return quint32(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.constData()),
                         uInt(data.size())));
}

QByteArray ZipWriter::bytes() const {
    QByteArray out = m_prefix;
    QByteArray central;
    std::vector<quint32> offsets;
    for (const Entry& entry : m_entries) {
        const Entry& source = entry.aliasOf ? m_entries[std::size_t(*entry.aliasOf)] : entry;
        const QByteArray stored = source.rawData       ? *source.rawData
                                  : source.method == 8 ? deflateRaw(source.data)
                                                       : source.data;
        const quint32 crc = source.crc.value_or(crc32Of(source.data));
        const quint32 size = source.declaredSize.value_or(quint32(source.data.size()));
        const quint16 flags = entry.flags | (entry.dataDescriptor ? 0x8 : 0);
        quint32 offset = 0;
        if (entry.aliasOf) {
            offset = offsets[std::size_t(*entry.aliasOf)];
        } else {
            offset = quint32(out.size());
            put32(out, 0x04034b50);
            put16(out, 20);
            put16(out, flags);
            put16(out, quint32(entry.method));
            put16(out, entry.dosTime);
            put16(out, entry.dosDate);
            put32(out, entry.dataDescriptor ? 0 : crc);
            put32(out, entry.dataDescriptor ? 0 : quint32(stored.size()));
            put32(out, entry.dataDescriptor ? 0 : size);
            put16(out, quint32(entry.name.size()));
            put16(out, 0);
            out.append(entry.name);
            out.append(stored);
            if (entry.dataDescriptor) {
                put32(out, 0x08074b50);
                put32(out, crc);
                put32(out, quint32(stored.size()));
                put32(out, size);
            }
        }
        offsets.push_back(offset);

        put32(central, 0x02014b50);
        put16(central, entry.versionMadeBy);
        put16(central, 20);
        put16(central, flags);
        put16(central, quint32(source.method));
        put16(central, entry.dosTime);
        put16(central, entry.dosDate);
        put32(central, crc);
        put32(central, source.storedSize.value_or(quint32(stored.size())));
        put32(central, size);
        put16(central, quint32(entry.name.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, entry.externalAttributes);
        put32(central, offset);
        central.append(entry.name);
    }
    const quint32 centralOffset = quint32(out.size());
    out.append(central);
    const quint64 count = m_entries.size();
    if (count > 0xfffe) {
        // Zip64 end record and locator, for more entries than 16 bits hold.
        const quint32 zip64EndOffset = quint32(out.size());
        put32(out, 0x06064b50);
        put32(out, 44);
        put32(out, 0);
        put16(out, 45);
        put16(out, 45);
        put32(out, 0);
        put32(out, 0);
        put32(out, quint32(count));
        put32(out, 0);
        put32(out, quint32(count));
        put32(out, 0);
        put32(out, quint32(central.size()));
        put32(out, 0);
        put32(out, centralOffset);
        put32(out, 0);
        put32(out, 0x07064b50);
        put32(out, 0);
        put32(out, zip64EndOffset);
        put32(out, 0);
        put32(out, 1);
    }
    const quint32 count16 = count > 0xfffe ? 0xffff : quint32(count);
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, count16);
    put16(out, count16);
    put32(out, quint32(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

bool ZipWriter::writeTo(const QString& path) const {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray data = bytes();
    return file.write(data) == data.size();
}

} // namespace packshelf::test
