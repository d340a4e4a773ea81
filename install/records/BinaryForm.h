#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstring>
#include <optional>
#include <type_traits>

namespace packshelf {

// The binary forms the library keeps for itself (its index of records):
// fixed-width integers in this machine's byte order, since they are only
// ever read where they were written; texts as a length and their UTF-16
// code units; byte strings as a length and their bytes.
class BinaryWriter {
public:
    void reserve(qsizetype size) { m_bytes.reserve(size); }
    template <typename T> void put(T value) {
        static_assert(std::is_arithmetic_v<T>);
        m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void put(const QString& text) {
        put(quint32(text.size()));
        m_bytes.append(reinterpret_cast<const char*>(text.constData()),
                       text.size() * qsizetype(sizeof(QChar)));
    }
    void put(const std::optional<QString>& text) {
        put(quint8(text.has_value()));
        if (text)
            put(*text);
    }
    void putBytes(QByteArrayView bytes) {
        put(quint64(bytes.size()));
        m_bytes.append(bytes);
    }
    void putRaw(QByteArrayView bytes) { m_bytes.append(bytes); }
    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

// Reads what BinaryWriter wrote. Every read is checked against the end; a
// failed one leaves ok() false for good and answers an empty value.
class BinaryReader {
public:
    explicit BinaryReader(QByteArrayView bytes)
        : m_bytes(bytes) {}
    bool ok() const { return m_ok; }
    void fail() { m_ok = false; }
    bool atEnd() const { return m_at == m_bytes.size(); }
    qsizetype position() const { return m_at; }

    template <typename T> T get() {
        static_assert(std::is_arithmetic_v<T>);
        T value{};
        if (take(sizeof value))
            std::memcpy(&value, m_bytes.data() + m_at - qsizetype(sizeof value), sizeof value);
        return value;
    }
    QString text() {
        QString text;
        readText(text);
        return text;
    }
    // Reads a text into `into`, reusing its room: reading many texts into
    // one string allocates once.
    void readText(QString& into) {
        const quint32 length = get<quint32>();
        if (!take(quint64(length) * sizeof(QChar))) {
            into.clear();
            return;
        }
        const qsizetype size = qsizetype(length) * qsizetype(sizeof(QChar));
        into.resize(qsizetype(length));
        if (size > 0)
            std::memcpy(into.data(), m_bytes.data() + m_at - size, std::size_t(size));
    }
    std::optional<QString> optionalText() {
        if (get<quint8>() == 0)
            return std::nullopt;
        return text();
    }
    QByteArrayView bytes() {
        const quint64 length = get<quint64>();
        if (!take(length))
            return {};
        return m_bytes.sliced(m_at - qsizetype(length), qsizetype(length));
    }

private:
    bool take(quint64 size) {
        m_ok = m_ok && size <= quint64(m_bytes.size() - m_at);
        if (m_ok)
            m_at += qsizetype(size);
        return m_ok;
    }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_ok = true;
};

} // namespace packshelf
