#include "install/LibraryTransaction.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "archive/FreeSpace.h"

namespace packshelf {

using handles::UniqueFd;

// A folder of the plan, as it stands on disk: an existing folder of the
// library, or a new one, made inside a staging folder until the commit.
struct LibraryTransaction::Folder {
    bool exists = false;
    QByteArray path;   // relative to the root, in the file system's bytes
    bool made = false; // new folders: made on disk yet
    int stagedAt = -1; // the top of a new branch: its staging folder
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

namespace {

constexpr std::size_t BufferSize = 256 * 1024;
constexpr int DirectoryCacheSize = 64;

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

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

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

// The id of the process that staged `name`, from the name; 0 when it is
// not a staging name.
pid_t writerOf(const QByteArray& name) {
    if (!name.startsWith(StagingPrefix))
        return 0;
    const QByteArray rest = name.mid(qsizetype(std::strlen(StagingPrefix)));
    const qsizetype dash = rest.indexOf('-');
    if (dash <= 0 || dash == rest.size() - 1)
        return 0;
    bool ok = false;
    const qint64 pid = rest.left(dash).toLongLong(&ok);
    return ok && pid > 0 ? pid_t(pid) : 0;
}

bool hasEnded(pid_t writer) {
    return writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH;
}

struct DirEntry {
    QByteArray name;
    bool folder = false;
};

std::vector<DirEntry> entriesOf(int dirFd) {
    std::vector<DirEntry> entries;
    const int listingFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listingFd < 0)
        return entries;
    handles::UniqueDir dir(::fdopendir(listingFd));
    if (!dir) {
        ::close(listingFd);
        return entries;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        bool folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st;
            folder = ::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                     S_ISDIR(st.st_mode);
        }
        entries.push_back({QByteArray(entry->d_name), folder});
    }
    return entries;
}

// Removes a folder this program made, with everything in it; links are
// removed, never followed.
void removeTree(int parentFd, const QByteArray& name) {
    const int fd =
        ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        UniqueFd folder(fd);
        for (const DirEntry& entry : entriesOf(folder.get())) {
            if (entry.folder)
                removeTree(folder.get(), entry.name);
            else
                ::unlinkat(folder.get(), entry.name.constData(), 0);
        }
    }
    ::unlinkat(parentFd, name.constData(), AT_REMOVEDIR);
}

bool crcOfFile(int fd, quint64 size, quint32* crc) {
    const auto buffer = std::make_unique<char[]>(BufferSize);
    uLong sum = crc32(0L, Z_NULL, 0);
    quint64 offset = 0;
    while (offset < size) {
        const ssize_t got = ::pread(fd, buffer.get(), BufferSize, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        sum = crc32_z(sum, reinterpret_cast<const Bytef*>(buffer.get()), std::size_t(got));
        offset += quint64(got);
    }
    *crc = quint32(sum);
    return true;
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
    if (!m_committed)
        rollback();
}

// `target` is a path under the root.
bool LibraryTransaction::fail(const QString& target, const QString& problem) {
    if (!m_problem.isEmpty())
        return false;
    m_failedPath = target.isEmpty() ? m_plan.root : m_plan.root + QLatin1Char('/') + target;
    m_problem = problem;
    return false;
}

bool LibraryTransaction::cancelled() {
    if (!m_cancel || !m_cancel->load(std::memory_order_relaxed))
        return false;
    m_cancelledSeen = true;
    fail(QString(), QStringLiteral("cancelled"));
    return true;
}

QByteArray LibraryTransaction::newStagingName() {
    return QByteArray(StagingPrefix) + QByteArray::number(qint64(::getpid())) + '-' +
           QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

// The descriptor of an existing folder below the root, reached one name at
// a time without following a link.
int LibraryTransaction::directory(const QByteArray& path) {
    if (path.isEmpty())
        return m_root.get();
    if (const auto found = m_directories.find(path); found != m_directories.end())
        return found->second.get();
    const int parent = directory(parentOf(path));
    if (parent < 0)
        return -1;
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    UniqueFd fd(
        ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return -1;
    if (m_directories.size() >= DirectoryCacheSize)
        m_directories.clear();
    const int result = fd.get();
    m_directories.emplace(path, std::move(fd));
    return result;
}

// Removes what installs of ended processes staged in the folder.
void LibraryTransaction::sweep(const QByteArray& path) {
    if (m_swept.contains(path))
        return;
    m_swept.insert(path);
    const int fd = directory(path);
    if (fd < 0)
        return;
    for (const DirEntry& entry : entriesOf(fd)) {
        const pid_t writer = writerOf(entry.name);
        if (writer == 0 || !hasEnded(writer))
            continue;
        if (entry.folder)
            removeTree(fd, entry.name);
        else
            ::unlinkat(fd, entry.name.constData(), 0);
        ++m_leftoversRemoved;
    }
}

// The names of an existing folder by their case-folded form ("/" after a
// folder's), for matching without regard to letter case.
const QHash<QString, QList<QByteArray>>& LibraryTransaction::listing(const QByteArray& path) {
    const auto found = m_listings.constFind(path);
    if (found != m_listings.constEnd())
        return *found;
    QHash<QString, QList<QByteArray>> names;
    const int fd = directory(path);
    if (fd >= 0) {
        for (const DirEntry& entry : entriesOf(fd)) {
            QString key = QFile::decodeName(entry.name).toCaseFolded();
            if (entry.folder)
                key += QLatin1Char('/');
            names[key].append(entry.name);
        }
    }
    return *m_listings.insert(path, std::move(names));
}

LibraryTransaction::Folder* LibraryTransaction::resolveFolder(const QString& target) {
    if (const auto found = m_folders.find(target); found != m_folders.end())
        return &found->second;
    Folder folder;
    if (target.isEmpty()) {
        folder.exists = true;
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
        return &m_folders.emplace(target, folder).first->second;
    }
    const int parentFd = directory(parent->path);
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
        // A folder of the same name in another letter case takes the files.
        const QList<QByteArray> matches =
            listing(parent->path).value(QFile::decodeName(name).toCaseFolded() + QLatin1Char('/'));
        if (!matches.isEmpty()) {
            actual = matches.first();
            folder.exists = true;
        }
    }
    if (folder.exists) {
        folder.path = joined(parent->path, actual);
        sweep(folder.path);
    } else {
        folder.stagedAt = int(m_stagedFolders.size());
        StagedFolder staged{parent->path, newStagingName(), name};
        folder.path = joined(parent->path, staged.staging);
        m_stagedFolders.push_back(std::move(staged));
    }
    return &m_folders.emplace(target, folder).first->second;
}

bool LibraryTransaction::resolveFile(const PlannedFile& file) {
    const qsizetype slash = file.target.lastIndexOf(QLatin1Char('/'));
    const Folder* folder = resolveFolder(slash < 0 ? QString() : file.target.left(slash));
    if (!folder)
        return false;
    FileWrite write;
    write.file = &file;
    write.folder = folder->path;
    write.name = QFile::encodeName(file.target.mid(slash + 1));
    if (folder->exists) {
        const int dirFd = directory(folder->path);
        struct stat st;
        bool found = ::fstatat(dirFd, write.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!found && errno != ENOENT)
            return fail(file.target, systemReason(errno));
        if (!found) {
            const QList<QByteArray> matches =
                listing(folder->path).value(QFile::decodeName(write.name).toCaseFolded());
            if (!matches.isEmpty()) {
                write.name = matches.first();
                found = ::fstatat(dirFd, write.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
            }
        }
        if (found && !S_ISREG(st.st_mode))
            return fail(file.target, obstacle(st.st_mode));
        if (found && quint64(st.st_size) == file.entry->uncompressedSize &&
            sameContent(dirFd, write.name, *file.entry)) {
            ++m_counts.same;
            return true;
        }
        write.replacing = found;
        write.staging = newStagingName();
    }
    // Two planned files for one library file: the later one is written.
    const QByteArray key = joined(write.folder, write.name);
    if (const auto earlier = m_writeAt.constFind(key); earlier != m_writeAt.constEnd()) {
        m_writes[*earlier].file = nullptr;
    }
    m_writeAt.insert(key, m_writes.size());
    m_writes.push_back(std::move(write));
    return true;
}

bool LibraryTransaction::sameContent(int dirFd, const QByteArray& name, const IndexEntry& entry) {
    UniqueFd fd(::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    quint32 crc = 0;
    return fd.valid() && crcOfFile(fd.get(), entry.uncompressedSize, &crc) && crc == entry.crc;
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
    const int parent = directory(parentOf(folder->path));
    const QByteArray name = folder->path.mid(folder->path.lastIndexOf('/') + 1);
    if (::mkdirat(parent, name.constData(), 0777) != 0)
        return fail(target, systemReason(errno));
    folder->made = true;
    if (folder->stagedAt >= 0)
        m_stagedFolders[std::size_t(folder->stagedAt)].made = true;
    return true;
}

bool LibraryTransaction::writeFile(const FileWrite& write) {
    const int dirFd = directory(write.folder);
    const QByteArray name = write.staging.isEmpty() ? write.name : write.staging;
    const QString target = write.file->target;
    UniqueFd fd(::openat(dirFd, name.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid())
        return fail(target, systemReason(errno));
    int writeError = 0;
    const EntryRead read = m_view.read(write.file->source, [&](const char* data, std::size_t size) {
        if (writeAll(fd.get(), data, size))
            return true;
        writeError = errno;
        return false;
    });
    if (cancelled())
        return false;
    if (!read.ok) {
        if (writeError)
            return fail(target, systemReason(writeError));
        m_dataDamaged = true;
        return fail(target, read.problem);
    }
    const struct timespec times[2] = {{0, UTIME_OMIT},
                                      {time_t(dosDateToUnixTime(write.file->entry->dosDate)), 0}};
    ::futimens(fd.get(), times);
    if (!fd.close())
        return fail(target, systemReason(errno));
    return true;
}

bool LibraryTransaction::stage() {
    m_root.reset(
        ::open(QFile::encodeName(m_plan.root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_root.valid()) {
        return fail(QString(), errno == ENOENT ? QStringLiteral("the folder does not exist")
                                               : systemReason(errno));
    }
    // Folders first, so that each is found or planned before its files.
    for (const QString& folder : m_plan.folders) {
        if (!resolveFolder(folder))
            return false;
        if (cancelled())
            return false;
    }
    for (const PlannedFile& file : m_plan.files) {
        if (!resolveFile(file) || cancelled())
            return false;
    }
    quint64 bytes = 0;
    for (const FileWrite& write : m_writes) {
        if (write.file)
            bytes += write.file->entry->uncompressedSize;
    }
    if (!fitsOnFileSystem(m_plan.root, bytes))
        return fail(QString(), QStringLiteral("not enough free space for %1 bytes").arg(bytes));

    for (const QString& folder : m_plan.folders) {
        if (!makeFolder(folder))
            return false;
    }
    for (FileWrite& write : m_writes) {
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

bool LibraryTransaction::commit() {
    const bool replacing = m_counts.replaced > 0;
    // A replaced file must not lose its content to a crash: the new content
    // is on disk before any name changes.
    if (replacing && ::syncfs(m_root.get()) != 0)
        return fail(QString(), systemReason(errno));
    for (StagedFolder& staged : m_stagedFolders) {
        if (!staged.made)
            continue;
        const int parent = directory(staged.parent);
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
        const int dirFd = directory(write.folder);
        if (::renameat(dirFd, write.staging.constData(), dirFd, write.name.constData()) != 0)
            return fail(write.file->target, systemReason(errno));
        write.staging.clear();
    }
    m_committed = true;
    return true;
}

void LibraryTransaction::rollback() {
    if (!m_root.valid())
        return;
    for (const FileWrite& write : m_writes) {
        if (write.written && !write.staging.isEmpty())
            ::unlinkat(directory(write.folder), write.staging.constData(), 0);
    }
    for (auto staged = m_stagedFolders.rbegin(); staged != m_stagedFolders.rend(); ++staged) {
        const int parent = directory(staged->parent);
        if (staged->placed)
            ::renameat(parent, staged->final.constData(), parent, staged->staging.constData());
        if (staged->made)
            removeTree(parent, staged->staging);
    }
}

} // namespace packshelf
