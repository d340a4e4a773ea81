#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <cstddef>
#include <optional>

// The records of the zip format as they lie in an archive's bytes, read
// field by field (little-endian), with the Zip64 extended-information field
// applied, so that no size or offset is ever taken in its 32-bit form when
// the archive holds a 64-bit one.
namespace packshelf::zipformat {

inline constexpr quint32 LocalHeaderSignature = 0x04034b50;
inline constexpr quint32 CentralHeaderSignature = 0x02014b50;
inline constexpr quint32 EndRecordSignature = 0x06054b50;
inline constexpr quint32 Zip64EndRecordSignature = 0x06064b50;
inline constexpr quint32 Zip64LocatorSignature = 0x07064b50;
// The first four bytes of the first part of a split archive.
inline constexpr quint32 SplitMarkerSignature = 0x08074b50;

// A 16- or 32-bit field holding its largest value stands for a value kept
// in the Zip64 records.
inline constexpr quint16 Saturated16 = 0xffff;
inline constexpr quint32 Saturated32 = 0xffffffff;

inline constexpr quint16 Zip64ExtraId = 0x0001;
inline constexpr quint16 AesExtraId = 0x9901;
inline constexpr quint16 NtfsExtraId = 0x000a;
inline constexpr quint16 ExtendedTimestampId = 0x5455;
inline constexpr quint16 UnicodePathId = 0x7075;

quint16 read16(const char* at);
quint32 read32(const char* at);
quint64 read64(const char* at);

// The end of central directory record, the last record of every archive.
struct EndRecord {
    static constexpr std::size_t Size = 22;
    quint16 disk = 0;          // the part of a split archive this file is
    quint16 directoryDisk = 0; // the part the central directory begins in
    quint16 entriesOnDisk = 0;
    quint16 entries = 0;
    quint32 directorySize = 0;
    quint32 directoryOffset = 0;
    quint16 commentLength = 0;
};
// `at` holds EndRecord::Size bytes beginning with the signature.
EndRecord parseEndRecord(const char* at);

// Stands just before the end record of a Zip64 archive and says where its
// Zip64 end record is.
struct Zip64Locator {
    static constexpr std::size_t Size = 20;
    quint32 recordDisk = 0;
    quint64 recordOffset = 0;
    quint32 diskCount = 0;
};
// Nothing when `at` (Zip64Locator::Size bytes) holds no locator.
std::optional<Zip64Locator> parseZip64Locator(const char* at);

// The Zip64 end of central directory record: the end record's fields at
// their full width.
struct Zip64EndRecord {
    static constexpr std::size_t Size = 56; // without its extensible data
    quint32 disk = 0;
    quint32 directoryDisk = 0;
    quint64 entriesOnDisk = 0;
    quint64 entries = 0;
    quint64 directorySize = 0;
    quint64 directoryOffset = 0;
};
// Nothing when `at` (Zip64EndRecord::Size bytes) holds no such record.
std::optional<Zip64EndRecord> parseZip64EndRecord(const char* at);

// One entry's record in the central directory, sizes and offset at full
// width. The views point into the bytes parsed.
struct CentralRecord {
    static constexpr std::size_t FixedSize = 46;
    quint16 versionMadeBy = 0;
    quint16 flags = 0;
    quint16 method = 0;
    quint16 dosTime = 0;
    quint16 dosDate = 0;
    quint32 crc = 0;
    quint64 compressedSize = 0;
    quint64 uncompressedSize = 0;
    quint32 externalAttributes = 0;
    quint64 localHeaderOffset = 0;
    QByteArrayView name;
    QByteArrayView extra;
    std::size_t length = 0; // of the whole record
};
// The length of the central record whose fixed part `at` holds (at least
// CentralRecord::FixedSize bytes); 0 when no central record begins there.
std::size_t centralRecordLength(const char* at);
// `at` holds the whole record, centralRecordLength(at) bytes.
CentralRecord parseCentralRecord(const char* at);

// An entry's local header, which stands before its data.
struct LocalHeader {
    static constexpr std::size_t FixedSize = 30;
    quint16 flags = 0;
    quint16 method = 0;
    quint32 crc = 0;
    // Full width; still Saturated32 when the header holds no Zip64 field
    // for them (and so says nothing of them).
    quint64 compressedSize = 0;
    quint64 uncompressedSize = 0;
    quint16 nameLength = 0;
    quint16 extraLength = 0;

    std::size_t length() const { return FixedSize + nameLength + extraLength; }
};
// The local header whose fixed part `at` holds (LocalHeader::FixedSize
// bytes); nothing when no local header begins there. The sizes are still
// 32-bit: applyLocalZip64Field() widens them.
std::optional<LocalHeader> parseLocalHeaderStart(const char* at);
// Takes the sizes from the Zip64 field of the header's extra data `extra`.
void applyLocalZip64Field(LocalHeader& header, QByteArrayView extra);

// The data of the extra field `id` in an entry's extra data; nothing when
// the entry has none.
std::optional<QByteArrayView> findExtraField(QByteArrayView extra, quint16 id);

// The WinZip AES field (0x9901) of an AES-encrypted entry (method 99).
struct AesField {
    int version = 0;    // 1 (AE-1: the CRC-32 is kept) or 2 (AE-2: it is not)
    int strength = 0;   // 1, 2 or 3
    int keyBits = 0;    // 128, 192 or 256; 0 when unknown
    int realMethod = 0; // the compression method under the encryption
};
std::optional<AesField> parseAesField(QByteArrayView extra);

// The Info-ZIP Unicode Path field (0x7075): the entry's name in UTF-8,
// when the field is of version 1 and was written for the name the header
// holds now (its CRC-32 matches `rawName`); a stale field, written before
// the name was changed by a tool that knew no better, says nothing.
std::optional<QByteArrayView> unicodePath(QByteArrayView extra, QByteArrayView rawName);

// The entry's modification time in seconds since the epoch (UTC), from the
// NTFS field (0x000a) or the extended timestamp field (0x5455); nothing
// when it has neither.
std::optional<qint64> utcModificationTime(QByteArrayView extra);

} // namespace packshelf::zipformat
