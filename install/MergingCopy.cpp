#include "install/MergingCopy.h"

#include <QDir>
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

#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"
#include "archive/ZipHandles.h"
#include "install/InstallLog.h"

namespace packshelf {

using handles::UniqueFd;

struct MergingCopy::Folder {
    UniqueFd fd;
    QString path;
};

namespace {

constexpr std::size_t CopyBufferSize = 128 * 1024;
constexpr int PartialNameAttempts = 64;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString obstacleReason(const struct stat& st) {
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("a symbolic link is in the way");
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("a folder is in the way");
    return QStringLiteral("a file is in the way");
}

// Why `name` in `dirFd` could not be opened as a folder: what stands there,
// or the system's reason.
QString folderOpenReason(int dirFd, const QByteArray& name, int error) {
    struct stat st;
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
        return obstacleReason(st);
    return systemReason(error);
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

// Copies what is left of `in` to `out`: in the kernel where the file systems
// allow it, else through a buffer. Leaves errno set on failure.
bool copyData(int in, int out) {
    bool inKernel = true;
    std::unique_ptr<char[]> buffer;
    for (;;) {
        if (inKernel) {
            const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            if (copied > 0)
                continue;
            if (copied == 0)
                return true;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
                errno != EPERM && errno != EBADF)
                return false;
            inKernel = false;
            buffer = std::make_unique<char[]>(CopyBufferSize);
        }
        const ssize_t got = ::read(in, buffer.get(), CopyBufferSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!writeAll(out, buffer.get(), std::size_t(got)))
            return false;
    }
}

struct PartialFile {
    UniqueFd fd;
    QByteArray name;
    int error = 0;
};

// A new, empty temporary file in the folder, named so that it says what it
// is and which process writes it.
PartialFile createPartialFile(int dirFd) {
    PartialFile partial;
    for (int attempt = 0; attempt < PartialNameAttempts; ++attempt) {
        partial.name = QByteArray(PartialFilePrefix) + QByteArray::number(qint64(::getpid())) +
                       '-' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        partial.fd.reset(::openat(dirFd, partial.name.constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (partial.fd.valid())
            return partial;
        if (errno != EEXIST)
            break;
    }
    partial.error = errno;
    return partial;
}

// The id of the process that wrote a temporary file, from its name; 0 when
// the name is not one this program gives.
pid_t writerOfPartialFile(const QString& name) {
    if (!name.startsWith(QLatin1String(PartialFilePrefix)))
        return 0;
    const QString rest = name.mid(qsizetype(std::strlen(PartialFilePrefix)));
    const qsizetype dash = rest.indexOf(QLatin1Char('-'));
    if (dash <= 0 || dash == rest.size() - 1)
        return 0;
    bool ok = false;
    const qint64 pid = rest.left(dash).toLongLong(&ok);
    return ok && pid > 0 ? pid_t(pid) : 0;
}

// A temporary file is left over when the process that wrote it is gone, or
// is this one: this process sweeps a folder before it writes into it.
bool isLeftOver(pid_t writer) {
    if (writer == ::getpid())
        return true;
    return ::kill(writer, 0) != 0 && errno == ESRCH;
}

QStringList entryNamesOf(int dirFd) {
    QStringList names;
    const int listingFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listingFd < 0)
        return names;
    handles::UniqueDir dir(::fdopendir(listingFd));
    if (!dir) {
        ::close(listingFd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir.get()))
        names.append(QFile::decodeName(entry->d_name));
    return names;
}

} // namespace

bool isPartialFileName(const QString& name) {
    return writerOfPartialFile(name) != 0;
}

CopyResult MergingCopy::copy(const QString& source, const QString& root,
                             const QString& relativeTarget) {
    struct stat st;
    if (::lstat(native(source).constData(), &st) != 0)
        return CopyResult::failure(source, systemReason(errno));
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))
        return CopyResult::failure(source, QStringLiteral("not a file or folder"));

    QStringList components;
    for (const QString& part : relativeTarget.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return CopyResult::failure(joinPath(root, relativeTarget),
                                       QStringLiteral("the path leaves the destination"));
        if (part != QLatin1String("."))
            components.append(part);
    }

    QDir().mkpath(root);
    Folder folder{UniqueFd(::open(native(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
                  root};
    if (!folder.fd.valid())
        return CopyResult::failure(root, systemReason(errno));
    if (components.isEmpty()) {
        if (!S_ISDIR(st.st_mode))
            return CopyResult::failure(root, QStringLiteral("a folder is in the way"));
        return mergeFolder(source, folder);
    }

    const QString last = components.takeLast();
    for (const QString& name : components) {
        Folder next;
        if (CopyResult entered = enterFolder(folder, name, &next); !entered.ok)
            return entered;
        folder = std::move(next);
    }
    if (S_ISREG(st.st_mode))
        return copyFile(source, st.st_mode, st.st_mtim, folder, last);
    Folder target;
    if (CopyResult entered = enterFolder(folder, last, &target); !entered.ok)
        return entered;
    return mergeFolder(source, target);
}

CopyResult MergingCopy::enterFolder(const Folder& parent, const QString& name, Folder* folder) {
    const QString path = joinPath(parent.path, name);
    const QByteArray nativeName = native(name);
    if (::mkdirat(parent.fd.get(), nativeName.constData(), 0777) != 0 && errno != EEXIST)
        return CopyResult::failure(path, systemReason(errno));
    folder->fd.reset(::openat(parent.fd.get(), nativeName.constData(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder->fd.valid())
        return CopyResult::failure(path, folderOpenReason(parent.fd.get(), nativeName, errno));
    folder->path = path;
    return CopyResult::success();
}

CopyResult MergingCopy::mergeFolder(const QString& source, const Folder& destination) {
    QString error;
    const std::optional<QStringList> names = sortedEntryNames(source, &error);
    if (!names)
        return CopyResult::failure(source, error);
    for (const QString& name : *names) {
        const QString entry = joinPath(source, name);
        struct stat st;
        if (::lstat(native(entry).constData(), &st) != 0)
            return CopyResult::failure(entry, systemReason(errno));
        CopyResult result;
        if (S_ISDIR(st.st_mode)) {
            Folder folder;
            result = enterFolder(destination, name, &folder);
            if (result.ok)
                result = mergeFolder(entry, folder);
        } else if (S_ISREG(st.st_mode)) {
            result = copyFile(entry, st.st_mode, st.st_mtim, destination, name);
        } else {
            qCInfo(lcInstall).noquote()
                << QStringLiteral("Skipped %1: not a file or folder").arg(entry);
        }
        if (!result.ok)
            return result;
    }
    return CopyResult::success();
}

CopyResult MergingCopy::copyFile(const QString& source, mode_t mode,
                                 const struct timespec& modified, const Folder& folder,
                                 const QString& name) {
    removeLeftOverPartialFiles(folder);
    const QString destination = joinPath(folder.path, name);
    const QByteArray nativeName = native(name);
    struct stat existing;
    bool replacing = false;
    if (::fstatat(folder.fd.get(), nativeName.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(existing.st_mode))
            return CopyResult::failure(destination, obstacleReason(existing));
        replacing = true;
    } else if (errno != ENOENT) {
        return CopyResult::failure(destination, systemReason(errno));
    }

    UniqueFd in(::open(native(source).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!in.valid())
        return CopyResult::failure(source, systemReason(errno));
    PartialFile partial = createPartialFile(folder.fd.get());
    if (!partial.fd.valid())
        return CopyResult::failure(destination, systemReason(partial.error));
    const auto discard = [&](int error) {
        partial.fd.reset();
        ::unlinkat(folder.fd.get(), partial.name.constData(), 0);
        return CopyResult::failure(destination, systemReason(error));
    };

    if (!copyData(in.get(), partial.fd.get()))
        return discard(errno);
    // Modes and times are carried over where the file system keeps them.
    ::fchmod(partial.fd.get(), mode & 0777);
    const struct timespec times[2] = {{0, UTIME_OMIT}, modified};
    ::futimens(partial.fd.get(), times);
    // A replaced file must not turn empty after a crash: its new content
    // reaches the disk before its name does.
    if (replacing && ::fsync(partial.fd.get()) != 0)
        return discard(errno);
    if (!partial.fd.close())
        return discard(errno);
    if (::renameat(folder.fd.get(), partial.name.constData(), folder.fd.get(),
                   nativeName.constData()) != 0)
        return discard(errno);
    return CopyResult::success();
}

void MergingCopy::removeLeftOverPartialFiles(const Folder& folder) {
    struct stat st;
    if (::fstat(folder.fd.get(), &st) != 0 || !m_swept.insert({st.st_dev, st.st_ino}).second)
        return;
    for (const QString& name : entryNamesOf(folder.fd.get())) {
        const pid_t writer = writerOfPartialFile(name);
        if (writer == 0 || !isLeftOver(writer))
            continue;
        const QByteArray nativeName = native(name);
        struct stat entry;
        if (::fstatat(folder.fd.get(), nativeName.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(entry.st_mode))
            continue;
        if (::unlinkat(folder.fd.get(), nativeName.constData(), 0) == 0) {
            ++m_partialFilesRemoved;
            qCInfo(lcInstall).noquote() << QStringLiteral("Removed %1, left by an interrupted copy")
                                               .arg(joinPath(folder.path, name));
        }
    }
}

} // namespace packshelf
