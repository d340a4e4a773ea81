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

ZipWriter& ZipWriter::addFile(const QByteArray& name, const QByteArray& data, int method) {
    Entry entry;
    entry.name = name;
    entry.data = data;
    entry.method = method;
    return add(entry);
}

ZipWriter& ZipWriter::addFolder(const QByteArray& name) {
    Entry entry;
    entry.name = name.endsWith('/') ? name : name + '/';
    entry.method = 0;
    return add(entry);
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
    QByteArray out;
    QByteArray central;
    for (const Entry& entry : m_entries) {
        const QByteArray stored = entry.rawData       ? *entry.rawData
                                  : entry.method == 8 ? deflateRaw(entry.data)
                                                      : entry.data;
        const quint32 crc = entry.crc.value_or(crc32Of(entry.data));
        const quint32 size = entry.declaredSize.value_or(quint32(entry.data.size()));
        const quint32 offset = quint32(out.size());

        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, entry.flags);
        put16(out, quint32(entry.method));
        put16(out, entry.dosTime);
        put16(out, entry.dosDate);
        put32(out, crc);
        put32(out, quint32(stored.size()));
        put32(out, size);
        put16(out, quint32(entry.name.size()));
        put16(out, 0);
        out.append(entry.name);
        out.append(stored);

        put32(central, 0x02014b50);
        put16(central, entry.versionMadeBy);
        put16(central, 20);
        put16(central, entry.flags);
        put16(central, quint32(entry.method));
        put16(central, entry.dosTime);
        put16(central, entry.dosDate);
        put32(central, crc);
        put32(central, quint32(stored.size()));
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
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint32(m_entries.size()));
    put16(out, quint32(m_entries.size()));
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
