#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

namespace packshelf {

// One version of a file's content, as the library's store of versions
// names it: its SHA-256 and its size. Records and journals name a version
// by its key, "<sha256 in hexadecimal>-<size>", which is also the name of
// its file in the store.
struct Version {
    QByteArray sha256; // raw, 32 bytes
    quint64 size = 0;

    QString key() const {
        return QString::fromLatin1(sha256.toHex()) + QLatin1Char('-') + QString::number(size);
    }
    bool operator==(const Version&) const = default;

    // The version a key names; nothing when it is not a key.
    static std::optional<Version> fromKey(QStringView key) {
        if (key.size() < 66 || key[64] != QLatin1Char('-'))
            return std::nullopt;
        bool ok = false;
        const quint64 size = key.sliced(65).toULongLong(&ok);
        const QByteArray hex = key.first(64).toLatin1();
        const QByteArray raw = QByteArray::fromHex(hex);
        if (!ok || raw.size() != 32 || raw.toHex() != hex ||
            key.sliced(65) != QString::number(size))
            return std::nullopt;
        return Version{raw, size};
    }
};

} // namespace packshelf
