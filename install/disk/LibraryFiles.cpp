#include "install/disk/LibraryFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "core/PosixIo.h"
#include "install/plan/InstallPlan.h"

namespace packshelf::library {

using handles::UniqueFd;

namespace {
constexpr std::size_t BufferSize = 256 * 1024;
constexpr qsizetype NameBytesMax = 255;
constexpr qsizetype PathBytesMax = 4095;

// The length of the text in UTF-8, the encoding of file names here,
// counted without encoding it: records name hundreds of thousands of paths.
qsizetype utf8Length(QStringView text) {
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80)
            length += 1;
        else if (unit < 0x800)
            length += 2;
        else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
                 text[i + 1].isLowSurrogate())
            length += 4, ++i;
        else
            length += 3;
    }
    return length;
}

bool isPlainName(QStringView name) {
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(QChar(0)) &&
           utf8Length(name) <= NameBytesMax;
}

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

bool isSafeRelative(const QString& path) {
    if (path.isEmpty() || utf8Length(path) > PathBytesMax)
        return false;
    for (qsizetype start = 0;;) {
        const qsizetype slash = path.indexOf(QLatin1Char('/'), start);
        const qsizetype end = slash < 0 ? path.size() : slash;
        if (!isPlainName(QStringView(path).sliced(start, end - start)))
            return false;
        if (slash < 0)
            return true;
        start = slash + 1;
    }
}

bool isSafeAbsolute(const QString& path) {
    return path.startsWith(QLatin1Char('/')) &&
           (path == QLatin1String("/") || isSafeRelative(path.mid(1)));
}

QString systemReason(int error) {
    return packshelf::systemReason(error);
}

Result<std::vector<DirEntry>> entriesOf(int dirFd) {
    std::vector<DirEntry> entries;
    const int listingFd = openIn(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listingFd < 0)
        return fail(systemReason(errno));
    handles::UniqueDir dir(::fdopendir(listingFd));
    if (!dir) {
        const int error = errno;
        ::close(listingFd);
        return fail(systemReason(error));
    }
    errno = 0;
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
        errno = 0;
    }
    if (errno != 0)
        return fail(systemReason(errno));
    return entries;
}

UniqueFd openFolderIn(int parentFd, const QByteArray& name) {
    return UniqueFd(openIn(parentFd, name.constData(), FolderFlags));
}

UniqueFd openFolderBelow(const QString& root, const QString& relative, bool makeMissing) {
    const QByteArray nativeRoot = QFile::encodeName(root);
    if (makeMissing)
        makeFolderIn(AT_FDCWD, nativeRoot.constData());
    UniqueFd folder(openIn(AT_FDCWD, nativeRoot.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!folder.valid())
            break;
        if (part == QLatin1String(".") || part == QLatin1String("..")) {
            folder.reset();
            errno = EINVAL;
            break;
        }
        const QByteArray name = QFile::encodeName(part);
        if (makeMissing)
            makeFolderIn(folder.get(), name.constData());
        folder = openFolderIn(folder.get(), name);
    }
    return folder;
}

Status removeTree(int parentFd, const QByteArray& name) {
    Status removed;
    const UniqueFd folder = openFolderIn(parentFd, name);
    if (folder.valid()) {
        const Result<std::vector<DirEntry>> entries = entriesOf(folder.get());
        if (!entries)
            removed = entries.failure();
        for (const DirEntry& entry : entries ? *entries : std::vector<DirEntry>()) {
            Status part;
            if (entry.folder)
                part = removeTree(folder.get(), entry.name);
            else if (unlinkIn(folder.get(), entry.name.constData()) != 0 && errno != ENOENT)
                part = fail(systemReason(errno));
            if (!part && removed)
                removed = part;
        }
    }
    if (unlinkIn(parentFd, name.constData(), folder.valid() ? AT_REMOVEDIR : 0) != 0 &&
        errno != ENOENT && removed)
        removed = fail(systemReason(errno));
    return removed;
}

Result<QByteArray> readWholeFile(int dirFd, const QByteArray& name) {
    const UniqueFd fd(openIn(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return fail(systemReason(errno));
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = readSome(fd.get(), buffer, sizeof buffer);
        if (got < 0)
            return fail(systemReason(errno));
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
}

bool crcOfFile(int fd, quint64 size, quint32* crc) {
    const auto buffer = std::make_unique_for_overwrite<char[]>(BufferSize);
    uLong sum = crc32(0L, Z_NULL, 0);
    quint64 offset = 0;
    while (offset < size) {
        const ssize_t got = readSomeAt(fd, buffer.get(), BufferSize, offset);
        if (got <= 0)
            return false;
        sum = crc32_z(sum, reinterpret_cast<const Bytef*>(buffer.get()), std::size_t(got));
        offset += quint64(got);
    }
    *crc = quint32(sum);
    return true;
}

bool fileHasContent(int dirFd, const QByteArray& name, quint64 size, quint32 crc) {
    UniqueFd fd(openIn(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    quint32 found = 0;
    return fd.valid() && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
           quint64(st.st_size) == size && crcOfFile(fd.get(), size, &found) && found == crc;
}

QByteArray stagingName() {
    return QByteArray(StagingPrefix) + QByteArray::number(qint64(::getpid())) + '-' +
           QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

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

bool isStagingName(const QString& name) {
    return writerOf(QFile::encodeName(name)) != 0;
}

bool hasEnded(pid_t writer) {
    return writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH;
}

std::pair<QString, QByteArray> splitLast(const QString& relative) {
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {QString(), QFile::encodeName(relative)};
    return {relative.left(slash), QFile::encodeName(relative.mid(slash + 1))};
}

} // namespace packshelf::library
