#include "install/transaction/LibraryTransaction.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <zlib.h>

#include "archive/FreeSpace.h"
#include "install/disk/LibraryFiles.h"
#include "install/journal/LibraryJournal.h"
#include "install/journal/StagingLog.h"
#include "install/records/LibraryRecords.h"
#include "install/transaction/FileHistory.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

// A folder of the plan, as it stands on disk: an existing folder of the
// library, or a new one, made inside a staging folder until the commit.
struct LibraryTransaction::Folder {
    bool exists = false;
    QByteArray path;      // relative to the root, in the file system's bytes
    QByteArray finalPath; // where it will be once committed
    bool made = false;    // new folders: made on disk yet
    int stagedAt = -1;    // the top of a new branch: its staging folder
};

struct LibraryTransaction::StagedFolder {
    QByteArray parent; // existing folder that holds it
    QByteArray staging;
    QByteArray final;
    bool made = false;
    bool placed = false;
};

struct LibraryTransaction::FileWrite {
    const PlannedFile* file = nullptr;
    QByteArray folder;  // on disk
    QByteArray name;    // final name
    QByteArray staging; // staged name in an existing folder; empty inside a new one
    bool replacing = false;
    bool written = false;
};

// One library file the package will have: what it does there, and what the
// library remembers of it.
struct LibraryTransaction::Recorded {
    Manifest::File file;
    QString target;    // as the plan names it
    QByteArray folder; // on disk now (a staging folder for a new branch)
    QByteArray name;
    int write = -1;      // its entry in m_writes, when it is written
    bool backUp = false; // the file it replaces is kept
    QString owner;       // the installed package the replaced file came from
};

namespace {

QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    return folder.isEmpty() ? name : folder + '/' + name;
}

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash);
}

QString obstacle(mode_t mode) {
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link is in the way");
    if (S_ISDIR(mode))
        return QStringLiteral("a folder is in the way");
    return QStringLiteral("a file is in the way");
}

} // namespace

bool isStagingName(const QString& name) {
    return writerOf(QFile::encodeName(name)) != 0;
}

LibraryTransaction::LibraryTransaction(const InstallPlan& plan, const ArchiveView& view,
                                       const std::atomic<bool>* cancel)
    : m_plan(plan)
    , m_view(view)
    , m_cancel(cancel) {}

LibraryTransaction::~LibraryTransaction() {
    // A commit that could be neither finished nor undone leaves everything
    // as it is, for the journal the next run reads.
    if (!m_committed && !m_leftForRecovery)
        rollback();
    if (m_stagingLog && m_stagingLog->isOpen() && !m_leftForRecovery) {
        m_stagingLog->remove();
        // A records folder made for nothing goes again.
        if (!m_committed) {
            const UniqueFd library =
                openFolderBelow(m_memory->records->library(), QString(), false);
            ::unlinkat(library.get(), LibraryRecordsFolder, AT_REMOVEDIR);
        }
    }
}

// `target` is a path under the root.
bool LibraryTransaction::fail(const QString& target, const QString& problem) {
    if (!m_problem.isEmpty())
        return false;
    m_failedPath = target.isEmpty() ? m_plan.root : m_plan.root + QLatin1Char('/') + target;
    m_problem = problem;
    return false;
}

Status LibraryTransaction::outcome(bool done) const {
    if (done)
        return {};
    return packshelf::fail(m_problem);
}

bool LibraryTransaction::cancelled() {
    if (!m_cancel || !m_cancel->load(std::memory_order_relaxed))
        return false;
    m_cancelledSeen = true;
    fail(QString(), QStringLiteral("cancelled"));
    return true;
}

QByteArray LibraryTransaction::newStagingName() {
    return stagingName();
}

// Removes what ended installs staged in the folder: with the library's
// memory, the library is locked and every staged name is a leftover;
// without it, only those of ended processes are.
void LibraryTransaction::sweep(const QByteArray& path) {
    if (!m_dryRun)
        m_leftoversRemoved +=
            m_disk.sweep(path, m_memory && m_plan.root == m_memory->records->library());
}

LibraryTransaction::Folder* LibraryTransaction::resolveFolder(const QString& target) {
    if (const auto found = m_folders.find(target); found != m_folders.end())
        return &found->second;
    Folder folder;
    if (target.isEmpty()) {
        folder.exists = true; // paths of the root are empty
        sweep({});
        return &m_folders.emplace(target, folder).first->second;
    }
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    const Folder* parent = resolveFolder(slash < 0 ? QString() : target.left(slash));
    if (!parent)
        return nullptr;
    const QByteArray name = QFile::encodeName(target.mid(slash + 1));
    if (!parent->exists) {
        folder.path = joined(parent->path, name);
        folder.finalPath = joined(parent->finalPath, name);
        return &m_folders.emplace(target, folder).first->second;
    }
    const int parentFd = m_disk.directory(parent->path);
    struct stat st;
    QByteArray actual = name;
    if (::fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            fail(target, obstacle(st.st_mode));
            return nullptr;
        }
        folder.exists = true;
    } else if (errno != ENOENT) {
        fail(target, systemReason(errno));
        return nullptr;
    } else {
        // A folder of the same name in another letter case takes the files;
        // a file of that name stands in the way, as it would in any case.
        const QString folded = QFile::decodeName(name).toCaseFolded();
        const QList<QByteArray> matches =
            m_disk.listing(parent->path).value(folded + QLatin1Char('/'));
        if (!matches.isEmpty()) {
            actual = matches.first();
            folder.exists = true;
        } else if (m_disk.listing(parent->path).contains(folded)) {
            fail(target, obstacle(S_IFREG));
            return nullptr;
        }
    }
    if (folder.exists) {
        folder.path = joined(parent->path, actual);
        folder.finalPath = folder.path;
        sweep(folder.path);
    } else {
        if (!canWriteIn(parent->path, slash < 0 ? QString() : target.left(slash)))
            return nullptr;
        folder.stagedAt = int(m_stagedFolders.size());
        StagedFolder staged{parent->path, newStagingName(), name};
        folder.path = joined(parent->path, staged.staging);
        folder.finalPath = joined(parent->finalPath, name);
        m_stagedFolders.push_back(std::move(staged));
    }
    return &m_folders.emplace(target, folder).first->second;
}

bool LibraryTransaction::resolveFile(const PlannedFile& file) {
    const qsizetype slash = file.target.lastIndexOf(QLatin1Char('/'));
    const Folder* folder = resolveFolder(slash < 0 ? QString() : file.target.left(slash));
    if (!folder)
        return false;
    Recorded recorded;
    recorded.target = file.target;
    recorded.folder = folder->path;
    recorded.name = QFile::encodeName(file.target.mid(slash + 1));
    bool found = false;
    bool same = false;
    int dirFd = -1;
    struct stat st {};
    if (folder->exists) {
        dirFd = m_disk.directory(folder->path);
        found = ::fstatat(dirFd, recorded.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!found && errno != ENOENT)
            return fail(file.target, systemReason(errno));
        if (!found) {
            const QString folded = QFile::decodeName(recorded.name).toCaseFolded();
            const QList<QByteArray> matches = m_disk.listing(folder->path).value(folded);
            if (!matches.isEmpty()) {
                recorded.name = matches.first();
                found = ::fstatat(dirFd, recorded.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
            } else if (m_disk.listing(folder->path).contains(folded + QLatin1Char('/'))) {
                return fail(file.target, obstacle(S_IFDIR));
            }
        }
        if (found && !S_ISREG(st.st_mode))
            return fail(file.target, obstacle(st.st_mode));
    }
    const QByteArray finalPath = joined(folder->finalPath, recorded.name);
    recorded.file.path = QFile::decodeName(finalPath);
    // The library file's CRC-32, worked out once and only when needed.
    std::optional<std::optional<quint32>> crc;
    const auto currentCrc = [&] {
        if (!crc)
            crc = m_history.crcOf(dirFd, recorded.name, st, recorded.file.path);
        return *crc;
    };
    // A 7z or RAR entry's CRC-32 is decoded only for a library file of its
    // size; one that cannot be decoded is the same as nothing.
    const auto sameCrc = [&] {
        const std::optional<quint32> entryCrc = m_view.crcOf(file.source);
        return entryCrc && currentCrc() == *entryCrc;
    };
    same = found && quint64(st.st_size) == file.entry->uncompressedSize && sameCrc();
    recorded.file.size = file.entry->uncompressedSize;
    recorded.file.crc = file.entry->crc;
    recorded.file.modified = dosDateToUnixTime(file.entry->dosDate);
    recorded.file.action = same    ? Manifest::File::Action::Same
                           : found ? Manifest::File::Action::Replaced
                                   : Manifest::File::Action::New;
    recorded.backUp = found && !same;
    m_history.apply(recorded.file, recorded.backUp, recorded.owner,
                    found ? std::function<std::optional<quint32>()>(currentCrc) : nullptr);
    if (!same && folder->exists &&
        !canWriteIn(folder->path, slash < 0 ? QString() : file.target.left(slash)))
        return false;
    if (!same) {
        FileWrite write;
        write.file = &file;
        write.folder = recorded.folder;
        write.name = recorded.name;
        write.replacing = found;
        if (folder->exists)
            write.staging = newStagingName();
        recorded.write = int(m_writes.size());
        m_writes.push_back(std::move(write));
    }
    // Two planned files for one library file: the later one counts.
    if (const auto earlier = m_recordAt.constFind(finalPath); earlier != m_recordAt.constEnd()) {
        Recorded& replaced = m_recorded[*earlier];
        if (replaced.write >= 0)
            m_writes[std::size_t(replaced.write)].file = nullptr;
        replaced = std::move(recorded);
        return true;
    }
    m_recordAt.insert(finalPath, m_recorded.size());
    m_recorded.push_back(std::move(recorded));
    return true;
}

// An existing folder something is written into must take it: found while
// planning, so that a preview says what the install would meet.
bool LibraryTransaction::canWriteIn(const QByteArray& folder, const QString& target) {
    if (const int error = m_disk.writeError(folder); error != 0)
        return fail(
            target,
            QStringLiteral("the folder cannot be written to (%1)").arg(systemReason(error)));
    return true;
}

bool LibraryTransaction::makeFolder(const QString& target) {
    Folder* folder = resolveFolder(target);
    if (!folder)
        return false;
    if (folder->exists || folder->made)
        return true;
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    if (!makeFolder(slash < 0 ? QString() : target.left(slash)))
        return false;
    const int parent = m_disk.directory(parentOf(folder->path));
    const QByteArray name = folder->path.mid(folder->path.lastIndexOf('/') + 1);
    if (folder->stagedAt >= 0)
        noteStagingIn(parentOf(folder->path));
    if (::mkdirat(parent, name.constData(), 0777) != 0)
        return fail(target, systemReason(errno));
    folder->made = true;
    if (folder->stagedAt >= 0)
        m_stagedFolders[std::size_t(folder->stagedAt)].made = true;
    return true;
}

// Writes down each library folder something is staged in, so that a later
// run can clear what a killed one left there.
void LibraryTransaction::noteStagingIn(const QByteArray& folder) {
    if (m_stagingLog)
        m_stagingLog->note(folder);
}

bool LibraryTransaction::writeFile(const FileWrite& write) {
    const int dirFd = m_disk.directory(write.folder);
    if (!write.staging.isEmpty())
        noteStagingIn(write.folder);
    const QByteArray name = write.staging.isEmpty() ? write.name : write.staging;
    const QString target = write.file->target;
    UniqueFd fd(::openat(dirFd, name.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid())
        return fail(target, systemReason(errno));
    int writeError = 0;
    const Status read = m_view.read(write.file->source, [&](const char* data, std::size_t size) {
        if (writeAll(fd.get(), data, size)) {
            if (m_written)
                m_written(target, size);
            return true;
        }
        writeError = errno;
        return false;
    });
    if (cancelled())
        return false;
    if (!read.ok()) {
        if (writeError)
            return fail(target, systemReason(writeError));
        m_dataDamaged = true;
        return fail(target, read.reason());
    }
    const struct timespec times[2] = {{0, UTIME_OMIT},
                                      {time_t(dosDateToUnixTime(write.file->entry->dosDate)), 0}};
    ::futimens(fd.get(), times);
    if (!fd.close())
        return fail(target, systemReason(errno));
    return true;
}

void LibraryTransaction::remember(Memory memory) {
    m_memory = std::move(memory);
    m_history = FileHistory(m_plan.root, m_memory->files, m_memory->others, m_memory->previous);
    if (m_memory->records) // a preview's memory has none: it stages nothing
        m_stagingLog.emplace(*m_memory->records, destinationPath());
}

bool LibraryTransaction::resolveAll() {
    if (!m_disk.open(m_plan.root)) {
        return fail(QString(), errno == ENOENT ? QStringLiteral("the folder does not exist")
                                               : systemReason(errno));
    }
    // Folders first, so that each is found or planned before its files.
    for (const QString& folder : m_plan.folders) {
        if (!resolveFolder(folder) || cancelled())
            return false;
    }
    for (const PlannedFile& file : m_plan.files) {
        if (!resolveFile(file) || cancelled())
            return false;
    }
    return true;
}

Status LibraryTransaction::compare() {
    return outcome(compareAll());
}

bool LibraryTransaction::compareAll() {
    m_dryRun = true;
    if (!resolveAll())
        return false;
    for (const Recorded& recorded : m_recorded) {
        Change change;
        change.path = recorded.file.path;
        change.target = recorded.target;
        change.size = recorded.file.size;
        change.crc = recorded.file.crc;
        change.crcKnown = recorded.write < 0 || !m_writes[std::size_t(recorded.write)].file ||
                          m_writes[std::size_t(recorded.write)].file->entry->crcKnown;
        change.owner = recorded.owner;
        change.kind = recorded.write < 0                                ? Change::Kind::Same
                      : m_writes[std::size_t(recorded.write)].replacing ? Change::Kind::Replace
                                                                        : Change::Kind::Add;
        m_changes.push_back(std::move(change));
    }
    return true;
}

// Plan order; archive order where the archive is decoded as a stream, so
// that a solid archive is decoded once.
std::vector<LibraryTransaction::FileWrite*> LibraryTransaction::writeOrder() {
    std::vector<FileWrite*> order;
    order.reserve(m_writes.size());
    for (FileWrite& write : m_writes)
        order.push_back(&write);
    if (m_view.readsInArchiveOrder())
        std::stable_sort(order.begin(), order.end(), [](const FileWrite* a, const FileWrite* b) {
            if (!a->file || !b->file)
                return a->file && !b->file;
            return std::tie(a->file->source.nesting, a->file->source.entry) <
                   std::tie(b->file->source.nesting, b->file->source.entry);
        });
    return order;
}

Status LibraryTransaction::stage() {
    return outcome(stageAll());
}

bool LibraryTransaction::stageAll() {
    if (!resolveAll())
        return false;
    for (const Recorded& recorded : m_recorded) {
        if (recorded.write < 0)
            ++m_counts.same;
    }
    quint64 bytes = 0;
    for (const FileWrite& write : m_writes) {
        if (write.file)
            bytes += write.file->entry->uncompressedSize;
    }
    if (!fitsOnFileSystem(m_plan.root, bytes))
        return fail(QString(), QStringLiteral("not enough free space: %1 bytes needed, %2 free "
                                              "(%3 of them kept free)")
                                   .arg(bytes)
                                   .arg(freeBytesAt(m_plan.root).value_or(0))
                                   .arg(freeSpaceMargin(m_plan.root)));

    for (const QString& folder : m_plan.folders) {
        if (!makeFolder(folder))
            return false;
    }
    for (FileWrite* each : writeOrder()) {
        FileWrite& write = *each;
        if (!write.file)
            continue;
        const QString target = write.file->target;
        const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
        if (!makeFolder(slash < 0 ? QString() : target.left(slash)) || cancelled())
            return false;
        write.written = true; // from here on it may be on disk
        if (!writeFile(write))
            return false;
        ++(write.replacing ? m_counts.replaced : m_counts.added);
    }
    return true;
}

Status LibraryTransaction::commit() {
    return outcome(commitAll());
}

bool LibraryTransaction::commitAll() {
    // The journal syncs once before its first rename.
    if (m_memory)
        return commitThroughJournal();
    // A replaced file must not lose its content to a crash: the new content
    // is on disk before any name changes.
    if (m_counts.replaced > 0 && syncFileSystem(m_disk.root()) != 0)
        return fail(QString(), systemReason(errno));
    for (StagedFolder& staged : m_stagedFolders) {
        if (!staged.made)
            continue;
        const int parent = m_disk.directory(staged.parent);
        if (::renameat2(parent, staged.staging.constData(), parent, staged.final.constData(),
                        RENAME_NOREPLACE) != 0) {
            const int error = errno;
            return fail(QFile::decodeName(joined(staged.parent, staged.final)),
                        error == EEXIST ? QStringLiteral("appeared meanwhile")
                                        : systemReason(error));
        }
        staged.placed = true;
    }
    for (FileWrite& write : m_writes) {
        if (!write.file || write.staging.isEmpty())
            continue;
        const int dirFd = m_disk.directory(write.folder);
        if (::renameat(dirFd, write.staging.constData(), dirFd, write.name.constData()) != 0)
            return fail(write.file->target, systemReason(errno));
        write.staging.clear();
    }
    m_committed = true;
    return true;
}

// A reinstall that writes nothing and finds every file as the earlier
// version recorded it leaves the record as it is.
bool LibraryTransaction::nothingChanges() const {
    if (!m_memory->previous || m_memory->previous->files.size() != m_recorded.size() ||
        m_memory->previous->root != m_plan.root)
        return false;
    for (const Recorded& recorded : m_recorded) {
        const Manifest::File* earlier = m_history.earlier(recorded.file.path);
        if (recorded.write >= 0 || !earlier || earlier->action != recorded.file.action ||
            earlier->size != recorded.file.size || earlier->crc != recorded.file.crc)
            return false;
    }
    return true;
}

// Keeps each file about to be replaced as a hard link in a staging folder
// of the records (a copy where the file system refuses links): a commit
// that fails puts it back from there, and the package's backups are moved
// from there by the journal. A file that cannot be kept stops the commit
// before anything of the library changes.
bool LibraryTransaction::backUpReplacedFiles(const QByteArray& staging) {
    for (const Recorded& recorded : m_recorded) {
        if (recorded.write < 0 || !m_writes[std::size_t(recorded.write)].replacing)
            continue;
        const auto [folder, name] =
            splitLast(QFile::decodeName(staging) + QLatin1Char('/') + recorded.file.path);
        const UniqueFd records = m_memory->records->openFolder(true);
        const UniqueFd target =
            records.valid()
                ? openFolderBelow(m_memory->records->library(),
                                  QLatin1String(LibraryRecordsFolder) + QLatin1Char('/') + folder,
                                  true)
                : UniqueFd();
        const int source = m_disk.directory(recorded.folder);
        if (!target.valid())
            return fail(QString(), QStringLiteral("%1: %2").arg(m_memory->records->folder(),
                                                                systemReason(errno)));
        if (linkIn(source, recorded.name.constData(), target.get(), name.constData()) == 0)
            continue;
        if (errno != EPERM && errno != EMLINK && errno != EXDEV && errno != ENOTSUP)
            return fail(recorded.file.path,
                        QStringLiteral("cannot be kept: %1").arg(systemReason(errno)));
        // No links here: a copy.
        UniqueFd in(::openat(source, recorded.name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        UniqueFd out(::openat(target.get(), name.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        char buffer[65536];
        bool copied = in.valid() && out.valid();
        for (ssize_t got; copied && (got = ::read(in.get(), buffer, sizeof buffer)) != 0;)
            copied = got > 0 && writeAll(out.get(), buffer, std::size_t(got));
        if (!copied || !out.close())
            return fail(recorded.file.path,
                        QStringLiteral("cannot be kept: %1").arg(systemReason(errno)));
    }
    return true;
}

// The archive's own destination, when the plan writes outside the library.
QString LibraryTransaction::destinationPath() const {
    return m_plan.root == m_memory->records->library() ? QString() : m_plan.root;
}

bool LibraryTransaction::commitThroughJournal() {
    if (nothingChanges()) {
        m_memory->manifest = std::move(*m_memory->previous);
        m_memory->previous.reset();
        m_committed = true;
        return true;
    }
    LibraryRecords& records = *m_memory->records;
    Manifest& manifest = m_memory->manifest;
    const QByteArray staging = stagingName();
    const QString stagingFolder = QFile::decodeName(staging);
    if (!backUpReplacedFiles(staging)) {
        removeTree(records.openFolder(false).get(), staging);
        return false;
    }
    LibraryJournal journal;
    const QString root = destinationPath();
    manifest.destination = root;
    for (const StagedFolder& staged : m_stagedFolders) {
        if (staged.made)
            journal.rename({root, QFile::decodeName(joined(staged.parent, staged.staging))},
                           {root, QFile::decodeName(joined(staged.parent, staged.final))}, true);
    }
    // Each replaced file's kept link is where an undo finds it again.
    QHash<QString, QString> keptAs;
    for (const Recorded& recorded : m_recorded) {
        if (recorded.write >= 0 && m_writes[std::size_t(recorded.write)].replacing)
            keptAs.insert(QFile::decodeName(joined(recorded.folder, recorded.name)),
                          stagingFolder + QLatin1Char('/') + recorded.file.path);
    }
    for (const FileWrite& write : m_writes) {
        if (!write.file || write.staging.isEmpty())
            continue;
        const QString final = QFile::decodeName(joined(write.folder, write.name));
        std::optional<RootedPath> original;
        if (keptAs.contains(final))
            original = inRecords(keptAs.value(final));
        journal.rename({root, QFile::decodeName(joined(write.folder, write.staging))},
                       {root, final}, false, original);
    }
    const QString backups = records.backupFolderOf(manifest.archive);
    manifest.files.clear();
    for (const Recorded& recorded : m_recorded) {
        if (recorded.backUp && recorded.write >= 0)
            journal.move(inRecords(stagingFolder + QLatin1Char('/') + recorded.file.path),
                         inRecords(backups + QLatin1Char('/') + recorded.file.backup));
        manifest.files.push_back(recorded.file);
        // A 7z or RAR entry's CRC-32 is the one worked out while writing it.
        if (recorded.write >= 0 && m_writes[std::size_t(recorded.write)].file)
            manifest.files.back().crc = m_writes[std::size_t(recorded.write)].file->entry->crc;
    }
    // Folders this install made, and those the earlier version made.
    QStringList folders = m_memory->previous ? m_memory->previous->folders : QStringList();
    for (const QString& target : m_plan.folders) {
        const Folder& folder = m_folders.at(target);
        const QString path = QFile::decodeName(folder.finalPath);
        if (folder.made && !folders.contains(path))
            folders.append(path);
    }
    manifest.folders = folders;
    if (m_memory->previous) {
        // What the earlier version had and this one has not goes as an
        // uninstall would take it.
        QSet<QString> kept;
        for (const Manifest::File& file : manifest.files)
            kept.insert(file.path);
        std::vector<const Manifest::File*> dropped;
        for (const Manifest::File& file : m_memory->previous->files) {
            if (!kept.contains(file.path))
                dropped.push_back(&file);
        }
        m_removal = planRemoval(*m_memory->previous, dropped, m_memory->others, records, journal);
        for (auto folder = m_memory->previous->folders.crbegin();
             folder != m_memory->previous->folders.crend(); ++folder)
            journal.removeFolder({m_memory->previous->destination, *folder});
        for (const Manifest& other : m_memory->others) {
            if (m_removal.changedRecords.contains(other.archive))
                journal.writeRecord(records, other);
        }
    }
    manifest.installed = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    journal.writeRecord(records, manifest);
    journal.removeTree(inRecords(stagingFolder));
    QStringList problems;
    if (!journal.commit(records, &problems)) {
        m_leftForRecovery = journal.leftForRecovery();
        if (!m_leftForRecovery)
            removeTree(records.openFolder(false).get(), staging);
        return fail(QString(), problems.join(QStringLiteral("; ")));
    }
    m_committed = true;
    if (m_memory->previous)
        m_removal.countResults(journal, m_plan.root);
    if (!problems.isEmpty())
        return fail(QString(), problems.join(QStringLiteral("; ")));
    return true;
}

void LibraryTransaction::rollback() {
    if (!m_disk.isOpen())
        return;
    for (const FileWrite& write : m_writes) {
        if (write.written && !write.staging.isEmpty())
            ::unlinkat(m_disk.directory(write.folder), write.staging.constData(), 0);
    }
    for (auto staged = m_stagedFolders.rbegin(); staged != m_stagedFolders.rend(); ++staged) {
        const int parent = m_disk.directory(staged->parent);
        if (staged->placed)
            ::renameat(parent, staged->final.constData(), parent, staged->staging.constData());
        if (staged->made)
            removeTree(parent, staged->staging);
    }
}

} // namespace packshelf
