#include "archive/ArchiveIndex.h"

#include <QCryptographicHash>
#include <algorithm>
#include <array>
#include <ctime>
#include <optional>
#include <sys/stat.h>

#include "archive/EntryName.h"
#include "archive/ZipInput.h"

namespace packshelf {

namespace {

constexpr uLong FlagEncrypted = 0x1;
constexpr uLong FlagStrongEncryption = 0x40;
constexpr uLong FlagUtf8 = 0x800;
constexpr int MethodStored = 0;
constexpr int MethodDeflate = 8;
constexpr quint64 LocalHeaderSize = 30;
constexpr int HostUnix = 3;
constexpr std::size_t MaxNameBytes = 0xffff;

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

IndexEntry::Kind kindOf(const QByteArray& rawName, const unz_file_info64& info) {
    if (rawName.endsWith('/') || rawName.endsWith('\\'))
        return IndexEntry::Kind::Folder;
    const quint32 mode = quint32(info.external_fa >> 16);
    if (int(info.version >> 8) == HostUnix && S_ISLNK(mode))
        return IndexEntry::Kind::Link;
    return IndexEntry::Kind::File;
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

struct LocalHeader {
    quint64 dataOffset = 0;
    quint64 extraSize = 0;
};

// Reads the current entry's local header through minizip: where its data
// begins. Nothing when the header is damaged or does not match.
std::optional<LocalHeader> localHeaderOf(unzFile unz) {
    int method = 0;
    int level = 0;
    if (unzOpenCurrentFile2(unz, &method, &level, /*raw=*/1) != UNZ_OK)
        return std::nullopt;
    LocalHeader header;
    header.dataOffset = unzGetCurrentFileZStreamPos64(unz);
    header.extraSize = quint64(std::max(0, unzGetLocalExtrafield(unz, nullptr, 0)));
    unzCloseCurrentFile(unz);
    return header;
}

class IndexReader {
public:
    IndexReader(const ZipInput& input, bool passwordGiven)
        : m_input(input)
        , m_passwordGiven(passwordGiven) {}

    ArchiveIndex read() {
        readAll();
        if (!m_index.ok())
            m_index.entries.clear();
        return std::move(m_index);
    }

private:
    void readAll() {
        handles::UniqueUnzFile unz = openUnzip(m_input);
        unz_global_info64 global{};
        if (!unz || unzGetGlobalInfo64(unz.get(), &global) != UNZ_OK)
            return refuse(QStringLiteral("not a zip archive, or damaged"));
        if (global.number_entry > MaxIndexEntries)
            return refuse(QStringLiteral("more than %1 entries").arg(MaxIndexEntries));
        m_index.entries.reserve(std::size_t(global.number_entry));
        m_ranges.reserve(std::size_t(global.number_entry));

        int status = unzGoToFirstFile(unz.get());
        while (status == UNZ_OK) {
            if (!readCurrent(unz.get()))
                return;
            status = unzGoToNextFile(unz.get());
        }
        if (status != UNZ_END_OF_LIST_OF_FILE)
            return refuse(QStringLiteral("the archive's directory is damaged"));
        if (dataOverlaps(m_ranges))
            return refuse(QStringLiteral("entries share their data (a zip bomb)"));
    }

    void refuse(const QString& problem) { m_index.problem = problem; }

    // Reads the current entry into the index; false when the archive is
    // refused on its account.
    bool readCurrent(unzFile unz) {
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(unz, &info, m_name, sizeof m_name, nullptr, 0, nullptr, 0) !=
            UNZ_OK) {
            refuse(QStringLiteral("the archive's directory is damaged"));
            return false;
        }
        const QByteArray rawName(
            m_name, qsizetype(std::min<uLong>(info.size_filename, uLong(MaxNameBytes))));
        const QString name = decodeEntryName(rawName, info.flag & FlagUtf8)
                                 .replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (info.compression_method != MethodStored && info.compression_method != MethodDeflate) {
            refuse(QStringLiteral("unsupported compression method %1 in %2")
                       .arg(info.compression_method)
                       .arg(name));
            return false;
        }
        if ((info.flag & FlagStrongEncryption) ||
            ((info.flag & FlagEncrypted) && !m_passwordGiven)) {
            refuse(QStringLiteral("%1 is encrypted").arg(name));
            return false;
        }
        const std::optional<LocalHeader> local = localHeaderOf(unz);
        if (!local) {
            refuse(QStringLiteral("damaged entry header of %1").arg(name));
            return false;
        }
        const quint64 dataOffset = local->dataOffset;
        if (dataOffset > m_input.size() || info.compressed_size > m_input.size() - dataOffset) {
            refuse(QStringLiteral("the data of %1 lies outside the archive").arg(name));
            return false;
        }
        if (info.compressed_size > 0)
            m_ranges.emplace_back(dataOffset, dataOffset + info.compressed_size);

        if (!isSafeEntryName(rawName, name)) {
            m_index.refused.append(name);
            return true;
        }
        IndexEntry entry;
        const QString path = normalizedPath(name);
        if (path.isEmpty())
            return true; // names nothing below the folder it is written to
        entry.name = name;
        entry.path = path == name ? name : path; // shares the text in the common case
        entry.kind = kindOf(rawName, info);
        entry.method = int(info.compression_method);
        entry.encrypted = info.flag & FlagEncrypted;
        entry.crc = quint32(info.crc);
        entry.compressedSize = info.compressed_size;
        entry.uncompressedSize = info.uncompressed_size;
        entry.dosDate = quint32(info.dosDate);
        entry.localHeaderOffset =
            dataOffset -
            std::min(dataOffset, LocalHeaderSize + info.size_filename + local->extraSize);
        entry.dataOffset = dataOffset;
        if (int(info.version >> 8) == HostUnix)
            entry.unixMode = quint32(info.external_fa >> 16) & 07777;
        m_index.entries.push_back(std::move(entry));
        return true;
    }

    const ZipInput& m_input;
    bool m_passwordGiven;
    ArchiveIndex m_index;
    std::vector<std::pair<quint64, quint64>> m_ranges;
    char m_name[MaxNameBytes + 1];
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
    hash.addData(listing);
    return hash.result();
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

ArchiveIndex readArchiveIndex(const ZipInput& input, bool passwordGiven) {
    return IndexReader(input, passwordGiven).read();
}

} // namespace packshelf
