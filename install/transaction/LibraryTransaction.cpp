#include "install/transaction/LibraryTransaction.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

#include "archive/FreeSpace.h"
#include "core/EngineText.h"
#include "install/disk/FolderListings.h"
#include "install/records/LibraryRecords.h"
#include "install/store/VersionStore.h"
#include "install/transaction/InstallLayers.h"
#include "install/transaction/LibraryChange.h"
#include "install/transaction/VersionHistory.h"

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
};

struct LibraryTransaction::FileWrite {
    const PlannedFile* file = nullptr;
    QByteArray folder;  // on disk
    QByteArray name;    // final name
    QByteArray staging; // staged name in an existing folder; empty inside a new one
    bool replacing = false;
    bool written = false;
};

namespace {

QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    return folder.isEmpty() ? name : folder + '/' + name;
}

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash);
}

QString parentOf(const QString& target) {
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : target.left(slash);
}

QString obstacle(mode_t mode) {
    if (S_ISLNK(mode))
        return EngineText::tr("a symbolic link is in the way");
    if (S_ISDIR(mode))
        return EngineText::tr("a folder is in the way");
    return EngineText::tr("a file is in the way");
}

} // namespace

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
    m_change.reset();
}

// `target` is a path under the root.
Status LibraryTransaction::failure(const QString& target, const QString& problem) {
    if (m_failedPath.isEmpty())
        m_failedPath = target.isEmpty() ? m_plan.root : m_plan.root + QLatin1Char('/') + target;
    return fail(problem);
}

bool LibraryTransaction::cancelled() {
    if (!m_cancel || !m_cancel->load(std::memory_order_relaxed))
        return false;
    m_cancelledSeen = true;
    return true;
}

// Removes what ended installs staged in the folder: with the library's
// records, the library is locked and every staged name is a leftover;
// elsewhere, only those of ended processes are.
void LibraryTransaction::sweep(const QByteArray& path) {
    if (!m_dryRun)
        m_leftoversRemoved += m_disk.sweep(path, m_change && destinationPath().isEmpty());
}

QString LibraryTransaction::destinationPath() const {
    return m_memory && m_memory->records && m_plan.root == m_memory->records->library()
               ? QString()
               : m_plan.root;
}

Status LibraryTransaction::noteStaging(const QByteArray& folder) {
    if (!m_change)
        return {};
    if (Status noted = m_change->noteStaging({destinationPath(), QFile::decodeName(folder)});
        !noted)
        return failure(QFile::decodeName(folder), noted.reason());
    return {};
}

Result<LibraryTransaction::Folder*> LibraryTransaction::resolveFolder(const QString& target) {
    if (const auto found = m_folders.find(target); found != m_folders.end())
        return &found->second;
    Folder folder;
    if (target.isEmpty()) {
        folder.exists = true; // paths of the root are empty
        sweep({});
        return &m_folders.emplace(target, folder).first->second;
    }
    Result<Folder*> parentFolder = resolveFolder(parentOf(target));
    if (!parentFolder)
        return parentFolder;
    const Folder* parent = *parentFolder;
    const QByteArray name = QFile::encodeName(target.mid(target.lastIndexOf(QLatin1Char('/')) + 1));
    if (!parent->exists) {
        folder.path = joined(parent->path, name);
        folder.finalPath = joined(parent->finalPath, name);
        return &m_folders.emplace(target, folder).first->second;
    }
    const int parentFd = m_disk.directory(parent->path);
    struct stat st;
    QByteArray actual = name;
    if (::fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISDIR(st.st_mode))
            return failure(target, obstacle(st.st_mode)).failure();
        folder.exists = true;
    } else if (errno != ENOENT) {
        return failure(target, systemReason(errno)).failure();
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
            return failure(target, obstacle(S_IFREG)).failure();
        }
    }
    if (folder.exists) {
        folder.path = joined(parent->path, actual);
        folder.finalPath = folder.path;
        sweep(folder.path);
    } else {
        if (Status writable = canWriteIn(parent->path, parentOf(target)); !writable)
            return writable.failure();
        folder.stagedAt = int(m_stagedFolders.size());
        StagedFolder staged{parent->path, stagingName(), name};
        folder.path = joined(parent->path, staged.staging);
        folder.finalPath = joined(parent->finalPath, name);
        m_stagedFolders.push_back(std::move(staged));
    }
    return &m_folders.emplace(target, folder).first->second;
}

Status LibraryTransaction::resolveFile(const PlannedFile& file) {
    const Result<Folder*> resolved = resolveFolder(parentOf(file.target));
    if (!resolved)
        return resolved.failure();
    const Folder* folder = *resolved;
    Recorded recorded;
    recorded.target = file.target;
    recorded.folder = folder->path;
    recorded.name =
        QFile::encodeName(file.target.mid(file.target.lastIndexOf(QLatin1Char('/')) + 1));
    recorded.inNewFolder = !folder->exists;
    int dirFd = -1;
    struct stat st {};
    if (folder->exists) {
        dirFd = m_disk.directory(folder->path);
        recorded.found = ::fstatat(dirFd, recorded.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!recorded.found && errno != ENOENT)
            return failure(file.target, systemReason(errno));
        if (!recorded.found) {
            const QString folded = QFile::decodeName(recorded.name).toCaseFolded();
            const QList<QByteArray> matches = m_disk.listing(folder->path).value(folded);
            if (!matches.isEmpty()) {
                recorded.name = matches.first();
                recorded.found =
                    ::fstatat(dirFd, recorded.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
            } else if (m_disk.listing(folder->path).contains(folded + QLatin1Char('/'))) {
                return failure(file.target, obstacle(S_IFDIR));
            }
        }
        if (recorded.found && !S_ISREG(st.st_mode)) {
            if (!m_keepAside.contains(QFile::decodeName(joined(folder->finalPath, recorded.name))))
                return failure(file.target, obstacle(st.st_mode));
            recorded.found = false;
            recorded.obstacle = true;
        }
    }
    const QByteArray finalPath = joined(folder->finalPath, recorded.name);
    recorded.file.path = QFile::decodeName(finalPath);
    recorded.file.size = file.entry->uncompressedSize;
    recorded.file.crc = file.entry->crc;
    recorded.file.modified = file.entry->modifiedTime();
    // A 7z or RAR entry's CRC-32 is decoded only for a library file of its
    // size; one that cannot be decoded is the same as nothing.
    bool same = false;
    if (recorded.found && quint64(st.st_size) == file.entry->uncompressedSize) {
        const std::optional<quint32> entryCrc = m_view.crcOf(file.source);
        if (entryCrc) {
            const Result<quint32> current = currentCrc(recorded, st, dirFd);
            if (!current)
                return failure(file.target, EngineText::tr("%1 cannot be read: %2")
                                                .arg(recorded.file.path, current.reason()));
            same = *current == *entryCrc;
        }
    }
    recorded.file.action = same             ? Manifest::File::Action::Same
                           : recorded.found ? Manifest::File::Action::Replaced
                                            : Manifest::File::Action::New;
    if (!same && folder->exists) {
        if (Status writable = canWriteIn(folder->path, parentOf(file.target)); !writable)
            return writable;
    }
    if (!same) {
        FileWrite write;
        write.file = &file;
        write.folder = recorded.folder;
        write.name = recorded.name;
        write.replacing = recorded.found;
        if (folder->exists)
            write.staging = stagingName();
        recorded.staging = write.staging;
        recorded.write = int(m_writes.size());
        m_writes.push_back(std::move(write));
    }
    if (m_dryRun) {
        Change change;
        change.path = recorded.file.path;
        change.target = recorded.target;
        change.size = recorded.file.size;
        change.crc = recorded.file.crc;
        change.crcKnown = same || file.entry->crcKnown;
        change.kind = same             ? Change::Kind::Same
                      : recorded.found ? Change::Kind::Replace
                                       : Change::Kind::Add;
        if (recorded.found)
            change.owner = ownerOf(recorded, st, dirFd);
        if (const auto earlier = m_recordAt.constFind(finalPath); earlier != m_recordAt.constEnd())
            m_changes[*earlier] = std::move(change);
        else
            m_changes.push_back(std::move(change));
    }
    // Two planned files for one library file: the later one counts.
    if (const auto earlier = m_recordAt.constFind(finalPath); earlier != m_recordAt.constEnd()) {
        Recorded& replaced = m_recorded[*earlier];
        if (replaced.write >= 0)
            m_writes[std::size_t(replaced.write)].file = nullptr;
        replaced = std::move(recorded);
        return {};
    }
    m_recordAt.insert(finalPath, m_recorded.size());
    m_recorded.push_back(std::move(recorded));
    return {};
}

// The library file's CRC-32: the one its record gives while it has the
// size and time the record gives (the same trust an uninstall puts in it),
// else read.
Result<quint32> LibraryTransaction::currentCrc(const Recorded& recorded, const struct ::stat& st,
                                               int dirFd) const {
    if (m_memory && m_memory->history) {
        const std::optional<VersionHistory::Layer> top =
            m_memory->history->top(m_plan.root, recorded.file.path);
        if (top && top->file->size == quint64(st.st_size) &&
            top->file->modified == st.st_mtim.tv_sec)
            return top->file->crc;
    }
    if (st.st_size == 0)
        return quint32(0);
    const UniqueFd fd(openIn(dirFd, recorded.name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    quint32 crc = 0;
    if (!fd.valid() || !crcOfFile(fd.get(), quint64(st.st_size), &crc))
        return fail(systemReason(errno));
    return crc;
}

// The installed package the library file belongs to: the one that wrote
// it last, while the file is still as that package wrote it.
QString LibraryTransaction::ownerOf(const Recorded& recorded, const struct ::stat& st,
                                    int dirFd) const {
    if (!m_memory || !m_memory->history)
        return {};
    const std::optional<VersionHistory::Layer> top =
        m_memory->history->top(m_plan.root, recorded.file.path);
    if (!top || top->file->size != quint64(st.st_size))
        return {};
    if (top->file->modified == st.st_mtim.tv_sec ||
        fileHasContent(dirFd, recorded.name, top->file->size, top->file->crc))
        return top->package->archive;
    return {};
}

// An existing folder something is written into must take it: found while
// planning, so that a preview says what the install would meet.
Status LibraryTransaction::canWriteIn(const QByteArray& folder, const QString& target) {
    if (const int error = m_disk.writeError(folder); error != 0)
        return failure(
            target,
            EngineText::tr("the folder cannot be written to (%1)").arg(systemReason(error)));
    return {};
}

Status LibraryTransaction::makeFolder(const QString& target) {
    const Result<Folder*> resolved = resolveFolder(target);
    if (!resolved)
        return resolved.failure();
    Folder* folder = *resolved;
    if (folder->exists || folder->made)
        return {};
    if (Status parent = makeFolder(parentOf(target)); !parent)
        return parent;
    const int parentFd = m_disk.directory(parentOf(folder->path));
    const QByteArray name = folder->path.mid(folder->path.lastIndexOf('/') + 1);
    if (folder->stagedAt >= 0) {
        if (Status noted = noteStaging(parentOf(folder->path)); !noted)
            return noted;
    }
    if (makeFolderIn(parentFd, name.constData()) != 0)
        return failure(target, systemReason(errno));
    folder->made = true;
    if (folder->stagedAt >= 0)
        m_stagedFolders[std::size_t(folder->stagedAt)].made = true;
    return {};
}

Status LibraryTransaction::writeFile(const FileWrite& write) {
    const int dirFd = m_disk.directory(write.folder);
    if (!write.staging.isEmpty()) {
        if (Status noted = noteStaging(write.folder); !noted)
            return noted;
    }
    const QByteArray name = write.staging.isEmpty() ? write.name : write.staging;
    const QString target = write.file->target;
    // The entry's executable bits are kept, under the user's umask as any
    // new file's bits are; setuid, setgid and sticky never are.
    const mode_t mode = 0666 | (write.file->entry->unixMode & 0111);
    UniqueFd fd(openIn(dirFd, name.constData(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd.valid())
        return failure(target, systemReason(errno));
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
        return failure(QString(), EngineText::tr("cancelled"));
    if (!read.ok()) {
        if (writeError)
            return failure(target, systemReason(writeError));
        m_dataDamaged = true;
        return failure(target, read.reason());
    }
    const struct timespec times[2] = {{0, UTIME_OMIT},
                                      {time_t(write.file->entry->modifiedTime()), 0}};
    ::futimens(fd.get(), times);
    if (!fd.close())
        return failure(target, systemReason(errno));
    return {};
}

void LibraryTransaction::remember(Memory memory) {
    m_memory = std::move(memory);
    if (m_memory->records && m_memory->store)
        m_change = std::make_unique<LibraryChange>(m_memory->records->library(), *m_memory->store,
                                                   *m_memory->records);
}

Status LibraryTransaction::resolveAll() {
    if (!m_disk.open(m_plan.root))
        return failure(QString(), errno == ENOENT ? EngineText::tr("the folder does not exist")
                                                  : systemReason(errno));
    if (sharesListings())
        m_disk.share(m_memory->listings);
    // Folders first, so that each is found or planned before its files.
    for (const QString& folder : m_plan.folders) {
        if (Result<Folder*> resolved = resolveFolder(folder); !resolved)
            return resolved.failure();
        if (cancelled())
            return failure(QString(), EngineText::tr("cancelled"));
    }
    for (const PlannedFile& file : m_plan.files) {
        if (Status resolved = resolveFile(file); !resolved)
            return resolved;
        if (cancelled())
            return failure(QString(), EngineText::tr("cancelled"));
    }
    return {};
}

Status LibraryTransaction::compare() {
    m_dryRun = true;
    return resolveAll();
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
    if (Status resolved = resolveAll(); !resolved)
        return resolved;
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
        return failure(QString(), EngineText::tr("not enough free space: %1 bytes needed, %2 free "
                                                 "(%3 of them kept free)")
                                      .arg(bytes)
                                      .arg(freeBytesAt(m_plan.root).value_or(0))
                                      .arg(freeSpaceMargin(m_plan.root)));
    for (const QString& folder : m_plan.folders) {
        if (Status made = makeFolder(folder); !made)
            return made;
    }
    for (FileWrite* each : writeOrder()) {
        FileWrite& write = *each;
        if (!write.file)
            continue;
        if (Status made = makeFolder(parentOf(write.file->target)); !made)
            return made;
        if (cancelled())
            return failure(QString(), EngineText::tr("cancelled"));
        write.written = true; // from here on it may be on disk
        if (Status written = writeFile(write); !written)
            return written;
        ++(write.replacing ? m_counts.replaced : m_counts.added);
    }
    return {};
}

Result<QStringList> LibraryTransaction::commit() {
    if (!m_change)
        return failure(QString(), EngineText::tr("the library's records are not open")).failure();
    InstallLayers layers(*m_memory, *m_change, m_plan.root, destinationPath());
    for (const StagedFolder& staged : m_stagedFolders) {
        if (staged.made)
            m_change->placeFolder(
                {destinationPath(), QFile::decodeName(joined(staged.parent, staged.final))},
                QFile::decodeName(staged.staging));
    }
    for (Recorded& recorded : m_recorded) {
        // A 7z or RAR entry's CRC-32 is the one worked out while writing it.
        if (recorded.write >= 0 && m_writes[std::size_t(recorded.write)].file)
            recorded.file.crc = m_writes[std::size_t(recorded.write)].file->entry->crc;
        if (Status planned = layers.add(recorded); !planned)
            return failure(recorded.file.path, planned.reason()).failure();
    }
    QStringList folders;
    for (const QString& target : m_plan.folders) {
        const Folder& folder = m_folders.at(target);
        if (folder.made)
            folders.append(QFile::decodeName(folder.finalPath));
    }
    if (Status finished = layers.finish(folders); !finished)
        return failure(QString(), finished.reason()).failure();
    m_removal = layers.removal();
    Result<QStringList> committed = m_change->commit();
    m_leftForRecovery = m_change->leftForRecovery();
    if (!committed)
        return failure(QString(), committed.reason()).failure();
    m_committed = true;
    m_memory->history->commitEdits(*m_memory->manifests);
    if (sharesListings())
        noteCommittedNames();
    return committed;
}

bool LibraryTransaction::sharesListings() const {
    return m_change && m_memory->listings && destinationPath().isEmpty();
}

// The run's names of the library's folders follow what this change placed;
// a folder it took something out of is read again when next needed, as is
// any folder changed otherwise (its times no longer match).
void LibraryTransaction::noteCommittedNames() {
    FolderListings& listings = *m_memory->listings;
    QSet<QByteArray> placedIn;
    const auto place = [&](const RootedPath& target, bool isFolder) {
        const QByteArray folder = QFile::encodeName(target.folder().relative);
        listings.added(folder, QFile::encodeName(target.name()), isFolder);
        placedIn.insert(folder);
    };
    const auto takeOut = [&](const RootedPath& path) {
        listings.forget(QFile::encodeName(path.folder().relative));
        listings.forget(QFile::encodeName(path.relative));
    };
    for (const JournalStep& step : m_change->steps()) {
        if (const auto* file = std::get_if<step::PlaceFile>(&step))
            place(file->target, false);
        else if (const auto* folder = std::get_if<step::PlaceFolder>(&step))
            place(folder->target, true);
        else if (const auto* aside = std::get_if<step::MoveAside>(&step))
            takeOut(aside->path);
        else if (const auto* empty = std::get_if<step::RemoveEmptyFolder>(&step))
            takeOut(empty->path);
    }
    for (const QByteArray& folder : placedIn) {
        struct stat st {};
        const int fd = m_disk.directory(folder);
        if (fd >= 0 && ::fstat(fd, &st) == 0)
            listings.restamp(folder, st);
        else
            listings.forget(folder);
    }
}

Result<QStringList> LibraryTransaction::commitRepair(const QString& package, Kept& kept) {
    if (!m_change)
        return failure(QString(), EngineText::tr("the library's records are not open")).failure();
    const QString destination = destinationPath();
    for (const StagedFolder& folder : m_stagedFolders) {
        if (folder.made)
            m_change->placeFolder(
                {destination, QFile::decodeName(joined(folder.parent, folder.final))},
                QFile::decodeName(folder.staging));
    }
    // What stands in the place of a file written again is kept first.
    for (const Recorded& recorded : m_recorded) {
        if (recorded.write < 0 || (!recorded.found && !recorded.obstacle))
            continue;
        const RootedPath path{destination, recorded.file.path};
        const Result<QString> keptAs = m_change->keepForUser(path, package, recorded.obstacle);
        if (!keptAs)
            return failure(recorded.file.path, keptAs.reason()).failure();
        kept.from << path.absoluteIn(m_memory->records->library());
        kept.as << *keptAs;
    }
    for (const Recorded& recorded : m_recorded) {
        if (recorded.write < 0 || recorded.inNewFolder)
            continue;
        const RootedPath path{destination, recorded.file.path};
        QString original;
        if (recorded.found) {
            const Result<QString> link = m_change->keepOriginal(path);
            if (!link)
                return failure(recorded.file.path, link.reason()).failure();
            original = *link;
        }
        m_change->placeFile(path, QFile::decodeName(recorded.staging), original);
    }
    Result<QStringList> committed = m_change->commit();
    m_leftForRecovery = m_change->leftForRecovery();
    if (!committed) {
        kept = {};
        return failure(QString(), committed.reason()).failure();
    }
    m_committed = true;
    return committed;
}

void LibraryTransaction::rollback() {
    if (!m_disk.isOpen())
        return;
    for (const FileWrite& write : m_writes) {
        if (write.written && !write.staging.isEmpty())
            ::unlinkat(m_disk.directory(write.folder), write.staging.constData(), 0);
    }
    for (auto staged = m_stagedFolders.rbegin(); staged != m_stagedFolders.rend(); ++staged) {
        // What cannot be removed, the staging log names for the next recovery.
        if (staged->made)
            (void)removeTree(m_disk.directory(staged->parent), staged->staging);
    }
}

} // namespace packshelf
