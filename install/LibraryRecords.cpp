#include "install/LibraryRecords.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

#include "analysis/WorkerPool.h"
#include "install/InstallPlan.h"
#include "install/LibraryFiles.h"
#include "install/LibraryJournal.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

constexpr char JournalPrefix[] = "journal-";
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

// Removes, from each folder a killed install listed, what it staged there.
void sweepStagedFolders(int recordsFd, const QByteArray& logName) {
    QByteArray lines;
    if (!readWhole(recordsFd, logName, &lines))
        return;
    for (const QByteArray& path : lines.split('\n')) {
        if (path.isEmpty())
            continue;
        const UniqueFd folder(
            ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder.valid())
            continue;
        for (const DirEntry& entry : entriesOf(folder.get())) {
            const pid_t writer = writerOf(entry.name);
            if (writer == 0 || !hasEnded(writer))
                continue;
            if (entry.folder)
                removeTree(folder.get(), entry.name);
            else
                ::unlinkat(folder.get(), entry.name.constData(), 0);
        }
    }
}

} // namespace

LibraryRecords::LibraryRecords(QString library)
    : m_library(std::move(library)) {}

QString LibraryRecords::folder() const {
    return m_library + QLatin1Char('/') + QLatin1String(LibraryRecordsFolder);
}

QString LibraryRecords::recordPath(const QString& archive) const {
    return folder() + QLatin1Char('/') + manifestId(archive) + QLatin1String(RecordSuffix);
}

QString LibraryRecords::backupFolderOf(const QString& archive) const {
    return QLatin1String(BackupFolder) + QLatin1Char('/') + manifestId(archive);
}

// The lock is held on the library folder itself, so that taking it
// writes nothing.
bool LibraryRecords::lock(QString* problem) {
    m_lock = openFolderBelow(m_library, QString(), false);
    while (m_lock.valid() && ::flock(m_lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            m_lock.reset();
    }
    if (!m_lock.valid())
        *problem = QStringLiteral("%1: %2").arg(m_library, systemReason(errno));
    return m_lock.valid();
}

void LibraryRecords::recover() {
    const UniqueFd records = openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
    if (!records.valid())
        return;
    // Journals first: they finish with what ended runs staged.
    const std::vector<DirEntry> entries = entriesOf(records.get());
    for (const DirEntry& entry : entries) {
        const QByteArray& name = entry.name;
        if (!name.startsWith(JournalPrefix))
            continue;
        const pid_t writer = writerOf(QByteArray(StagingPrefix) + name.mid(8).chopped(5));
        if (writer == 0 || !hasEnded(writer))
            continue;
        QByteArray bytes;
        QJsonParseError error{};
        QStringList problems;
        if (readWhole(records.get(), name, &bytes)) {
            const QJsonDocument journal = QJsonDocument::fromJson(bytes, &error);
            if (error.error == QJsonParseError::NoError)
                LibraryJournal::replay(journal.object(), *this, &problems);
        }
        ::unlinkat(records.get(), name.constData(), 0);
    }
    for (const DirEntry& entry : entries) {
        const pid_t writer = writerOf(entry.name);
        if (writer == 0 || !hasEnded(writer))
            continue;
        if (entry.name.endsWith(StagingLogSuffix))
            sweepStagedFolders(records.get(), entry.name);
        if (entry.folder)
            removeTree(records.get(), entry.name);
        else
            ::unlinkat(records.get(), entry.name.constData(), 0);
    }
}

namespace {

struct RecordFile {
    QString path;
    QByteArray bytes;
    std::optional<Manifest> manifest;
    QString problem;
};

void parseRecord(RecordFile& record) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(record.bytes, &error);
    record.problem = error.errorString();
    if (error.error == QJsonParseError::NoError && document.isObject())
        record.manifest = Manifest::fromJson(document.object(), &record.problem);
    record.bytes.clear();
}

// Parses the records side by side: a library of many packages holds
// records of thousands of files each, and every install and preview reads
// them all.
void parseRecords(std::vector<RecordFile>& records) {
    WorkerPool::forEachIndex(records.size(), [&](std::size_t i) { parseRecord(records[i]); });
}

} // namespace

std::vector<Manifest> LibraryRecords::load(QStringList* problems) const {
    std::vector<Manifest> manifests;
    const UniqueFd folderFd =
        openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
    if (!folderFd.valid()) {
        if (errno != ENOENT)
            problems->append(QStringLiteral("%1: %2").arg(folder(), systemReason(errno)));
        return manifests;
    }
    std::vector<RecordFile> records;
    for (const DirEntry& entry : entriesOf(folderFd.get())) {
        if (entry.folder || !entry.name.endsWith(RecordSuffix) ||
            entry.name.startsWith(JournalPrefix))
            continue;
        RecordFile record;
        record.path = folder() + QLatin1Char('/') + QFile::decodeName(entry.name);
        if (!readWhole(folderFd.get(), entry.name, &record.bytes)) {
            problems->append(QStringLiteral("%1: %2").arg(record.path, systemReason(errno)));
            continue;
        }
        records.push_back(std::move(record));
    }
    if (records.size() > 1)
        parseRecords(records);
    else
        std::for_each(records.begin(), records.end(), parseRecord);
    for (RecordFile& record : records) {
        if (record.manifest)
            manifests.push_back(std::move(*record.manifest));
        else
            problems->append(QStringLiteral("%1: %2").arg(record.path, record.problem));
    }
    std::sort(manifests.begin(), manifests.end(),
              [](const Manifest& a, const Manifest& b) { return a.sequence < b.sequence; });
    return manifests;
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

QString LibraryRecords::stage(const Manifest& manifest, QString* problem) const {
    const UniqueFd records = openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), true);
    const QByteArray name = stagingName();
    UniqueFd fd(records.valid()
                    ? ::openat(records.get(), name.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644)
                    : -1);
    const QByteArray bytes = QJsonDocument(manifest.toJson()).toJson(QJsonDocument::Indented);
    if (fd.valid() && writeAll(fd.get(), bytes.constData(), std::size_t(bytes.size())) &&
        ::fdatasync(fd.get()) == 0 && fd.close())
        return QFile::decodeName(name);
    *problem = QStringLiteral("%1: %2").arg(recordPath(manifest.archive), systemReason(errno));
    if (records.valid())
        ::unlinkat(records.get(), name.constData(), 0);
    return QString();
}

bool LibraryRecords::remove(const QString& archive) const {
    const UniqueFd records = openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
    const QByteArray name = QFile::encodeName(manifestId(archive) + RecordSuffix);
    return records.valid() &&
           (::unlinkat(records.get(), name.constData(), 0) == 0 || errno == ENOENT);
}

} // namespace packshelf
