#include "install/records/LibraryRecords.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "core/Executor.h"
#include "install/disk/LibraryFiles.h"
#include "install/journal/LibraryJournal.h"
#include "install/journal/StagingLog.h"
#include "install/plan/InstallPlan.h"
#include "install/records/RecordInterest.h"
#include "install/records/RecordsIndex.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

constexpr char JournalPrefix[] = "journal-";
constexpr std::size_t ParallelParseFrom = 32;
constexpr char RecordSuffix[] = ".json";

bool readWhole(int dirFd, const QByteArray& name, QByteArray* bytes) {
    UniqueFd fd(::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return false;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes->append(buffer, got);
    }
}

bool isJournalName(const QByteArray& name) {
    return name.startsWith(JournalPrefix) && name.endsWith(RecordSuffix);
}

QString journalProblem(const QString& path, const QString& library) {
    return QStringLiteral("%1 cannot be read or carried out, so the library is left as it is, "
                          "with what that change staged and backed up; "
                          "packshelf-cli recover %2 sets it aside")
        .arg(path, library);
}

} // namespace

LibraryRecords::LibraryRecords(QString library)
    : m_library(std::move(library)) {}

LibraryRecords::~LibraryRecords() {
    if (m_indexKept && m_lock.valid())
        updateIndex();
}

QString LibraryRecords::folder() const {
    return m_library + QLatin1Char('/') + QLatin1String(LibraryRecordsFolder);
}

UniqueFd LibraryRecords::openFolder(bool makeMissing) const {
    if (makeMissing) {
        const UniqueFd library = openFolderBelow(m_library, QString(), false);
        if (library.valid())
            ::mkdirat(library.get(), LibraryRecordsFolder, 0777);
    }
    return openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
}

QString LibraryRecords::recordPath(const QString& archive) const {
    return folder() + QLatin1Char('/') + manifestId(archive) + QLatin1String(RecordSuffix);
}

QString LibraryRecords::backupFolderOf(const QString& archive) const {
    return QLatin1String(BackupFolder) + QLatin1Char('/') + manifestId(archive);
}

namespace {

// The process holding a lock on the open file, from the kernel's table of
// locks; 0 when it cannot be told.
std::pair<qint64, bool> lockHolder(int fd) {
    struct stat st;
    QFile locks(QStringLiteral("/proc/locks"));
    if (::fstat(fd, &st) != 0 || !locks.open(QIODevice::ReadOnly))
        return {0, false};
    const QByteArray device = QByteArray::number(major(st.st_dev), 16).rightJustified(2, '0') +
                              ':' +
                              QByteArray::number(minor(st.st_dev), 16).rightJustified(2, '0') +
                              ':' + QByteArray::number(qulonglong(st.st_ino));
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // "1: FLOCK ADVISORY WRITE 1234 08:01:5678 0 EOF"
        if (fields.size() >= 6 && fields[1] == "FLOCK" && fields[5] == device)
            return {fields[4].toLongLong(), fields[3] == "WRITE"};
    }
    return {0, false};
}

} // namespace

// The lock is held on the library folder itself, so that taking it
// writes nothing.
Status LibraryRecords::lockAndSettle(Access access, QStringList* problems,
                                     const std::function<void(const QString&)>& waiting) {
    if (Status locked = lock(access, waiting); !locked)
        return locked;
    if (access == Access::Read) {
        pendingChanges(problems);
    } else if (!recover(problems)) {
        return fail(QStringLiteral("%1 needs attention before it can be changed").arg(m_library));
    }
    return {};
}

Status LibraryRecords::lock(Access access, const std::function<void(const QString&)>& waiting) {
    m_access = access;
    m_lock = openFolderBelow(m_library, QString(), false);
    const int operation = access == Access::Change ? LOCK_EX : LOCK_SH;
    if (m_lock.valid() && ::flock(m_lock.get(), operation | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        if (waiting) {
            const auto [holder, changing] = lockHolder(m_lock.get());
            const QString who = holder == 0 ? QStringLiteral("another process")
                                            : QStringLiteral("process %1").arg(holder);
            waiting(
                QStringLiteral("waiting for the library, which %1 is %2")
                    .arg(who, changing ? QStringLiteral("changing") : QStringLiteral("reading")));
        }
        while (::flock(m_lock.get(), operation) != 0) {
            if (errno != EINTR) {
                m_lock.reset();
                break;
            }
        }
    }
    if (!m_lock.valid())
        return fail(QStringLiteral("%1 cannot be locked: %2").arg(m_library, systemReason(errno)));
    return {};
}

bool LibraryRecords::recover(QStringList* problems) {
    const UniqueFd records = openFolder(false);
    if (!records.valid()) {
        if (errno == ENOENT)
            return true;
        problems->append(
            QStringLiteral("%1: %2 (it must be a folder)").arg(folder(), systemReason(errno)));
        return false;
    }
    const std::vector<DirEntry> entries = entriesOf(records.get());
    bool whole = true;
    std::optional<QSet<QString>> destinations; // read only when a journal is there
    for (const DirEntry& entry : entries) {
        if (entry.folder || !isJournalName(entry.name))
            continue;
        const QString path = folder() + QLatin1Char('/') + QFile::decodeName(entry.name);
        QByteArray bytes;
        std::optional<QJsonObject> journal;
        if (readWhole(records.get(), entry.name, &bytes))
            journal = LibraryJournal::parse(bytes, m_library);
        if (!destinations) {
            destinations.emplace();
            QStringList unreadable;
            for (const Manifest& manifest : load(&unreadable)) {
                if (!manifest.destination.isEmpty())
                    destinations->insert(manifest.destination);
            }
        }
        QStringList replayProblems;
        if (journal && LibraryJournal::replay(*journal, *this, *destinations, &replayProblems)) {
            ::unlinkat(records.get(), entry.name.constData(), 0);
            *problems += replayProblems;
            continue;
        }
        whole = false;
        problems->append(journalProblem(path, m_library));
        *problems += replayProblems;
    }
    if (!whole)
        return false;
    for (const DirEntry& entry : entries) {
        if (writerOf(entry.name) == 0)
            continue;
        QByteArray lines;
        if (entry.name.endsWith(StagingLogSuffix) && readWhole(records.get(), entry.name, &lines)) {
            StagingLog::forEachFolder(m_library, lines, [](int fd, bool inLibrary, const QString&) {
                StagingLog::removeStaged(fd, !inLibrary);
            });
        }
        if (entry.folder)
            removeTree(records.get(), entry.name);
        else
            ::unlinkat(records.get(), entry.name.constData(), 0);
    }
    return true;
}

void LibraryRecords::pendingChanges(QStringList* notes) const {
    const UniqueFd records = openFolder(false);
    if (!records.valid()) {
        if (errno != ENOENT)
            notes->append(
                QStringLiteral("%1: %2 (it must be a folder)").arg(folder(), systemReason(errno)));
        return;
    }
    for (const DirEntry& entry : entriesOf(records.get())) {
        if (entry.folder || !isJournalName(entry.name))
            continue;
        const QString path = folder() + QLatin1Char('/') + QFile::decodeName(entry.name);
        QByteArray bytes;
        if (readWhole(records.get(), entry.name, &bytes) && LibraryJournal::parse(bytes, m_library))
            notes->append(QStringLiteral("%1: a change was interrupted; the next command that "
                                         "changes the library finishes it")
                              .arg(path));
        else
            notes->append(journalProblem(path, m_library));
    }
}

Status LibraryRecords::setAside(QStringList* moved) {
    const UniqueFd records = openFolder(false);
    if (!records.valid()) {
        if (errno == ENOENT)
            return {};
        return fail(QStringLiteral("%1: %2").arg(folder(), systemReason(errno)));
    }
    const std::vector<DirEntry> entries = entriesOf(records.get());
    QByteArray aside;
    UniqueFd asideFd;
    for (const DirEntry& entry : entries) {
        const bool journal = !entry.folder && isJournalName(entry.name);
        if (!journal && writerOf(entry.name) == 0)
            continue;
        if (!asideFd.valid()) {
            aside = RecoveredPrefix +
                    QDateTime::currentDateTimeUtc()
                        .toString(QStringLiteral("yyyyMMdd-HHmmss"))
                        .toLatin1() +
                    '-' + stagingName().right(6);
            if (::mkdirat(records.get(), aside.constData(), 0777) != 0)
                return fail(QStringLiteral("%1: %2").arg(folder(), systemReason(errno)));
            asideFd.reset(::openat(records.get(), aside.constData(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        QByteArray lines;
        if (entry.name.endsWith(StagingLogSuffix) && readWhole(records.get(), entry.name, &lines)) {
            StagingLog::forEachFolder(m_library, lines,
                                      [&](int fd, bool inLibrary, const QString& shown) {
                                          StagingLog::removeStaged(fd, !inLibrary, moved, shown);
                                      });
        }
        if (::renameat(records.get(), entry.name.constData(), asideFd.get(),
                       entry.name.constData()) != 0)
            return fail(problemWith(entry.name, systemReason(errno)));
        moved->append(folder() + QLatin1Char('/') + QFile::decodeName(aside) + QLatin1Char('/') +
                      QFile::decodeName(entry.name));
    }
    if (asideFd.valid())
        ::fsync(records.get());
    return {};
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

void parseRecord(int folderFd, RecordFile& record, const QString& library, RecordReading reading,
                 bool binaryWanted, const RecordInterest* interest) {
    if (!record.indexed.isNull()) {
        if (record.checked && reading == RecordReading::IndexOnly)
            return;
        // An index entry that does not bear its CRC is damaged: the file is
        // read instead.
        if (recordsindex::crcOf(record.indexed) == record.indexedCrc) {
            if (reading == RecordReading::Manifests)
                keepRead(Manifest::fromBinary(record.indexed, library, interest), record.manifest,
                         record.problem);
            else if (reading == RecordReading::Listings)
                keepRead(PackageListing::fromBinary(record.indexed, library), record.listing,
                         record.problem);
            return;
        }
        record.indexed = {};
        record.indexedEncoded = {};
        if (!readWhole(folderFd, record.name, &record.bytes)) {
            record.problem = systemReason(errno);
            return;
        }
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
    if (readWhole(folderFd, record.name, &record.bytes))
        return true;
    record.problem = systemReason(errno);
    return false;
}

// Reads every record file of the open records folder: from the index where
// `known` holds it with the file's current stamp, else from the file.
// `changed`, when asked for, tells whether the index file must be written
// again to match: it holds entries no record file bears, or a record was
// read otherwise.
std::vector<RecordFile>
LibraryRecords::scanRecords(int folderFd, const KnownRecords& known, RecordReading reading,
                            bool binaryWanted, bool* changed, QStringList* problems,
                            const RecordInterest* interest,
                            const QHash<QByteArray, RecordStamp>* stamps) const {
    std::vector<RecordFile> records;
    records.reserve(std::size_t(known.size()));
    for (const DirEntry& entry : entriesOf(folderFd)) {
        if (entry.folder || !entry.name.endsWith(RecordSuffix) ||
            entry.name.startsWith(JournalPrefix))
            continue;
        records.emplace_back().name = entry.name;
    }
    // Each record is found (in the index, when it holds the record file as
    // it is, else in the file) and parsed side by side with the others.
    std::vector<char> unreadable(records.size(), 0);
    const auto read = [&](std::size_t i) {
        RecordFile& record = records[i];
        if (!locateRecord(folderFd, record, known, stamps)) {
            unreadable[i] = 1;
            return;
        }
        parseRecord(folderFd, record, m_library, reading, binaryWanted, interest);
    };
    if (records.size() > ParallelParseFrom)
        Executor::forEachIndexHere(records.size(), read);
    else
        for (std::size_t i = 0; i < records.size(); ++i)
            read(i);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (unreadable[i])
            problems->append(problemWith(records[i].name, records[i].problem));
        else if (kept++ != i)
            records[kept - 1] = std::move(records[i]);
    }
    records.resize(kept);
    qsizetype fromIndexFile = 0;
    if (!changed)
        return records;
    const qsizetype inFile = std::count_if(known.begin(), known.end(),
                                           [](const KnownRecord& known) { return known.inFile; });
    bool readOtherwise = false;
    for (const RecordFile& record : records) {
        if (record.inIndexFile && !record.indexed.isNull())
            ++fromIndexFile;
        else if (!record.indexed.isNull() || record.manifest || record.listing)
            readOtherwise = true;
    }
    *changed = readOtherwise || fromIndexFile != inFile;
    return records;
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
std::vector<RecordFile> LibraryRecords::readRecordFiles(RecordReading reading, bool binaryWanted,
                                                        QStringList* problems,
                                                        const RecordInterest* interest) {
    const UniqueFd folderFd = openFolder(false);
    if (!folderFd.valid()) {
        if (errno != ENOENT)
            problems->append(
                QStringLiteral("%1: %2 (it must be a folder)").arg(folder(), systemReason(errno)));
        return {};
    }
    // Records read without their files are read again from the mapped
    // index when a change wants them whole.
    m_unread.clear();
    m_mapped = std::make_unique<recordsindex::MappedIndex>(folderFd.get());
    m_known = knownFromIndex(*m_mapped);
    return scanRecords(folderFd.get(), m_known, reading, binaryWanted, nullptr, problems, interest);
}

// A line naming a file of the records folder and what is wrong with it.
QString LibraryRecords::problemWith(const QByteArray& name, const QString& reason) const {
    return QStringLiteral("%1/%2: %3").arg(folder(), QFile::decodeName(name), reason);
}

std::vector<Manifest> LibraryRecords::load(QStringList* problems, const RecordInterest* interest) {
    std::vector<Manifest> manifests;
    // Under the Change lock the index is brought up to date when the lock
    // is let go; the records read from their files are kept for it.
    const bool keep = m_access == Access::Change && m_lock.valid();
    m_indexKept = keep;
    m_readFromFiles.clear();
    m_stamps.clear();
    m_changed.clear();
    std::vector<RecordFile> records =
        readRecordFiles(RecordReading::Manifests, keep, problems, interest);
    // A record read without its files is found again by its archive's name;
    // two records of one archive are both read whole instead.
    QHash<QString, int> unreadOf;
    unreadOf.reserve(qsizetype(records.size()));
    m_unread.reserve(qsizetype(records.size()));
    if (keep)
        m_stamps.reserve(qsizetype(records.size()));
    manifests.reserve(records.size());
    for (const RecordFile& record : records) {
        if (record.manifest && !record.manifest->whole)
            ++unreadOf[record.manifest->archive];
    }
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
            problems->append(problemWith(record.name, record.problem));
        }
    }
    std::sort(manifests.begin(), manifests.end(),
              [](const Manifest& a, const Manifest& b) { return a.sequence < b.sequence; });
    return manifests;
}

// Reads whole one record read without its files, when `interest` wants it.
// False, with the record named in `problems`, when it cannot be read again.
bool LibraryRecords::completeOne(Manifest& manifest, const RecordInterest& interest,
                                 QStringList* problems) const {
    const QByteArrayView indexed = m_unread.value(manifest.archive);
    if (!indexed.isNull() && !Manifest::binaryWanted(indexed, interest))
        return true;
    Result<Manifest> read = indexed.isNull() ? fail(QStringLiteral("not a package record"))
                                             : Manifest::fromBinary(indexed, m_library);
    if (!read) {
        problems->append(QStringLiteral("%1: %2").arg(recordPath(manifest.archive), read.reason()));
        return false;
    }
    manifest = std::move(*read);
    return true;
}

void LibraryRecords::complete(std::vector<Manifest>& manifests, const RecordInterest& interest,
                              QStringList* problems) {
    std::vector<Manifest*> unread;
    for (Manifest& manifest : manifests) {
        if (!manifest.whole)
            unread.push_back(&manifest);
    }
    std::vector<QStringList> found(unread.size());
    const auto completeAt = [&](std::size_t i) { completeOne(*unread[i], interest, &found[i]); };
    if (unread.size() > ParallelParseFrom)
        Executor::forEachIndexHere(unread.size(), completeAt);
    else
        for (std::size_t i = 0; i < unread.size(); ++i)
            completeAt(i);
    for (const QStringList& lines : found)
        *problems += lines;
}

std::vector<PackageListing> LibraryRecords::loadListings(QStringList* problems) {
    std::vector<PackageListing> listings;
    for (RecordFile& record : readRecordFiles(RecordReading::Listings, false, problems, nullptr)) {
        if (record.listing)
            listings.push_back(std::move(*record.listing));
        else
            problems->append(problemWith(record.name, record.problem));
    }
    std::sort(
        listings.begin(), listings.end(),
        [](const PackageListing& a, const PackageListing& b) { return a.sequence < b.sequence; });
    return listings;
}

// Brings the index up to date with the records as they are now, reading
// only the record files that neither the index nor load() holds. It only
// speeds later reads up, so a failure is passed over.
void LibraryRecords::updateIndex() {
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
    QStringList ignored;
    std::vector<RecordFile> records = scanRecords(folderFd.get(), known, RecordReading::IndexOnly,
                                                  true, &changed, &ignored, nullptr, &stamps);
    if (!changed)
        return;
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
        ::unlinkat(folderFd.get(), recordsindex::FileName, 0);
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
    return manifestId(archive) + QLatin1String(RecordSuffix);
}

Result<QString> LibraryRecords::stage(const Manifest& manifest) const {
    if (!manifest.whole) {
        // Written so, it would forget the package's files.
        return fail(
            QStringLiteral("%1: the record was not read whole").arg(recordPath(manifest.archive)));
    }
    const UniqueFd records = openFolder(true);
    const QByteArray name = stagingName();
    UniqueFd fd(records.valid()
                    ? ::openat(records.get(), name.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644)
                    : -1);
    const QByteArray bytes = QJsonDocument(manifest.toJson()).toJson(QJsonDocument::Indented);
    if (fd.valid() && writeAll(fd.get(), bytes.constData(), std::size_t(bytes.size())) &&
        ::fdatasync(fd.get()) == 0 && fd.close())
        return QFile::decodeName(name);
    const QString problem =
        QStringLiteral("%1: %2").arg(recordPath(manifest.archive), systemReason(errno));
    if (records.valid())
        ::unlinkat(records.get(), name.constData(), 0);
    return fail(problem);
}

bool LibraryRecords::remove(const QString& archive) {
    const UniqueFd records = openFolder(false);
    const QByteArray name = QFile::encodeName(manifestId(archive) + RecordSuffix);
    noteChanged(name);
    return records.valid() &&
           (::unlinkat(records.get(), name.constData(), 0) == 0 || errno == ENOENT);
}

} // namespace packshelf
