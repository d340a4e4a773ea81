#pragma once

#include <QString>
#include <cstddef>
#include <functional>

#include "archive/ByteSource.h"

namespace packshelf {

// Receives an entry's content piece by piece; answers false to stop (a
// write that failed).
using EntrySink = std::function<bool(const char* data, std::size_t size)>;

// Where a decoder puts what it decodes: every byte is counted against the
// entry's declared size (so that no entry inflates past what it declares)
// and taken into its CRC-32 before it reaches the receiver.
class DecodedOutput {
public:
    DecodedOutput(quint64 declaredSize, const EntrySink& sink)
        : m_declared(declaredSize)
        , m_sink(sink) {}

    DecodeStatus deliver(const unsigned char* data, std::size_t size);
    // The bytes a decoder may still deliver.
    quint64 room() const { return m_declared - m_produced; }
    quint64 produced() const { return m_produced; }
    quint32 crc() const { return m_crc; }
    // After the decoder's last piece: every declared byte came, and the
    // CRC-32 matches `expected` (not checked when `expected` is nothing).
    DecodeStatus finish(const quint32* expected) const;

private:
    quint64 m_declared;
    const EntrySink& m_sink;
    quint64 m_produced = 0;
    quint32 m_crc = 0;
};

// The sentence for a failed decode of the entry named `name`.
QString decodeProblem(DecodeStatus status, const QString& name);

} // namespace packshelf
