#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace packshelf {

// Reads a message WireWriter wrote, trusting none of it: every length is
// checked against what is left, and the first read that does not fit makes
// this and every later read answer nothing.
class WireReader {
public:
    explicit WireReader(QByteArrayView bytes)
        : m_bytes(bytes) {}

    std::optional<quint8> byte();
    std::optional<quint32> u32();
    std::optional<quint64> u64();
    std::optional<qint64> i64();
    std::optional<QByteArray> bytes();
    std::optional<QString> text();

    // What is left unread.
    qsizetype left() const { return m_failed ? 0 : m_bytes.size() - m_position; }
    bool atEnd() const { return !m_failed && m_position == m_bytes.size(); }
    bool failed() const { return m_failed; }

private:
    // The next `size` bytes, or null (and failed) when fewer are left.
    const char* take(qsizetype size);

    QByteArrayView m_bytes;
    qsizetype m_position = 0;
    bool m_failed = false;
};

} // namespace packshelf
