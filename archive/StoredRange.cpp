#include "archive/StoredRange.h"

#include <algorithm>

#include "archive/ZipInput.h"

namespace packshelf {

qint64 StoredRange::read(unsigned char* data, std::size_t size) {
    if (m_cancel && m_cancel->load(std::memory_order_relaxed))
        return failWith(DecodeStatus::Cancelled);
    const quint64 wanted = std::min<quint64>(size, m_left);
    if (wanted == 0)
        return 0;
    const qint64 got = m_input.readAt(m_offset, data, wanted);
    if (got <= 0)
        return failWith(DecodeStatus::ReadFailed);
    m_offset += quint64(got);
    m_left -= quint64(got);
    return got;
}

} // namespace packshelf
