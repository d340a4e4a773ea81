#include "install/disk/FileCopy.h"

#include <QCryptographicHash>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <zlib.h>

#include "core/EngineText.h"
#include "core/PosixHandles.h"
#include "install/disk/FaultSeam.h"
#include "install/disk/LibraryFiles.h"

namespace packshelf::library {

using handles::UniqueFd;

namespace {

constexpr std::size_t BufferSize = 256 * 1024;

// Feeds what is read of `in` to the digest and, when `out` is valid, to it.
Result<ContentDigest> pump(int in, int out) {
    const auto buffer = std::make_unique_for_overwrite<char[]>(BufferSize);
    QCryptographicHash sha(QCryptographicHash::Sha256);
    uLong crc = crc32(0L, Z_NULL, 0);
    quint64 size = 0;
    for (;;) {
        const ssize_t got = readSomeAt(in, buffer.get(), BufferSize, size);
        if (got < 0)
            return fail(systemReason(errno));
        if (got == 0)
            break;
        if (out >= 0 && !writeAll(out, buffer.get(), std::size_t(got)))
            return fail(systemReason(errno));
        sha.addData(QByteArrayView(buffer.get(), got));
        crc = crc32_z(crc, reinterpret_cast<const Bytef*>(buffer.get()), std::size_t(got));
        size += quint64(got);
    }
    return ContentDigest{sha.result(), size, quint32(crc)};
}

} // namespace

Result<ContentDigest> digestOf(int fd) {
    return pump(fd, -1);
}

Result<ContentDigest> copyFile(int fromDir, const QByteArray& from, int toDir,
                               const QByteArray& to) {
    const UniqueFd in(openIn(fromDir, from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!in.valid() || ::fstat(in.get(), &st) != 0)
        return fail(systemReason(errno));
    if (!S_ISREG(st.st_mode))
        return fail(EngineText::tr("not a regular file"));
    UniqueFd out(openIn(toDir, to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        st.st_mode & 07777));
    if (!out.valid())
        return fail(systemReason(errno));
    Result<ContentDigest> copied = pump(in.get(), out.get());
    if (copied) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        ::futimens(out.get(), times);
        if (syncData(out.get()) != 0 || !out.close())
            copied = fail(systemReason(errno));
    }
    if (!copied) {
        const int error = errno;
        ::unlinkat(toDir, to.constData(), 0);
        errno = error;
    }
    return copied;
}

} // namespace packshelf::library
