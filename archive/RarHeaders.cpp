#include "archive/RarHeaders.h"

#include <QCryptographicHash>
#include <optional>

#include "archive/ArchiveIndex.h"
#include "archive/InputWindow.h"

namespace packshelf {

namespace {

constexpr quint64 Stretch = 64 * 1024;
// Enough for every entry an index may hold, with its service headers.
constexpr quint64 MaxHeaders = 4 * MaxIndexEntries;

constexpr unsigned char Rar4FileHeader = 0x74;
constexpr unsigned char Rar4ServiceHeader = 0x7a;
constexpr unsigned char Rar4EndHeader = 0x7b;
constexpr quint16 Rar4DataFollows = 0x8000;
constexpr quint16 Rar4LargeSizes = 0x0100;
constexpr quint64 Rar4HighPackSizeAt = 32;

constexpr quint64 Rar5EncryptionHeader = 4;
constexpr quint64 Rar5EndHeader = 5;
constexpr quint64 Rar5HasExtra = 0x1;
constexpr quint64 Rar5HasData = 0x2;

quint64 littleEndian(const char* bytes, int count) {
    quint64 value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[i]);
    return value;
}

// RAR 4: a block is CRC (2), type (1), flags (2), header size (2), the rest
// of the header, then its data, whose size the header gives when the flags
// say data follows.
void walkRar4(InputWindow& window, QCryptographicHash& hash) {
    quint64 position = 7;
    for (quint64 count = 0; count < MaxHeaders; ++count) {
        const char* start = window.bytesAt(position, 7);
        if (!start)
            return;
        const auto type = quint8(start[2]);
        const auto flags = quint16(littleEndian(start + 3, 2));
        const quint64 headerSize = littleEndian(start + 5, 2);
        const char* header = headerSize >= 7 ? window.bytesAt(position, headerSize) : nullptr;
        if (!header)
            return;
        hash.addData(QByteArrayView(header, qsizetype(headerSize)));
        if (type == Rar4EndHeader)
            return;
        quint64 dataSize = 0;
        if ((flags & Rar4DataFollows) && headerSize >= 11)
            dataSize = littleEndian(header + 7, 4);
        if ((type == Rar4FileHeader || type == Rar4ServiceHeader) && (flags & Rar4LargeSizes) &&
            headerSize >= Rar4HighPackSizeAt + 4)
            dataSize |= littleEndian(header + Rar4HighPackSizeAt, 4) << 32;
        if (dataSize > ~quint64(0) - position - headerSize)
            return; // a size that runs past any file
        position += headerSize + dataSize;
    }
}

// A RAR 5 variable-length number at `*position` of `window`, moved past it.
std::optional<quint64> rar5Number(InputWindow& window, quint64* position) {
    quint64 value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        const char* byte = window.bytesAt((*position)++, 1);
        if (!byte)
            return std::nullopt;
        value |= quint64(quint8(*byte) & 0x7f) << shift;
        if (!(quint8(*byte) & 0x80))
            return value;
    }
    return std::nullopt;
}

// RAR 5: a block is CRC-32 (4), the header's size, the header (type, flags,
// the extra area's size and the data's size when the flags say so, ...),
// then its data.
void walkRar5(InputWindow& window, QCryptographicHash& hash) {
    quint64 position = 8;
    for (quint64 count = 0; count < MaxHeaders; ++count) {
        quint64 cursor = position + 4;
        const auto headerSize = rar5Number(window, &cursor);
        if (!headerSize || *headerSize == 0)
            return;
        const quint64 headerEnd = cursor + *headerSize;
        const auto type = rar5Number(window, &cursor);
        const auto flags = rar5Number(window, &cursor);
        if (!type || !flags)
            return;
        if ((*flags & Rar5HasExtra) && !rar5Number(window, &cursor))
            return;
        std::optional<quint64> dataSize = 0;
        if (*flags & Rar5HasData)
            dataSize = rar5Number(window, &cursor);
        const char* block = window.bytesAt(position, headerEnd - position);
        if (!dataSize || cursor > headerEnd || !block)
            return;
        hash.addData(QByteArrayView(block, qsizetype(headerEnd - position)));
        if (*type == Rar5EncryptionHeader || *type == Rar5EndHeader)
            return;
        position = headerEnd + *dataSize;
        if (position < headerEnd)
            return; // a size that wraps around
    }
}

} // namespace

QByteArray rarHeadersIdentity(const ZipInput& input) {
    InputWindow window(input, Stretch);
    const char* signature = window.bytesAt(0, 8);
    if (!signature || QByteArrayView(signature, 6) != QByteArrayView("Rar!\x1a\x07", 6))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (signature[6] == 0x00)
        walkRar4(window, hash);
    else if (signature[6] == 0x01 && signature[7] == 0x00)
        walkRar5(window, hash);
    else
        return {};
    return hash.result();
}

} // namespace packshelf
