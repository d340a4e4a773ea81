#include "tests/support/RarWriter.h"

#include <QFile>
#include <zlib.h>

#include "tests/support/LittleEndian.h"

namespace packshelf::test {

namespace {

constexpr quint32 DosDate = 0x3acf6eafu; // 2009-06-15 13:53:30

quint32 crcOf(const QByteArray& bytes) {
    return quint32(
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

void putNumber(QByteArray& out, quint64 value) {
    do {
        const char low = char(value & 0x7f);
        value >>= 7;
        out.append(value ? char(low | 0x80) : low);
    } while (value);
}

// RAR 4: a block whose CRC (low 16 bits of the CRC-32 of everything after
// it) leads.
QByteArray rar4Block(const QByteArray& afterCrc) {
    QByteArray block;
    putLe(block, crcOf(afterCrc) & 0xffff, 2);
    return block + afterCrc;
}

// RAR 5: CRC-32, the header's size, the header.
QByteArray rar5Block(const QByteArray& header) {
    QByteArray sized;
    putNumber(sized, quint64(header.size()));
    sized += header;
    QByteArray block;
    putLe(block, crcOf(sized), 4);
    return block + sized;
}

} // namespace

RarWriter& RarWriter::addFile(const QByteArray& name, const QByteArray& data) {
    return add({name, data, false, false});
}

RarWriter& RarWriter::addFolder(const QByteArray& name) {
    return add({name, {}, true, false});
}

RarWriter& RarWriter::add(Entry entry) {
    m_entries.push_back(std::move(entry));
    return *this;
}

RarWriter& RarWriter::setVolume(bool volume) {
    m_volume = volume;
    return *this;
}

QByteArray RarWriter::bytes() const {
    return m_version == Version::Rar4 ? rar4() : rar5();
}

QByteArray RarWriter::rar4() const {
    QByteArray out("Rar!\x1a\x07\x00", 7);
    QByteArray main;
    main.append(char(0x73));
    putLe(main, m_volume ? 0x0001 : 0, 2); // flags
    putLe(main, 13, 2);                    // size
    putLe(main, 0, 6);                     // reserved
    out += rar4Block(main);
    for (const Entry& entry : m_entries) {
        QByteArray name = entry.name;
        name.replace('/', '\\');
        quint16 flags = 0x8000; // data follows
        if (entry.folder)
            flags |= 0x00e0;
        if (entry.encrypted)
            flags |= 0x0004;
        QByteArray header;
        header.append(char(0x74));
        putLe(header, flags, 2);
        putLe(header, quint64(32 + name.size()), 2);
        putLe(header, quint64(entry.data.size()), 4); // packed size
        putLe(header, quint64(entry.data.size()), 4); // unpacked size
        header.append(char(2));                       // Windows
        putLe(header, crcOf(entry.data), 4);
        putLe(header, DosDate, 4);
        header.append(char(20));   // version needed
        header.append(char(0x30)); // stored
        putLe(header, quint64(name.size()), 2);
        putLe(header, entry.folder ? 0x10 : 0x20, 4); // directory / archive attribute
        header += name;
        out += rar4Block(header) + entry.data;
    }
    QByteArray end;
    end.append(char(0x7b));
    putLe(end, 0x4000, 2);
    putLe(end, 7, 2);
    return out + rar4Block(end);
}

QByteArray RarWriter::rar5() const {
    QByteArray out("Rar!\x1a\x07\x01\x00", 8);
    QByteArray main;
    putNumber(main, 1); // main archive header
    putNumber(main, 0); // header flags
    putNumber(main, m_volume ? 1 : 0);
    out += rar5Block(main);
    for (const Entry& entry : m_entries) {
        QByteArray header;
        putNumber(header, 2);    // file header
        putNumber(header, 0x02); // a data area follows
        putNumber(header, quint64(entry.data.size()));
        putNumber(header, entry.folder ? 0x1 : 0x4); // directory, or CRC-32 present
        putNumber(header, quint64(entry.data.size()));
        putNumber(header, entry.folder ? 0x10 : 0x20); // attributes
        if (!entry.folder)
            putLe(header, crcOf(entry.data), 4);
        putNumber(header, 0); // version 0, stored
        putNumber(header, 0); // Windows
        putNumber(header, quint64(entry.name.size()));
        header += entry.name;
        out += rar5Block(header) + entry.data;
    }
    QByteArray end;
    putNumber(end, 5);
    putNumber(end, 0);
    putNumber(end, 0);
    return out + rar5Block(end);
}

bool RarWriter::writeTo(const QString& path) const {
    QFile file(path);
    const QByteArray data = bytes();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(data) == data.size() && file.flush();
}

} // namespace packshelf::test
