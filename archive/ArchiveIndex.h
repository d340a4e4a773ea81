#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <limits>
#include <vector>

#include "core/Result.h"

namespace packshelf {

class ZipInput;

// One entry of an archive as its central directory describes it.
struct IndexEntry {
    enum class Kind : quint8 { File, Folder, Link };

    // The decoded name (the Unicode Path field when it is current, else
    // the header's bytes: UTF-8 when valid, else CP437), with backslashes
    // turned into slashes except in names made on Unix, where they are
    // characters.
    QString name;
    // The name's components without empty and "." ones, joined with "/".
    QString path;
    Kind kind = Kind::File;
    int method = 0;    // the compression method (under the encryption, for AES)
    quint16 flags = 0; // general purpose bits
    bool encrypted = false;
    // WinZip AES: the key's strength (1, 2 or 3 for 128, 192 or 256 bits)
    // and the field's version (2: the CRC-32 is not kept); 0 otherwise.
    quint8 aesStrength = 0;
    quint8 aesVersion = 0;
    quint32 crc = 0;
    quint64 compressedSize = 0;
    quint64 uncompressedSize = 0;
    quint32 dosDate = 0; // MS-DOS date (high half) and time (low half)
    // The modification time in UTC seconds from an NTFS or extended
    // timestamp field; NoUtcTime when the entry has only its MS-DOS date.
    static constexpr qint64 NoUtcTime = std::numeric_limits<qint64>::min();
    qint64 utcModified = NoUtcTime;
    // Zip: where the local header and the data begin. 7z and RAR: both hold
    // the entry's position among the archive's headers.
    quint64 localHeaderOffset = 0;
    quint64 dataOffset = 0;
    // Permission bits (07777) from the external attributes of an entry made
    // on Unix, 0 when none: whoever writes the entry applies the
    // executable bits under the user's umask, never setuid, setgid or
    // sticky.
    quint32 unixMode = 0;
    // An entry of a 7z or RAR archive, read through libarchive in archive
    // order; its `crc` is known only once its data has been decoded.
    bool streamed = false;
    bool crcKnown = true;

    bool isFolder() const { return kind == Kind::Folder; }
    bool isLink() const { return kind == Kind::Link; }
    // When the entry was last modified, in seconds since the epoch: the UTC
    // time of its timestamp fields, or its MS-DOS date read as local time.
    qint64 modifiedTime() const;
};

// Everything an archive holds, read from its central directory in one pass
// before any data is read, with the checks that decide whether the archive
// can be used at all.
struct ArchiveIndex {
    // The usable entries, in central directory order.
    std::vector<IndexEntry> entries;
    // Names of entries passed over because they would leave the folder they
    // are written to (a ".." component, an absolute path, a drive letter)
    // or hold a NUL byte.
    QStringList refused;
    // Set only by readArchiveIndexOnce(), for the one caller that has not
    // moved to cachedIndex() yet; every other reader answers a Result.
    QString problem;
    bool ok() const { return problem.isEmpty(); }
    // Empty for zip; "7z" or "RAR" for an archive read through libarchive.
    QString format{};
    // 7z: the start header (where the archive's header lies, its size and
    // CRC-32), which through that header covers every file's CRC-32.
    QByteArray identity{};
    // Whether any entry is encrypted.
    bool hasEncryptedEntries() const;
    // SHA-256 over the listing (every entry's name, method, flags, sizes,
    // CRC-32, date and offset, and the format and its identity when it is
    // not zip): names
    // the archive's content without reading its data.
    QByteArray digest() const;
    // The sum of the entries' declared sizes (saturating).
    quint64 declaredBytes() const;
};

// More entries than this make an archive unusable (its tree alone would
// take more memory than a package may).
inline constexpr quint64 MaxIndexEntries = 500'000;

// An entry's MS-DOS date and time, read as local time, in seconds since
// the epoch.
qint64 dosDateToUnixTime(quint32 dosDate);

// Reads the index of a zip archive, or says why the archive cannot be
// used: not an archive, a split archive, a damaged directory, no entries at
// all, an unsupported method or encryption (named), entries whose data
// overlap (the stuff of zip bombs) or lie outside the file, too many
// entries. Encrypted entries are listed like any other: whether a password
// opens them is found when their data are read.
Result<ArchiveIndex> readArchiveIndex(const ZipInput& input);

} // namespace packshelf
