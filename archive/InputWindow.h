#pragma once

#include <QtGlobal>
#include <memory>

namespace packshelf {

class ZipInput;

// A cached stretch of an input, for reading many small records that lie
// close together (the central directory, the local headers of small
// entries) at one system call per stretch rather than one per record.
class InputWindow {
public:
    // `stretch`: how much is read at once; a request for more is read whole.
    InputWindow(const ZipInput& input, quint64 stretch);
    ~InputWindow();
    InputWindow(const InputWindow&) = delete;
    InputWindow& operator=(const InputWindow&) = delete;

    // The `length` bytes at `offset`, valid until the next call; nothing
    // when the input ends before them or cannot be read (see readFailed()).
    const char* bytesAt(quint64 offset, quint64 length);
    // Whether a read failed (rather than found the input's end).
    bool readFailed() const { return m_readFailed; }

private:
    bool holds(quint64 offset, quint64 length) const;
    bool fill(quint64 offset, quint64 length);

    const ZipInput& m_input;
    quint64 m_stretch;
    std::unique_ptr<char[]> m_bytes;
    quint64 m_capacity = 0;
    quint64 m_start = 0;
    quint64 m_length = 0;
    bool m_readFailed = false;
};

} // namespace packshelf
