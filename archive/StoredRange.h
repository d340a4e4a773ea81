#pragma once

#include <atomic>

#include "archive/ByteSource.h"

namespace packshelf {

class ZipInput;

// The stored bytes of an entry: `length` bytes of an input from `offset`,
// read in order; an input that ends early or cannot be read fails the
// read, and so does `cancel` once set.
class StoredRange : public ByteSource {
public:
    StoredRange(const ZipInput& input, quint64 offset, quint64 length,
                const std::atomic<bool>* cancel = nullptr)
        : m_input(input)
        , m_offset(offset)
        , m_left(length)
        , m_cancel(cancel) {}

    qint64 read(unsigned char* data, std::size_t size) override;

private:
    const ZipInput& m_input;
    quint64 m_offset;
    quint64 m_left;
    const std::atomic<bool>* m_cancel;
};

} // namespace packshelf
