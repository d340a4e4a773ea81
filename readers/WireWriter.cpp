#include "readers/WireWriter.h"

#include <QtEndian>

namespace packshelf {

void WireWriter::putU32(quint32 value) {
    const quint32 little = qToLittleEndian(value);
    m_bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

void WireWriter::putU64(quint64 value) {
    const quint64 little = qToLittleEndian(value);
    m_bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

void WireWriter::putBytes(const QByteArray& bytes) {
    putU32(quint32(bytes.size()));
    m_bytes.append(bytes);
}

void WireWriter::putText(const QString& text) {
    putU32(quint32(text.size()));
    m_bytes.append(reinterpret_cast<const char*>(text.utf16()),
                   text.size() * qsizetype(sizeof(char16_t)));
}

} // namespace packshelf
