#include "archive/ZipRecords.h"

#include <initializer_list>
#include <span>
#include <zlib.h>

namespace packshelf::zipformat {

namespace {

quint8 byteAt(const char* at, int index) {
    return static_cast<quint8>(at[index]);
}

// Replaces, in order, each of `fields` with the next 64-bit value of a Zip64
// field's data, as long as values remain.
void takeZip64Values(QByteArrayView data, std::span<quint64* const> fields) {
    qsizetype position = 0;
    for (quint64* field : fields) {
        if (position + 8 > data.size())
            return;
        *field = read64(data.data() + position);
        position += 8;
    }
}

} // namespace

quint16 read16(const char* at) {
    return quint16(byteAt(at, 0) | (byteAt(at, 1) << 8));
}

quint32 read32(const char* at) {
    return quint32(read16(at)) | (quint32(read16(at + 2)) << 16);
}

quint64 read64(const char* at) {
    return quint64(read32(at)) | (quint64(read32(at + 4)) << 32);
}

EndRecord parseEndRecord(const char* at) {
    EndRecord record;
    record.disk = read16(at + 4);
    record.directoryDisk = read16(at + 6);
    record.entriesOnDisk = read16(at + 8);
    record.entries = read16(at + 10);
    record.directorySize = read32(at + 12);
    record.directoryOffset = read32(at + 16);
    record.commentLength = read16(at + 20);
    return record;
}

std::optional<Zip64Locator> parseZip64Locator(const char* at) {
    if (read32(at) != Zip64LocatorSignature)
        return std::nullopt;
    Zip64Locator locator;
    locator.recordDisk = read32(at + 4);
    locator.recordOffset = read64(at + 8);
    locator.diskCount = read32(at + 16);
    return locator;
}

std::optional<Zip64EndRecord> parseZip64EndRecord(const char* at) {
    if (read32(at) != Zip64EndRecordSignature)
        return std::nullopt;
    Zip64EndRecord record;
    record.disk = read32(at + 16);
    record.directoryDisk = read32(at + 20);
    record.entriesOnDisk = read64(at + 24);
    record.entries = read64(at + 32);
    record.directorySize = read64(at + 40);
    record.directoryOffset = read64(at + 48);
    return record;
}

std::size_t centralRecordLength(const char* at) {
    if (read32(at) != CentralHeaderSignature)
        return 0;
    return CentralRecord::FixedSize + read16(at + 28) + read16(at + 30) + read16(at + 32);
}

CentralRecord parseCentralRecord(const char* at) {
    CentralRecord record;
    record.versionMadeBy = read16(at + 4);
    record.flags = read16(at + 8);
    record.method = read16(at + 10);
    record.dosTime = read16(at + 12);
    record.dosDate = read16(at + 14);
    record.crc = read32(at + 16);
    record.compressedSize = read32(at + 20);
    record.uncompressedSize = read32(at + 24);
    const quint16 nameLength = read16(at + 28);
    const quint16 extraLength = read16(at + 30);
    record.externalAttributes = read32(at + 38);
    record.localHeaderOffset = read32(at + 42);
    record.name = QByteArrayView(at + CentralRecord::FixedSize, nameLength);
    record.extra = QByteArrayView(at + CentralRecord::FixedSize + nameLength, extraLength);
    record.length = centralRecordLength(at);

    // The Zip64 field holds, in this order, only the values whose 32-bit
    // field is saturated.
    const std::optional<QByteArrayView> zip64 = findExtraField(record.extra, Zip64ExtraId);
    if (!zip64)
        return record;
    quint64* wide[3];
    std::size_t wideCount = 0;
    for (quint64* field :
         {&record.uncompressedSize, &record.compressedSize, &record.localHeaderOffset}) {
        if (*field == Saturated32)
            wide[wideCount++] = field;
    }
    takeZip64Values(*zip64, std::span(wide, wideCount));
    return record;
}

std::optional<LocalHeader> parseLocalHeaderStart(const char* at) {
    if (read32(at) != LocalHeaderSignature)
        return std::nullopt;
    LocalHeader header;
    header.flags = read16(at + 6);
    header.method = read16(at + 8);
    header.crc = read32(at + 14);
    header.compressedSize = read32(at + 18);
    header.uncompressedSize = read32(at + 22);
    header.nameLength = read16(at + 26);
    header.extraLength = read16(at + 28);
    return header;
}

void applyLocalZip64Field(LocalHeader& header, QByteArrayView extra) {
    const bool compressedWide = header.compressedSize == Saturated32;
    const bool uncompressedWide = header.uncompressedSize == Saturated32;
    if (!compressedWide && !uncompressedWide)
        return;
    const std::optional<QByteArrayView> zip64 = findExtraField(extra, Zip64ExtraId);
    if (!zip64)
        return;
    // A local header's Zip64 field is to hold both sizes; writers that hold
    // only the saturated one are read as the central directory is.
    quint64* const both[] = {&header.uncompressedSize, &header.compressedSize};
    if (zip64->size() >= 16)
        takeZip64Values(*zip64, both);
    else
        takeZip64Values(*zip64, std::span(both).subspan(uncompressedWide ? 0 : 1, 1));
}

std::optional<QByteArrayView> findExtraField(QByteArrayView extra, quint16 id) {
    qsizetype position = 0;
    while (position + 4 <= extra.size()) {
        const quint16 fieldId = read16(extra.data() + position);
        const quint16 length = read16(extra.data() + position + 2);
        if (position + 4 + length > extra.size())
            return std::nullopt; // a field that runs past the extra data ends the walk
        if (fieldId == id)
            return extra.sliced(position + 4, length);
        position += 4 + length;
    }
    return std::nullopt;
}

std::optional<QByteArrayView> unicodePath(QByteArrayView extra, QByteArrayView rawName) {
    const std::optional<QByteArrayView> field = findExtraField(extra, UnicodePathId);
    if (!field || field->size() < 6 || byteAt(field->data(), 0) != 1)
        return std::nullopt;
    const quint32 nameCrc = read32(field->data() + 1);
    const quint32 actual =
        quint32(crc32_z(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(rawName.data()),
                        std::size_t(rawName.size())));
    if (nameCrc != actual)
        return std::nullopt;
    return field->sliced(5);
}

std::optional<qint64> utcModificationTime(QByteArrayView extra) {
    // NTFS: four reserved bytes, then tagged attributes; tag 1 holds the
    // modification, access and creation times in 100 ns since 1601.
    if (const std::optional<QByteArrayView> ntfs = findExtraField(extra, NtfsExtraId)) {
        constexpr qint64 Ticks = 10'000'000;
        constexpr qint64 From1601 = 11'644'473'600;
        qsizetype position = 4;
        while (position + 4 <= ntfs->size()) {
            const quint16 tag = read16(ntfs->data() + position);
            const quint16 size = read16(ntfs->data() + position + 2);
            if (position + 4 + size > ntfs->size())
                break;
            if (tag == 1 && size >= 8) {
                const quint64 ticks = read64(ntfs->data() + position + 4);
                return qint64(ticks / Ticks) - From1601;
            }
            position += 4 + size;
        }
    }
    // Extended timestamp: a flags byte, then, when bit 0 is set, the
    // modification time as a signed 32-bit count of seconds.
    if (const std::optional<QByteArrayView> stamp = findExtraField(extra, ExtendedTimestampId);
        stamp && stamp->size() >= 5 && (byteAt(stamp->data(), 0) & 1))
        return qint64(qint32(read32(stamp->data() + 1)));
    return std::nullopt;
}

std::optional<AesField> parseAesField(QByteArrayView extra) {
    const std::optional<QByteArrayView> field = findExtraField(extra, AesExtraId);
    if (!field || field->size() < 7 || field->at(2) != 'A' || field->at(3) != 'E')
        return std::nullopt;
    AesField aes;
    aes.version = read16(field->data());
    const int strength = byteAt(field->data(), 4);
    const bool known = strength >= 1 && strength <= 3 && (aes.version == 1 || aes.version == 2);
    aes.strength = known ? strength : 0;
    aes.keyBits = known ? 64 + 64 * strength : 0;
    aes.realMethod = read16(field->data() + 5);
    return aes;
}

} // namespace packshelf::zipformat
