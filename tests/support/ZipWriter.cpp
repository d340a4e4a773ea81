#include "tests/support/ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <zlib.h>

#include "tests/support/LittleEndian.h"

namespace packshelf::test {

namespace {
constexpr quint32 Saturated = 0xffffffff;

// The Zip64 extended-information field holding `values`.
QByteArray zip64Field(std::initializer_list<quint64> values) {
    QByteArray field;
    put16(field, 0x0001);
    put16(field, quint32(values.size() * 8));
    for (quint64 value : values)
        put64(field, value);
    return field;
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

ZipWriter& ZipWriter::setForceZip64(bool forced) {
    m_zip64 = forced;
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

QByteArray ZipWriter::extraField(quint16 id, const QByteArray& data) {
    QByteArray field;
    put16(field, id);
    put16(field, quint32(data.size()));
    return field + data;
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
            const quint64 storedSize = quint64(stored.size());
            const QByteArray localExtra =
                (m_zip64 ? zip64Field({entry.dataDescriptor ? 0 : quint64(size),
                                       entry.dataDescriptor ? 0 : storedSize})
                         : QByteArray()) +
                entry.localExtra;
            const bool zeroValues = entry.dataDescriptor || entry.zeroLocalValues;
            put32(out, 0x04034b50);
            put16(out, m_zip64 ? 45 : 20);
            put16(out, flags);
            put16(out, quint32(entry.method));
            put16(out, entry.dosTime);
            put16(out, entry.dosDate);
            put32(out, zeroValues ? 0 : crc);
            put32(out, m_zip64 ? Saturated : zeroValues ? 0 : quint32(storedSize));
            put32(out, m_zip64 ? Saturated : zeroValues ? 0 : size);
            put16(out, quint32(entry.name.size()));
            put16(out, quint32(localExtra.size()));
            out.append(entry.name);
            out.append(localExtra);
            out.append(stored);
            if (entry.dataDescriptor) {
                put32(out, 0x08074b50);
                put32(out, crc);
                if (m_zip64) {
                    put64(out, storedSize);
                    put64(out, size);
                } else {
                    put32(out, quint32(storedSize));
                    put32(out, size);
                }
            }
        }
        offsets.push_back(offset);

        const quint32 storedSize = source.storedSize.value_or(quint32(stored.size()));
        const QByteArray centralExtra =
            (m_zip64 ? zip64Field({size, storedSize, offset}) : QByteArray()) + entry.centralExtra;
        put32(central, 0x02014b50);
        put16(central, entry.versionMadeBy);
        put16(central, m_zip64 ? 45 : 20);
        put16(central, flags);
        put16(central, quint32(source.method));
        put16(central, entry.dosTime);
        put16(central, entry.dosDate);
        put32(central, crc);
        put32(central, m_zip64 ? Saturated : storedSize);
        put32(central, m_zip64 ? Saturated : size);
        put16(central, quint32(entry.name.size()));
        put16(central, quint32(centralExtra.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, entry.externalAttributes);
        put32(central, m_zip64 ? Saturated : offset);
        central.append(entry.name);
        central.append(centralExtra);
    }
    const quint32 centralOffset = quint32(out.size());
    out.append(central);
    const quint64 count = m_entries.size();
    const bool zip64End = m_zip64 || count > 0xfffe;
    if (zip64End) {
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
    const quint32 count16 = zip64End ? 0xffff : quint32(count);
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, count16);
    put16(out, count16);
    put32(out, m_zip64 ? Saturated : quint32(central.size()));
    put32(out, m_zip64 ? Saturated : centralOffset);
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
