#pragma once

#include <QByteArray>
#include <QString>

namespace packshelf {

// Builds a message between the application and its reader processes:
// numbers little-endian, texts as their UTF-16 code units, each behind its
// length. WireReader reads what this writes.
class WireWriter {
public:
    void putByte(quint8 value) { m_bytes.append(char(value)); }
    void putU32(quint32 value);
    void putU64(quint64 value);
    void putI64(qint64 value) { putU64(quint64(value)); }
    void putBytes(const QByteArray& bytes);
    void putText(const QString& text);

    const QByteArray& bytes() const { return m_bytes; }
    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

} // namespace packshelf
