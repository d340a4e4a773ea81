#include "install/records/LibraryRecords.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "core/EngineText.h"
#include "core/Executor.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"
#include "install/records/RecordInterest.h"
#include "install/records/RecordsIndex.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

constexpr std::size_t ParallelParseFrom = 32;
// How many records the index may leave to their files before it is written
// again: at least this many, and at most one in IndexSlackShare of them.
// Reading a few record files is cheaper than rewriting an index of
// thousands after every change.
constexpr qsizetype IndexSlack = 16;
constexpr qsizetype IndexSlackShare = 64;

} // namespace

LibraryRecords::LibraryRecords(QString library, Executor& executor)
    : m_library(std::move(library))
    , m_executor(executor) {}

LibraryRecords::~LibraryRecords() {
    if (m_indexKept)
        updateIndex();
}

void LibraryRecords::maintainIndex() {
    m_maintainIndex = true;
}

QString LibraryRecords::folder() const {
    return m_library + QLatin1Char('/') + QLatin1String(LibraryRecordsFolder);
}

UniqueFd LibraryRecords::openFolder(bool makeMissing) const {
    if (makeMissing) {
        const UniqueFd library = openFolderBelow(m_library, QString(), false);
        if (library.valid())
            makeFolderIn(library.get(), LibraryRecordsFolder);
    }
    return openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
}

QString LibraryRecords::recordPath(const QString& archive) const {
    return folder() + QLatin1Char('/') + manifestId(archive) +
           QLatin1String(LibraryRecords::RecordSuffix);
}

// What is read of each record: all of it, what a list shows, or only what
// the index needs.
enum class RecordReading { Manifests, Listings, IndexOnly };

struct RecordFile {
    QByteArray name;
    RecordStamp stamp;
    QByteArrayView indexed; // the record as the index holds it, when current
    quint32 indexedCrc = 0;
    QByteArrayView indexedEncoded; // its whole entry in the index file
    bool inIndexFile = false;      // `indexed` is from the index file
    bool checked = false;          // `indexed` is what load() read and checked
    QByteArray bytes;              // the record file, when not
    std::optional<Manifest> manifest;
    std::optional<PackageListing> listing;
    QByteArray binary; // the record for the index, when it is kept
    QString problem;
    bool unreadable = false; // its file could not be read (not: read, and not a record)
};

namespace {

// Keeps what was read, or nothing and why it could not be.
template <typename T> void keepRead(Result<T> read, std::optional<T>& into, QString& problem) {
    if (read) {
        into = std::move(*read);
    } else {
        into.reset();
        problem = read.reason();
    }
}

// A record of the index: with `interest`, one of an archive it does not
// name without its files (see Manifest::headerFromBinary).
Result<Manifest> readIndexed(QByteArrayView bytes, const QString& library,
                             const RecordInterest* interest) {
    if (interest) {
        Result<Manifest> header = Manifest::headerFromBinary(bytes, library);
        if (!header || !interest->wantsArchive(header->archive))
            return header;
    }
    return Manifest::fromBinary(bytes, library);
}

void parseRecord(int folderFd, RecordFile& record, const QString& library, RecordReading reading,
                 bool binaryWanted, const RecordInterest* interest) {
    if (!record.indexed.isNull()) {
        if (record.checked && reading == RecordReading::IndexOnly)
            return;
        // An index entry that does not bear its CRC is damaged: the file is
        // read instead.
        if (recordsindex::crcOf(record.indexed) == record.indexedCrc) {
            if (reading == RecordReading::Manifests)
                keepRead(readIndexed(record.indexed, library, interest), record.manifest,
                         record.problem);
            else if (reading == RecordReading::Listings)
                keepRead(PackageListing::fromBinary(record.indexed, library), record.listing,
                         record.problem);
            return;
        }
        record.indexed = {};
        record.indexedEncoded = {};
        Result<QByteArray> bytes = readWholeFile(folderFd, record.name);
        if (!bytes) {
            record.problem = bytes.reason();
            record.unreadable = true;
            return;
        }
        record.bytes = std::move(*bytes);
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(record.bytes, &error);
    record.problem = error.errorString();
    if (error.error == QJsonParseError::NoError && document.isObject())
        keepRead(Manifest::fromJson(document.object(), library), record.manifest, record.problem);
    record.bytes.clear();
    if (record.manifest && binaryWanted)
        record.binary = record.manifest->toBinary();
    if (record.manifest && reading == RecordReading::Listings) {
        record.listing = PackageListing::of(*record.manifest);
        record.manifest.reset();
    }
}

} // namespace

// Points `record` at its entry in the index when the index holds the record
// file with the stamp it bears now (`stamps` names the stamps known
// already), else reads the file. False, with the problem set, when the file
// cannot be read.
bool LibraryRecords::locateRecord(int folderFd, RecordFile& record, const KnownRecords& known,
                                  const QHash<QByteArray, RecordStamp>* stamps) {
    const auto stamped =
        stamps ? stamps->constFind(record.name) : QHash<QByteArray, RecordStamp>::const_iterator();
    const bool stampKnown = stamps && stamped != stamps->constEnd();
    struct stat st;
    if (stampKnown ||
        (::fstatat(folderFd, record.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISREG(st.st_mode))) {
        record.stamp = stampKnown ? *stamped : stampOf(st);
        const auto found = known.constFind(record.name);
        if (found != known.constEnd() && found->entry.stamp == record.stamp) {
            record.checked = stampKnown;
            record.indexed = found->entry.record;
            record.indexedCrc = found->entry.crc;
            record.indexedEncoded = found->entry.encoded;
            record.inIndexFile = found->inFile;
            return true;
        }
    }
    Result<QByteArray> bytes = readWholeFile(folderFd, record.name);
    if (bytes) {
        record.bytes = std::move(*bytes);
        return true;
    }
    record.problem = bytes.reason();
    return false;
}

// Reads every record file of the open records folder: from the index where
// `known` holds it with the file's current stamp, else from the file.
// `changed`, when asked for, tells whether the index file must be written
// again to match: it holds entries no record file bears, or a record was
// read otherwise.
Result<std::vector<RecordFile>>
LibraryRecords::scanRecords(int folderFd, const KnownRecords& known, RecordReading reading,
                            bool binaryWanted, bool* changed, RecordsRead* read,
                            const RecordInterest* interest,
                            const QHash<QByteArray, RecordStamp>* stamps) const {
    std::vector<RecordFile> records;
    records.reserve(std::size_t(known.size()));
    const Result<std::vector<DirEntry>> entries = entriesOf(folderFd);
    if (!entries)
        return fail(QStringLiteral("%1: %2").arg(folder(), entries.reason()));
    for (const DirEntry& entry : *entries) {
        if (entry.folder || !entry.name.endsWith(LibraryRecords::RecordSuffix) ||
            entry.name.startsWith(LibraryRecords::JournalPrefix))
            continue;
        records.emplace_back().name = entry.name;
    }
    // Each record is found (in the index, when it holds the record file as
    // it is, else in the file) and parsed side by side with the others.
    const auto readOne = [&](std::size_t i) {
        RecordFile& record = records[i];
        if (!locateRecord(folderFd, record, known, stamps)) {
            record.unreadable = true;
            return;
        }
        parseRecord(folderFd, record, m_library, reading, binaryWanted, interest);
    };
    if (records.size() > ParallelParseFrom)
        m_executor.forEachIndex(records.size(), readOne);
    else
        for (std::size_t i = 0; i < records.size(); ++i)
            readOne(i);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].unreadable) {
            if (read) {
                read->unreadable.append(problemWith(records[i].name, records[i].problem));
                read->namesNotRead.insert(records[i].name);
            }
        } else if (kept++ != i) {
            records[kept - 1] = std::move(records[i]);
        }
    }
    records.resize(kept);
    if (!changed)
        return records;
    const bool readOtherwise =
        std::any_of(records.begin(), records.end(), [](const RecordFile& record) {
            return !(record.inIndexFile && !record.indexed.isNull()) &&
                   (!record.indexed.isNull() || record.manifest || record.listing);
        });
    *changed = readOtherwise || entriesNoRecordBears(known, records) != 0;
    return records;
}

qsizetype LibraryRecords::entriesNoRecordBears(const KnownRecords& known,
                                               const std::vector<RecordFile>& records) {
    const qsizetype inFile = std::count_if(known.begin(), known.end(),
                                           [](const KnownRecord& entry) { return entry.inFile; });
    const qsizetype fromIndexFile =
        std::count_if(records.begin(), records.end(), [](const RecordFile& record) {
            return record.inIndexFile && !record.indexed.isNull();
        });
    return inFile - fromIndexFile;
}

// The entries of the index file, as known records.
LibraryRecords::KnownRecords
LibraryRecords::knownFromIndex(const recordsindex::MappedIndex& mapped) {
    KnownRecords known;
    if (const auto entries = recordsindex::decode(mapped.bytes())) {
        known.reserve(qsizetype(entries->size()));
        for (const recordsindex::Entry& entry : *entries)
            known.insert(entry.name, {entry, true});
    }
    return known;
}

// Every record file of the records folder, read from the index where it
// holds them as they are; nothing when there is no records folder.
Result<std::vector<RecordFile>> LibraryRecords::readRecordFiles(RecordReading reading,
                                                                bool binaryWanted,
                                                                RecordsRead* read,
                                                                const RecordInterest* interest) {
    const UniqueFd folderFd = openFolder(false);
    if (!folderFd.valid()) {
        if (errno == ENOENT)
            return std::vector<RecordFile>();
        return fail(
            EngineText::tr("%1: %2 (it must be a folder)").arg(folder(), systemReason(errno)));
    }
    // Records read without their files are read again from the mapped
    // index when a change wants them whole.
    m_unread.clear();
    m_mapped = std::make_unique<recordsindex::MappedIndex>(folderFd.get());
    m_known = knownFromIndex(*m_mapped);
    return scanRecords(folderFd.get(), m_known, reading, binaryWanted, nullptr, read, interest);
}

// A line naming a file of the records folder and what is wrong with it.
QString LibraryRecords::problemWith(const QByteArray& name, const QString& reason) const {
    return QStringLiteral("%1/%2: %3").arg(folder(), QFile::decodeName(name), reason);
}

Result<RecordsRead> LibraryRecords::load(const RecordInterest* interest) {
    RecordsRead read;
    std::vector<Manifest>& manifests = read.manifests;
    // Under the Change lock the index is brought up to date when the lock
    // is let go; the records read from their files are kept for it.
    const bool keep = m_maintainIndex;
    m_indexKept = keep;
    m_readFromFiles.clear();
    m_stamps.clear();
    m_changed.clear();
    m_staleEntries = 0;
    Result<std::vector<RecordFile>> files =
        readRecordFiles(RecordReading::Manifests, keep, &read, interest);
    if (!files)
        return files.failure();
    std::vector<RecordFile>& records = *files;
    // A record read without its files is found again by its archive's name;
    // two records of one archive are both read whole instead.
    QHash<QString, int> unreadOf;
    unreadOf.reserve(qsizetype(records.size()));
    m_unread.reserve(qsizetype(records.size()));
    if (keep)
        m_stamps.reserve(qsizetype(records.size()));
    // With room for the records a change adds, which then moves none.
    manifests.reserve(records.size() + 8);
    for (const RecordFile& record : records) {
        if (record.manifest && !record.manifest->whole)
            ++unreadOf[record.manifest->archive];
    }
    m_staleEntries = entriesNoRecordBears(m_known, records);
    for (RecordFile& record : records) {
        if (keep && record.indexed.isNull() && record.manifest) {
            const quint32 crc = recordsindex::crcOf(record.binary);
            m_readFromFiles.push_back({record.name, record.stamp, std::move(record.binary), crc});
        }
        if (record.manifest && !record.manifest->whole) {
            if (unreadOf.value(record.manifest->archive) == 1)
                m_unread.insert(record.manifest->archive, record.indexed);
            else
                keepRead(Manifest::fromBinary(record.indexed, m_library), record.manifest,
                         record.problem);
        }
        if (record.manifest) {
            if (keep)
                m_stamps.insert(record.name, record.stamp);
            manifests.push_back(std::move(*record.manifest));
        } else {
            read.damaged.append(problemWith(record.name, record.problem));
            read.namesNotRead.insert(record.name);
        }
    }
    std::sort(manifests.begin(), manifests.end(),
              [](const Manifest& a, const Manifest& b) { return a.sequence < b.sequence; });
    return read;
}

// Reads whole one record read without its files, when `interest` wants it.
Status LibraryRecords::completeOne(Manifest& manifest, const RecordInterest& interest) const {
    const QByteArrayView indexed = m_unread.value(manifest.archive);
    if (!indexed.isNull() && !interest.wantsRecord(indexed))
        return {};
    Result<Manifest> read = indexed.isNull() ? fail(EngineText::tr("not a package record"))
                                             : Manifest::fromBinary(indexed, m_library);
    if (!read)
        return fail(QStringLiteral("%1: %2").arg(recordPath(manifest.archive), read.reason()));
    manifest = std::move(*read);
    return {};
}

Status LibraryRecords::complete(std::vector<Manifest>& manifests, const RecordInterest& interest) {
    std::vector<Manifest*> unread;
    for (Manifest& manifest : manifests) {
        if (!manifest.whole)
            unread.push_back(&manifest);
    }
    std::vector<Status> found(unread.size());
    const auto completeAt = [&](std::size_t i) { found[i] = completeOne(*unread[i], interest); };
    if (unread.size() > ParallelParseFrom)
        m_executor.forEachIndex(unread.size(), completeAt);
    else
        for (std::size_t i = 0; i < unread.size(); ++i)
            completeAt(i);
    for (const Status& status : found) {
        if (!status)
            return status;
    }
    return {};
}

Result<RecordsRead> LibraryRecords::loadListings() {
    RecordsRead read;
    Result<std::vector<RecordFile>> files =
        readRecordFiles(RecordReading::Listings, false, &read, nullptr);
    if (!files)
        return files.failure();
    for (RecordFile& record : *files) {
        if (record.listing) {
            read.listings.push_back(std::move(*record.listing));
        } else {
            read.damaged.append(problemWith(record.name, record.problem));
            read.namesNotRead.insert(record.name);
        }
    }
    std::sort(
        read.listings.begin(), read.listings.end(),
        [](const PackageListing& a, const PackageListing& b) { return a.sequence < b.sequence; });
    return read;
}

// True when the index leaves enough records to their files that reading
// them costs more than writing it again: it is missing, or more records than
// the slack allows were read from their files, changed, or are gone.
bool LibraryRecords::indexWorthRewriting() const {
    const qsizetype records = m_stamps.size();
    const bool indexMissing = m_known.isEmpty() && records > 0;
    const qsizetype behind = qsizetype(m_readFromFiles.size()) + m_changed.size() + m_staleEntries;
    return indexMissing || behind > std::max(IndexSlack, records / IndexSlackShare);
}

// Brings the index up to date with the records as they are now, reading
// only the record files that neither the index nor load() holds, once it
// has fallen far enough behind them (see indexWorthRewriting). It only
// speeds later reads up, so a failure is passed over.
void LibraryRecords::updateIndex() {
    if (!indexWorthRewriting())
        return;
    const UniqueFd folderFd = openFolder(false);
    if (!folderFd.valid())
        return;
    // The index load() read is the one on disk: under the Change lock only
    // this brings it up to date.
    std::unique_ptr<recordsindex::MappedIndex> mapped = std::move(m_mapped);
    KnownRecords known = std::move(m_known);
    if (!mapped) {
        mapped = std::make_unique<recordsindex::MappedIndex>(folderFd.get());
        known = knownFromIndex(*mapped);
    }
    for (const KeptIndexEntry& kept : m_readFromFiles)
        known.insert(kept.name,
                     {{kept.name, kept.stamp, QByteArrayView(kept.record), kept.crc, {}}, false});
    // Record files no change named bear the stamps load() found on them:
    // under the Change lock nothing else writes them.
    QHash<QByteArray, RecordStamp> stamps = m_stamps;
    for (const QByteArray& name : m_changed)
        stamps.remove(name);
    bool changed = false;
    const Result<std::vector<RecordFile>> scanned = scanRecords(
        folderFd.get(), known, RecordReading::IndexOnly, true, &changed, nullptr, nullptr, &stamps);
    if (!scanned || !changed)
        return;
    const std::vector<RecordFile>& records = *scanned;
    std::vector<recordsindex::Entry> entries;
    for (const RecordFile& record : records) {
        if (!record.indexed.isNull())
            entries.push_back({record.name, record.stamp, record.indexed, record.indexedCrc,
                               record.indexedEncoded});
        else if (record.manifest)
            entries.push_back({record.name, record.stamp, QByteArrayView(record.binary), 0, {}});
    }
    // A library without packages keeps no index.
    if (entries.empty())
        unlinkIn(folderFd.get(), recordsindex::FileName);
    else
        recordsindex::write(folderFd.get(), entries);
}

qint64 LibraryRecords::lastSequence(const std::vector<Manifest>& manifests) {
    qint64 last = 0;
    for (const Manifest& manifest : manifests)
        last = std::max(last, manifest.sequence);
    return last;
}

QString LibraryRecords::recordName(const QString& archive) const {
    return manifestId(archive) + QLatin1String(LibraryRecords::RecordSuffix);
}

Result<QString> LibraryRecords::stage(const Manifest& manifest) const {
    if (!manifest.whole) {
        // Written so, it would forget the package's files.
        return fail(
            EngineText::tr("%1: the record was not read whole").arg(recordPath(manifest.archive)));
    }
    const UniqueFd records = openFolder(true);
    if (!records.valid())
        return fail(QStringLiteral("%1: %2").arg(folder(), systemReason(errno)));
    const QByteArray name = stagingName();
    UniqueFd fd(openIn(records.get(), name.constData(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    const QByteArray bytes = QJsonDocument(manifest.toJson()).toJson(QJsonDocument::Indented);
    // Synced with everything else the change staged, before its journal.
    if (fd.valid() && writeAll(fd.get(), bytes.constData(), std::size_t(bytes.size())) &&
        fd.close())
        return QFile::decodeName(name);
    const QString problem =
        QStringLiteral("%1: %2").arg(recordPath(manifest.archive), systemReason(errno));
    ::unlinkat(records.get(), name.constData(), 0);
    return fail(problem);
}

} // namespace packshelf
