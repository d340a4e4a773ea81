#pragma once

#include <QByteArray>
#include <QtEndian>

// The little-endian fields of archive formats, appended or overwritten in
// place, for the writers that build archives byte by byte.
namespace packshelf::test {

inline void putLe(QByteArray& out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}
inline void put16(QByteArray& out, quint64 value) {
    putLe(out, value, 2);
}
inline void put32(QByteArray& out, quint64 value) {
    putLe(out, value, 4);
}
inline void put64(QByteArray& out, quint64 value) {
    putLe(out, value, 8);
}

inline QByteArray le16(quint64 value) {
    QByteArray out;
    put16(out, value);
    return out;
}
inline QByteArray le32(quint64 value) {
    QByteArray out;
    put32(out, value);
    return out;
}
inline QByteArray le64(quint64 value) {
    QByteArray out;
    put64(out, value);
    return out;
}

inline void set16(QByteArray& bytes, qsizetype at, quint16 value) {
    qToLittleEndian<quint16>(value, bytes.data() + at);
}
inline void set32(QByteArray& bytes, qsizetype at, quint32 value) {
    qToLittleEndian<quint32>(value, bytes.data() + at);
}
inline void set64(QByteArray& bytes, qsizetype at, quint64 value) {
    qToLittleEndian<quint64>(value, bytes.data() + at);
}

} // namespace packshelf::test
