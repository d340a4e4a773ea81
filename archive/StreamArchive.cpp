#include "archive/StreamArchive.h"

#include <QStringList>
#include <algorithm>
#include <archive_entry.h>
#include <array>
#include <ctime>
#include <optional>
#include <utility>
#include <zlib.h>

#include "archive/EntryName.h"
#include "archive/RarHeaders.h"
#include "archive/ZipInput.h"
#include "core/EngineText.h"

namespace packshelf {

namespace {

constexpr std::size_t BlockSize = 64 * 1024;
constexpr quint64 SevenZipStartHeader = 32;
constexpr quint16 Rar4VolumeFlag = 0x0001;
constexpr quint64 Rar5VolumeFlag = 0x0001;

quint64 littleEndian(const unsigned char* bytes, int count) {
    quint64 value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

// A RAR 5 variable-length number at `position`, moved past it.
std::optional<quint64> rar5Number(const std::array<unsigned char, 64>& bytes,
                                  std::size_t* position) {
    quint64 value = 0;
    for (int shift = 0; *position < bytes.size() && shift < 64; shift += 7) {
        const unsigned char byte = bytes[(*position)++];
        value |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return value;
    }
    return std::nullopt;
}

// Why the archive is one part of several (or cut short where its directory
// would be), read from its first headers; nothing when it stands alone. A
// 7z archive's start header goes to `identity`.
std::optional<QString> splitProblem(const ZipInput& input, ArchiveFormat format,
                                    QByteArray* identity) {
    std::array<unsigned char, 64> bytes{};
    if (input.readAt(0, bytes.data(), bytes.size()) < qint64(SevenZipStartHeader))
        return std::nullopt; // too short to tell: libarchive says what it is
    if (format == ArchiveFormat::SevenZip) {
        *identity = QByteArray(reinterpret_cast<const char*>(&bytes[12]), 20);
        const quint64 offset = littleEndian(&bytes[12], 8);
        const quint64 size = littleEndian(&bytes[20], 8);
        const quint64 available = input.size() - SevenZipStartHeader;
        if (offset > available || size > available - offset)
            return EngineText::tr("split archive, or cut short: its directory lies beyond the "
                                  "end of the file");
        return std::nullopt;
    }
    if (bytes[6] == 0x00) { // RAR 4: the main header follows the signature
        if (bytes[9] == 0x73 && (littleEndian(&bytes[10], 2) & Rar4VolumeFlag))
            return EngineText::tr("split archive: this is one of its volumes");
        return std::nullopt;
    }
    // RAR 5: CRC-32, header size, type 1 (main), flags, [extra size], [data
    // size], archive flags.
    std::size_t position = 8 + 4;
    const auto size = rar5Number(bytes, &position);
    const auto type = rar5Number(bytes, &position);
    const auto flags = rar5Number(bytes, &position);
    if (!size || !type || !flags || *type != 1)
        return std::nullopt;
    if ((*flags & 0x1) && !rar5Number(bytes, &position))
        return std::nullopt;
    if ((*flags & 0x2) && !rar5Number(bytes, &position))
        return std::nullopt;
    const auto archiveFlags = rar5Number(bytes, &position);
    if (archiveFlags && (*archiveFlags & Rar5VolumeFlag))
        return EngineText::tr("split archive: this is one of its volumes");
    return std::nullopt;
}

quint32 dosDateOf(time_t time) {
    struct tm parts {};
    if (!::localtime_r(&time, &parts) || parts.tm_year < 80)
        return (1u << 21) | (1u << 16); // 1 January 1980
    return quint32(std::min(parts.tm_year - 80, 127)) << 25 | quint32(parts.tm_mon + 1) << 21 |
           quint32(parts.tm_mday) << 16 | quint32(parts.tm_hour) << 11 |
           quint32(parts.tm_min) << 5 | quint32(parts.tm_sec / 2);
}

QString normalizedPath(const QString& name) {
    QStringList parts;
    for (const QString& part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String("."))
            parts.append(part);
    }
    return parts.join(QLatin1Char('/'));
}

// libarchive names a 7z coder it lacks by its ID: the method's name, for
// the ones 7-Zip writers use, with the ID.
QString describeCoder(const QString& message) {
    static const QLatin1String prefix("Unknown codec ID: ");
    const qsizetype at = message.indexOf(prefix);
    if (at < 0)
        return message;
    const QString id = message.mid(at + prefix.size()).trimmed();
    static const std::pair<const char*, const char*> names[] = {
        {"40109", "Deflate64"}, {"4f71101", "Zstandard"}, {"4f71102", "Brotli"}, {"4f71104", "LZ4"},
        {"4f71105", "Lizard"},  {"4f71106", "LZ5"},       {"a", "ARM64"},        {"b", "RISC-V"}};
    for (const auto& [code, name] : names) {
        if (id.compare(QLatin1String(code), Qt::CaseInsensitive) == 0)
            return EngineText::tr("%1, coder %2").arg(QLatin1String(name), id);
    }
    return QStringLiteral("coder %1").arg(id);
}

bool isMissingCoder(const QString& message) {
    return message.contains(QLatin1String("unsupported"), Qt::CaseInsensitive) ||
           message.contains(QLatin1String("codec"), Qt::CaseInsensitive);
}

QString entryName(struct archive_entry* entry, QByteArray* raw) {
    const char* utf8 = archive_entry_pathname_utf8(entry);
    const char* local = archive_entry_pathname(entry);
    *raw = QByteArray(utf8 ? utf8 : local ? local : "");
    return decodeEntryName(*raw, utf8 != nullptr).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

} // namespace

// What libarchive reads from: positioned reads of the input, so that any
// number of readers share one open file.
struct StreamReader::Source {
    const ZipInput& input;
    quint64 position = 0;
    std::unique_ptr<char[]> block = std::make_unique_for_overwrite<char[]>(BlockSize);

    static la_ssize_t read(struct archive* reader, void* data, const void** block) {
        auto* source = static_cast<Source*>(data);
        const qint64 got = source->input.readAt(source->position, source->block.get(), BlockSize);
        if (got < 0) {
            archive_set_error(reader, EIO, "cannot read the archive");
            return -1;
        }
        source->position += quint64(got);
        *block = source->block.get();
        return la_ssize_t(got);
    }

    static la_int64_t skip(struct archive*, void* data, la_int64_t request) {
        auto* source = static_cast<Source*>(data);
        const quint64 left =
            source->input.size() - std::min(source->position, source->input.size());
        const quint64 skipped = std::min(quint64(std::max<la_int64_t>(request, 0)), left);
        source->position += skipped;
        return la_int64_t(skipped);
    }

    static la_int64_t seek(struct archive*, void* data, la_int64_t offset, int whence) {
        auto* source = static_cast<Source*>(data);
        const qint64 base = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? qint64(source->position)
                                                 : qint64(source->input.size());
        const qint64 target = base + offset;
        if (target < 0)
            return ARCHIVE_FATAL;
        source->position = quint64(target);
        return target;
    }
};

namespace {

// A reader of 7z and RAR over `source`, opened.
Result<LibarchiveReader> openReader(StreamReader::Source& source) {
    return LibarchiveReader::open({&StreamReader::Source::read, &StreamReader::Source::skip,
                                   &StreamReader::Source::seek, &source});
}

} // namespace

StreamReader::StreamReader(const ZipInput& input)
    : m_input(input) {}

StreamReader::~StreamReader() = default;

Status StreamReader::reopen() {
    m_reader.reset();
    m_source = std::make_unique<Source>(Source{m_input});
    m_nextHeader = 0;
    Result<LibarchiveReader> reader = openReader(*m_source);
    if (!reader)
        return reader.failure();
    m_reader.emplace(std::move(*reader));
    return {};
}

Status StreamReader::reachHeader(const IndexEntry& entry) {
    const quint64 wanted = entry.dataOffset;
    if (!m_reader || !m_reader->isOpen() || wanted < m_nextHeader) {
        const Status reopened = reopen();
        if (!reopened)
            return fail(EngineText::tr("cannot read %1: %2").arg(entry.name, reopened.reason()));
    }
    struct archive_entry* header = nullptr;
    while (m_nextHeader <= wanted) {
        const Result<std::optional<archive_entry*>> next = m_reader->nextHeader();
        if (!next || !*next) {
            const QString problem =
                next ? EngineText::tr("it is no longer in the archive") : next.reason();
            m_reader.reset();
            return fail(EngineText::tr("cannot read %1: %2").arg(entry.name, problem));
        }
        header = **next;
        ++m_nextHeader;
    }
    // The file may have changed since its index was read.
    QByteArray raw;
    if (entryName(header, &raw) != entry.name ||
        quint64(archive_entry_size(header)) != entry.uncompressedSize) {
        m_reader.reset();
        return fail(EngineText::tr("%1 changed since the archive was read").arg(entry.name));
    }
    return {};
}

Status StreamReader::copyData(const IndexEntry& entry, const EntrySink& sink, quint32* crc,
                              const std::atomic<bool>* cancel) {
    uLong running = crc32(0L, Z_NULL, 0);
    quint64 produced = 0;
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            m_reader.reset();
            return fail(EngineText::tr("cancelled"));
        }
        const Result<std::optional<LibarchiveReader::Block>> next = m_reader->nextBlock();
        if (!next) {
            m_reader.reset();
            return fail(dataProblem(entry, next.reason()));
        }
        if (!*next)
            break;
        const LibarchiveReader::Block& block = **next;
        if (quint64(block.offset) != produced || block.size > entry.uncompressedSize - produced) {
            m_reader.reset();
            return fail(decodeProblem(DecodeStatus::TooLong, entry.name));
        }
        const auto* bytes = static_cast<const unsigned char*>(block.data);
        running = crc32_z(running, bytes, block.size);
        produced += block.size;
        if (block.size > 0 && !sink(static_cast<const char*>(block.data), block.size)) {
            m_reader.reset();
            return fail(decodeProblem(DecodeStatus::SinkFailed, entry.name));
        }
    }
    if (produced != entry.uncompressedSize) {
        m_reader.reset();
        return fail(decodeProblem(DecodeStatus::Damaged, entry.name));
    }
    *crc = quint32(running);
    return {};
}

// Why decoding `entry` stopped, from what libarchive said.
QString StreamReader::dataProblem(const IndexEntry& entry, const QString& message) {
    // A warning while reading data is a mismatch of the format's CRC.
    if (message.contains(QLatin1String("CRC"), Qt::CaseInsensitive))
        return decodeProblem(DecodeStatus::CrcError, entry.name);
    if (isMissingCoder(message))
        return EngineText::tr("unsupported compression method %1 in %2")
            .arg(describeCoder(message), entry.name);
    return EngineText::tr("damaged data in %1 (%2)").arg(entry.name, message);
}

std::optional<QString> StreamReader::missingMethod(const IndexEntry& entry) {
    if (!reachHeader(entry).ok())
        return std::nullopt;
    const Result<std::optional<LibarchiveReader::Block>> block = m_reader->nextBlock();
    m_reader.reset();
    if (block || !isMissingCoder(block.reason()))
        return std::nullopt;
    return dataProblem(entry, block.reason());
}

Status StreamReader::read(const IndexEntry& entry, const EntrySink& sink, quint32* crc,
                          const std::atomic<bool>* cancel) {
    if (Status reached = reachHeader(entry); !reached.ok())
        return reached;
    return copyData(entry, sink, crc, cancel);
}

Status readStreamedEntry(const ZipInput& input, const IndexEntry& entry, const EntrySink& sink,
                         const std::atomic<bool>* cancel) {
    StreamReader reader(input);
    quint32 crc = 0;
    const Status read = reader.read(entry, sink, &crc, cancel);
    if (read.ok() && entry.crcKnown && crc != entry.crc)
        return fail(decodeProblem(DecodeStatus::CrcError, entry.name));
    return read;
}

namespace {

class StreamIndexReader {
public:
    StreamIndexReader(const ZipInput& input, ArchiveFormat format)
        : m_input(input)
        , m_format(format) {
        m_index.format = formatName(format);
    }

    Result<ArchiveIndex> read() {
        readAll();
        if (!m_refusal.isEmpty())
            return fail(m_refusal);
        return std::move(m_index);
    }

private:
    void readAll() {
        if (const std::optional<QString> split = splitProblem(m_input, m_format, &m_index.identity))
            return refuse(*split);
        if (m_format == ArchiveFormat::Rar)
            m_index.identity = rarHeadersIdentity(m_input);
        StreamReader::Source source{m_input};
        Result<LibarchiveReader> reader = openReader(source);
        if (!reader)
            return refuse(unreadable(reader.reason()));
        for (quint64 position = 0;; ++position) {
            const Result<std::optional<archive_entry*>> header = reader->nextHeader();
            if (!header)
                return refuse(unreadable(header.reason()));
            if (!*header)
                break;
            if (position == MaxIndexEntries)
                return refuse(EngineText::tr("more than %1 entries").arg(MaxIndexEntries));
            if (!readEntry(**header, position))
                return;
        }
        if (m_index.entries.empty() && m_index.refused.isEmpty())
            return refuse(EngineText::tr("the archive is empty"));
        refuseMissingMethod();
    }

    // libarchive learns that it lacks a coder only when it decodes with it.
    // One block of the first file with content is decoded, so that an
    // archive written with such a method (archivers write most files, if
    // not all, with one) is refused now rather than at its install, which
    // still refuses a file of another method that it meets.
    void refuseMissingMethod() {
        const auto first = std::find_if(
            m_index.entries.begin(), m_index.entries.end(), [](const IndexEntry& entry) {
                return entry.kind == IndexEntry::Kind::File && entry.uncompressedSize > 0;
            });
        if (first == m_index.entries.end())
            return;
        StreamReader reader(m_input);
        if (const std::optional<QString> missing = reader.missingMethod(*first))
            refuse(*missing);
    }

    // Why the archive cannot be read, from libarchive's message alone: the
    // reader is closed by then.
    QString unreadable(const QString& message) const {
        if (message.contains(QLatin1String("encrypt"), Qt::CaseInsensitive))
            return EngineText::tr("the archive's names are encrypted (%1 header encryption, not "
                                  "supported)")
                .arg(formatName(m_format));
        return EngineText::tr("not a %1 archive, or damaged (%2)")
            .arg(formatName(m_format), message);
    }

    void refuse(const QString& problem) { m_refusal = problem; }

    // Reads the entry into the index; false when the archive is refused on
    // its account.
    bool readEntry(struct archive_entry* header, quint64 position) {
        QByteArray raw;
        const QString name = entryName(header, &raw);
        if (archive_entry_is_encrypted(header)) {
            refuse(EngineText::tr("%1 is encrypted (%2 encryption, not supported)")
                       .arg(name, formatName(m_format)));
            return false;
        }
        const mode_t type = archive_entry_filetype(header);
        const bool isLink = type == AE_IFLNK || archive_entry_hardlink(header);
        if (isLink || (type != AE_IFREG && type != AE_IFDIR) || !isSafeEntryName(raw, name)) {
            m_index.refused.append(name); // passed over, as unsafe names are
            return true;
        }
        if (type == AE_IFREG && !archive_entry_size_is_set(header)) {
            refuse(EngineText::tr("damaged entry header of %1").arg(name));
            return false;
        }
        const QString path = normalizedPath(name);
        if (path.isEmpty())
            return true; // names nothing below the folder it is written to
        IndexEntry entry;
        entry.name = name;
        entry.path = path == name ? name : path;
        entry.kind = type == AE_IFDIR ? IndexEntry::Kind::Folder : IndexEntry::Kind::File;
        entry.uncompressedSize = type == AE_IFDIR ? 0 : quint64(archive_entry_size(header));
        entry.dosDate =
            dosDateOf(archive_entry_mtime_is_set(header) ? archive_entry_mtime(header) : time_t(0));
        // 7z and RAR 5 keep times in UTC: the exact second, where the MS-DOS
        // date would round it to two and read it back through the local
        // time zone.
        if (archive_entry_mtime_is_set(header))
            entry.utcModified = archive_entry_mtime(header);
        entry.localHeaderOffset = position;
        entry.dataOffset = position;
        entry.unixMode = archive_entry_perm(header) & 07777;
        entry.streamed = true;
        entry.crcKnown = false;
        m_index.entries.push_back(std::move(entry));
        return true;
    }

    const ZipInput& m_input;
    ArchiveFormat m_format;
    ArchiveIndex m_index;
    QString m_refusal;
};

} // namespace

Result<ArchiveIndex> readStreamIndex(const ZipInput& input, ArchiveFormat format) {
    return StreamIndexReader(input, format).read();
}

} // namespace packshelf
