#include "archive/InputWindow.h"

#include <algorithm>

#include "archive/ZipInput.h"

namespace packshelf {

InputWindow::InputWindow(const ZipInput& input, quint64 stretch)
    : m_input(input)
    , m_stretch(stretch) {}

InputWindow::~InputWindow() = default;

bool InputWindow::holds(quint64 offset, quint64 length) const {
    return offset >= m_start && offset - m_start <= m_length &&
           length <= m_length - (offset - m_start);
}

// Reads the stretch that begins at `offset` and holds at least `length`
// bytes, as far as the input goes.
bool InputWindow::fill(quint64 offset, quint64 length) {
    const quint64 available = offset < m_input.size() ? m_input.size() - offset : 0;
    if (length > available)
        return false;
    const quint64 wanted = std::min(std::max(length, m_stretch), available);
    if (wanted > m_capacity) {
        m_bytes = std::make_unique_for_overwrite<char[]>(std::size_t(wanted));
        m_capacity = wanted;
    }
    m_start = offset;
    m_length = 0;
    const qint64 got = m_input.readAt(offset, m_bytes.get(), wanted);
    if (got < 0) {
        m_readFailed = true;
        return false;
    }
    m_length = quint64(got);
    return m_length >= length;
}

const char* InputWindow::bytesAt(quint64 offset, quint64 length) {
    if (!holds(offset, length) && !fill(offset, length))
        return nullptr;
    return m_bytes.get() + (offset - m_start);
}

} // namespace packshelf
