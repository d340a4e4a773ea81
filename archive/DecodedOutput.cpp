#include "archive/DecodedOutput.h"

#include <zlib.h>

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

} // namespace packshelf
