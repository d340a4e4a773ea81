#include "archive/DecodedOutput.h"

#include <zlib.h>

#include "core/EngineText.h"

namespace packshelf {

DecodeStatus DecodedOutput::deliver(const unsigned char* data, std::size_t size) {
    if (size == 0)
        return DecodeStatus::Ok;
    if (size > room())
        return DecodeStatus::TooLong;
    m_crc = quint32(crc32_z(m_crc, data, size));
    m_produced += size;
    return m_sink(reinterpret_cast<const char*>(data), size) ? DecodeStatus::Ok
                                                             : DecodeStatus::SinkFailed;
}

DecodeStatus DecodedOutput::finish(const quint32* expected) const {
    if (m_produced != m_declared)
        return DecodeStatus::Damaged;
    return !expected || *expected == m_crc ? DecodeStatus::Ok : DecodeStatus::CrcError;
}

QString decodeProblem(DecodeStatus status, const QString& name) {
    switch (status) {
    case DecodeStatus::Ok:
        break;
    case DecodeStatus::Damaged:
        return EngineText::tr("damaged data in %1").arg(name);
    case DecodeStatus::TooLong:
        return EngineText::tr("%1 is larger than it declares").arg(name);
    case DecodeStatus::CrcError:
        return EngineText::tr("CRC error in %1").arg(name);
    case DecodeStatus::SinkFailed:
        return EngineText::tr("%1 could not be written").arg(name);
    case DecodeStatus::ReadFailed:
        return EngineText::tr("cannot read %1 from the archive").arg(name);
    case DecodeStatus::Cancelled:
        return EngineText::tr("cancelled");
    case DecodeStatus::NoPassword:
        return EngineText::tr("%1 is encrypted and no password was given").arg(name);
    case DecodeStatus::WrongPassword:
        return EngineText::tr("wrong password for %1").arg(name);
    case DecodeStatus::NotAuthentic:
        return EngineText::tr("damaged data in %1 (its authentication code does not match)")
            .arg(name);
    case DecodeStatus::TooMuchMemory:
        return EngineText::tr("%1 needs more memory to decode than an entry may take").arg(name);
    case DecodeStatus::Unsupported:
        return EngineText::tr("no decoder for %1").arg(name);
    }
    return QString();
}

} // namespace packshelf
