#include "archive/ArchiveIndex.h"

#include <QCryptographicHash>
#include <algorithm>
#include <array>
#include <ctime>
#include <optional>
#include <sys/stat.h>

#include "archive/CentralDirectory.h"
#include "archive/EntryName.h"
#include "archive/EntrySupport.h"
#include "archive/InputWindow.h"
#include "archive/NativeName.h"
#include "archive/ZipInput.h"
#include "archive/ZipRecords.h"
#include "core/EngineText.h"

namespace packshelf {

using namespace zipformat;

namespace {

constexpr int HostUnix = 3;
// The central directory is read in long stretches; local headers, which
// lie apart, in shorter ones that still hold those of many small entries.
constexpr quint64 DirectoryStretch = 256 * 1024;
constexpr quint64 HeaderStretch = 16 * 1024;
// A writer that knows no Zip64 records lets a count of entries wrap.
constexpr quint64 CountWrap = 0x10000;

QString normalizedPath(const QString& name) {
    // Most names have nothing to normalize: no empty and no "." component.
    bool plain = !name.isEmpty();
    qsizetype componentStart = 0;
    for (qsizetype i = 0; plain && i <= name.size(); ++i) {
        if (i < name.size() && name.at(i) != QLatin1Char('/'))
            continue;
        const qsizetype length = i - componentStart;
        plain = length > 1 || (length == 1 && name.at(componentStart) != QLatin1Char('.'));
        componentStart = i + 1;
    }
    if (plain)
        return name;
    QStringList parts;
    for (const QString& part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String("."))
            parts.append(part);
    }
    return parts.join(QLatin1Char('/'));
}

// Folders end with a slash (or, except on Unix, a backslash), or carry the
// folder attribute: MS-DOS's 0x10 or Unix's mode 040000, on an entry that
// holds nothing. A Unix mode 0120000 makes a link, whose data is its target.
IndexEntry::Kind kindOf(const QByteArray& rawName, const CentralRecord& record) {
    const bool unix = record.versionMadeBy >> 8 == HostUnix;
    if (rawName.endsWith('/') || (!unix && rawName.endsWith('\\')))
        return IndexEntry::Kind::Folder;
    const quint32 mode = record.externalAttributes >> 16;
    if (unix && S_ISLNK(mode))
        return IndexEntry::Kind::Link;
    constexpr quint32 DosFolder = 0x10;
    if (record.uncompressedSize == 0 &&
        ((record.externalAttributes & DosFolder) || (unix && S_ISDIR(mode))))
        return IndexEntry::Kind::Folder;
    return IndexEntry::Kind::File;
}

// The entry's name as its maker meant it.
QString entryNameOf(const CentralRecord& record) {
    const std::optional<QByteArrayView> unicode = unicodePath(record.extra, record.name);
    QString name = unicode && isUtf8(*unicode)
                       ? QString::fromUtf8(*unicode)
                       : decodeEntryName(record.name.toByteArray(), record.flags & FlagUtf8);
    if (record.versionMadeBy >> 8 != HostUnix)
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return name;
}

bool dataOverlaps(const std::vector<std::pair<quint64, quint64>>& ranges) {
    auto sorted = ranges;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        if (sorted[i].first < sorted[i - 1].second)
            return true;
    }
    return false;
}

// Whether a local header says the same of its entry as the central
// directory does. Sizes and CRC-32 are compared only where the header
// holds them: not when they follow the data (flag bit 3), nor a size left
// saturated for want of a Zip64 field.
bool headerMatches(const LocalHeader& header, const CentralRecord& record) {
    if (header.method != record.method || header.nameLength != record.name.size())
        return false;
    if (header.flags & FlagDataDescriptor)
        return true;
    // Some writers leave CRC-32 and sizes at 0 without saying that they
    // follow the data: the central directory's values stand, checked as
    // every entry's are (data inside the file, no data shared).
    if (header.crc == 0 && header.compressedSize == 0 && header.uncompressedSize == 0)
        return true;
    const auto sameSize = [](quint64 local, quint64 central) {
        return local == Saturated32 || local == central;
    };
    return header.crc == record.crc && sameSize(header.compressedSize, record.compressedSize) &&
           sameSize(header.uncompressedSize, record.uncompressedSize);
}

class IndexReader {
public:
    explicit IndexReader(const ZipInput& input)
        : m_input(input)
        , m_directory(input, DirectoryStretch)
        , m_headers(input, HeaderStretch) {}

    Result<ArchiveIndex> read() {
        const Status whole = readAll();
        if (!whole)
            return whole.failure();
        return std::move(m_index);
    }

private:
    Status readAll() {
        const Result<CentralDirectoryLocation> located = locateCentralDirectory(m_input);
        if (!located)
            return located.failure();
        m_location = *located;
        if (m_location.entries > MaxIndexEntries)
            return tooMany();
        m_index.entries.reserve(std::size_t(m_location.entries));
        m_ranges.reserve(std::size_t(m_location.entries));

        quint64 position = m_location.offset;
        quint64 count = 0;
        while (count < m_location.entries || (m_location.countMayWrap && recordAt(position))) {
            if (count == MaxIndexEntries)
                return tooMany();
            const std::optional<CentralRecord> record = recordAt(position);
            if (!record)
                return damagedDirectory();
            position += record->length;
            if (const Status read = readEntry(*record); !read)
                return read;
            ++count;
        }
        // More records than the end records declare: a damaged directory,
        // unless a count of 16 bits wrapped.
        if ((count - m_location.entries) % CountWrap != 0 || recordAt(position))
            return damagedDirectory();
        // Nothing to install, and hardly what the user meant to hand over.
        if (count == 0)
            return fail(EngineText::tr("the archive is empty"));
        if (dataOverlaps(m_ranges))
            return fail(EngineText::tr("entries share their data (a zip bomb)"));
        return {};
    }

    static Failure tooMany() {
        return fail(EngineText::tr("more than %1 entries").arg(MaxIndexEntries));
    }
    static Failure damagedDirectory() {
        return fail(EngineText::tr("the archive's directory is damaged"));
    }

    // The central record at `position`, when a whole one lies there within
    // the directory.
    std::optional<CentralRecord> recordAt(quint64 position) {
        const quint64 end = m_location.offset + m_location.size;
        if (end - position < CentralRecord::FixedSize)
            return std::nullopt;
        const char* fixed = m_directory.bytesAt(position, CentralRecord::FixedSize);
        const std::size_t length = fixed ? centralRecordLength(fixed) : 0;
        if (length == 0 || length > end - position)
            return std::nullopt;
        const char* whole = m_directory.bytesAt(position, length);
        if (!whole)
            return std::nullopt;
        return parseCentralRecord(whole);
    }

    // Reads the entry's local header: where its data begins. Nothing when
    // the header is missing, damaged or does not match the directory.
    std::optional<quint64> dataOffsetOf(const CentralRecord& record, quint64* headerOffset) {
        if (record.localHeaderOffset > m_input.size() - m_location.shift)
            return std::nullopt;
        const quint64 offset = record.localHeaderOffset + m_location.shift;
        const char* fixed = m_headers.bytesAt(offset, LocalHeader::FixedSize);
        std::optional<LocalHeader> header = fixed ? parseLocalHeaderStart(fixed) : std::nullopt;
        const char* whole = header ? m_headers.bytesAt(offset, header->length()) : nullptr;
        if (!whole)
            return std::nullopt;
        applyLocalZip64Field(*header,
                             QByteArrayView(whole + LocalHeader::FixedSize + header->nameLength,
                                            header->extraLength));
        if (!headerMatches(*header, record))
            return std::nullopt;
        *headerOffset = offset;
        return offset + header->length();
    }

    // Reads the entry into the index; fails when the archive is refused on
    // its account.
    Status readEntry(const CentralRecord& record) {
        const QByteArray rawName = record.name.toByteArray();
        const QString name = entryNameOf(record);
        if (const Status readable = checkEntryReadable(record, name); !readable)
            return readable;
        quint64 headerOffset = 0;
        const std::optional<quint64> dataOffset = dataOffsetOf(record, &headerOffset);
        if (!dataOffset)
            return fail(EngineText::tr("damaged entry header of %1").arg(name));
        if (*dataOffset > m_input.size() || record.compressedSize > m_input.size() - *dataOffset)
            return fail(EngineText::tr("the data of %1 lies outside the archive").arg(name));
        // From the local header on: entries that share a header share data.
        m_ranges.emplace_back(headerOffset, *dataOffset + record.compressedSize);

        if (!isSafeEntryName(rawName, name)) {
            m_index.refused.append(name);
            return {};
        }
        IndexEntry entry;
        const QString path = normalizedPath(name);
        if (path.isEmpty())
            return {}; // names nothing below the folder it is written to
        entry.name = name;
        entry.path = path == name ? name : path; // shares the text in the common case
        entry.kind = kindOf(rawName, record);
        entry.method = record.method;
        entry.flags = record.flags;
        entry.encrypted = record.flags & FlagEncrypted;
        if (record.method == MethodAes) {
            const std::optional<AesField> aes = parseAesField(record.extra);
            entry.method = aes->realMethod; // checked by checkEntryReadable()
            entry.aesStrength = quint8(aes->strength);
            entry.aesVersion = quint8(aes->version);
            entry.encrypted = true;
        }
        entry.crc = record.crc;
        entry.compressedSize = record.compressedSize;
        entry.uncompressedSize = record.uncompressedSize;
        entry.dosDate = (quint32(record.dosDate) << 16) | record.dosTime;
        entry.utcModified = utcModificationTime(record.extra).value_or(IndexEntry::NoUtcTime);
        entry.localHeaderOffset = headerOffset;
        entry.dataOffset = *dataOffset;
        if (record.versionMadeBy >> 8 == HostUnix)
            entry.unixMode = (record.externalAttributes >> 16) & 07777;
        m_index.entries.push_back(std::move(entry));
        return {};
    }

    const ZipInput& m_input;
    InputWindow m_directory;
    InputWindow m_headers;
    CentralDirectoryLocation m_location;
    ArchiveIndex m_index;
    std::vector<std::pair<quint64, quint64>> m_ranges;
};

} // namespace

QByteArray ArchiveIndex::digest() const {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray listing;
    for (const IndexEntry& entry : entries) {
        const quint64 fields[] = {quint64(entry.method),  quint64(entry.encrypted),
                                  quint64(entry.crc),     entry.compressedSize,
                                  entry.uncompressedSize, quint64(entry.dosDate),
                                  entry.dataOffset,       quint64(entry.kind)};
        listing.append(reinterpret_cast<const char*>(fields), sizeof fields);
        listing.append(entry.name.toUtf8()).append('\0');
    }
    for (const QString& name : refused)
        listing.append(name.toUtf8()).append('\0');
    if (!format.isEmpty())
        listing.append("format ").append(format.toUtf8()).append(identity);
    hash.addData(listing);
    return hash.result();
}

qint64 IndexEntry::modifiedTime() const {
    return utcModified != NoUtcTime ? utcModified : dosDateToUnixTime(dosDate);
}

bool ArchiveIndex::hasEncryptedEntries() const {
    return std::any_of(entries.begin(), entries.end(),
                       [](const IndexEntry& entry) { return entry.encrypted; });
}

quint64 ArchiveIndex::declaredBytes() const {
    quint64 total = 0;
    for (const IndexEntry& entry : entries)
        total = entry.uncompressedSize > ~total ? ~quint64(0) : total + entry.uncompressedSize;
    return total;
}

namespace {

qint64 localDosTime(quint32 dosDate) {
    struct tm parts {};
    parts.tm_sec = int(dosDate & 0x1f) * 2;
    parts.tm_min = int((dosDate >> 5) & 0x3f);
    parts.tm_hour = int((dosDate >> 11) & 0x1f);
    parts.tm_mday = int((dosDate >> 16) & 0x1f);
    parts.tm_mon = int((dosDate >> 21) & 0x0f) - 1;
    parts.tm_year = int((dosDate >> 25) & 0x7f) + 80;
    parts.tm_isdst = -1;
    return qint64(::mktime(&parts));
}

} // namespace

// mktime() reads the time zone again on every call, which shows on archives
// of tens of thousands of entries; their times repeat, so a small cache per
// thread answers most of them.
qint64 dosDateToUnixTime(quint32 dosDate) {
    struct Slot {
        quint32 dosDate = 0;
        qint64 time = 0;
        bool filled = false;
    };
    thread_local std::array<Slot, 64> cache;
    Slot& slot = cache[(dosDate ^ (dosDate >> 16)) % cache.size()];
    if (!slot.filled || slot.dosDate != dosDate)
        slot = {dosDate, localDosTime(dosDate), true};
    return slot.time;
}

Result<ArchiveIndex> readArchiveIndex(const ZipInput& input) {
    return IndexReader(input).read();
}

} // namespace packshelf
