#include "readers/WireReader.h"

#include <QtEndian>
#include <cstring>

namespace packshelf {

const char* WireReader::take(qsizetype size) {
    if (m_failed || size < 0 || size > m_bytes.size() - m_position) {
        m_failed = true;
        return nullptr;
    }
    const char* at = m_bytes.data() + m_position;
    m_position += size;
    return at;
}

std::optional<quint8> WireReader::byte() {
    const char* at = take(1);
    return at ? std::optional<quint8>(quint8(*at)) : std::nullopt;
}

std::optional<quint32> WireReader::u32() {
    const char* at = take(sizeof(quint32));
    return at ? std::optional<quint32>(qFromLittleEndian<quint32>(at)) : std::nullopt;
}

std::optional<quint64> WireReader::u64() {
    const char* at = take(sizeof(quint64));
    return at ? std::optional<quint64>(qFromLittleEndian<quint64>(at)) : std::nullopt;
}

std::optional<qint64> WireReader::i64() {
    const std::optional<quint64> value = u64();
    return value ? std::optional<qint64>(qint64(*value)) : std::nullopt;
}

std::optional<QByteArray> WireReader::bytes() {
    const std::optional<quint32> size = u32();
    const char* at = size ? take(qsizetype(*size)) : nullptr;
    return at ? std::optional<QByteArray>(QByteArray(at, qsizetype(*size))) : std::nullopt;
}

std::optional<QString> WireReader::text() {
    const std::optional<quint32> units = u32();
    if (!units || *units > quint64(left()) / sizeof(char16_t)) {
        m_failed = true;
        return std::nullopt;
    }
    const char* at = take(qsizetype(*units) * qsizetype(sizeof(char16_t)));
    QString text(qsizetype(*units), Qt::Uninitialized);
    std::memcpy(text.data(), at, std::size_t(*units) * sizeof(char16_t));
    return text;
}

} // namespace packshelf
