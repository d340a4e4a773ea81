#include "core/PosixIo.h"

#include <QtGlobal>
#include <cerrno>
#include <cstring>
#include <locale.h>
#include <unistd.h>

#include "core/EngineText.h"

namespace packshelf {

namespace {

// The system's words for the errors a file operation meets most, as the C
// library says them without a language of its own, so that they can be
// translated (the command line prints them so, whatever the locale).
constexpr struct {
    int error;
    const char* words;
} SystemWords[] = {
    {ENOSPC, QT_TRANSLATE_NOOP("packshelf::EngineText", "No space left on device")},
    {EDQUOT, QT_TRANSLATE_NOOP("packshelf::EngineText", "Disk quota exceeded")},
    {EACCES, QT_TRANSLATE_NOOP("packshelf::EngineText", "Permission denied")},
    {EPERM, QT_TRANSLATE_NOOP("packshelf::EngineText", "Operation not permitted")},
    {ENOENT, QT_TRANSLATE_NOOP("packshelf::EngineText", "No such file or directory")},
    {ENOTDIR, QT_TRANSLATE_NOOP("packshelf::EngineText", "Not a directory")},
    {EISDIR, QT_TRANSLATE_NOOP("packshelf::EngineText", "Is a directory")},
    {EEXIST, QT_TRANSLATE_NOOP("packshelf::EngineText", "File exists")},
    {EROFS, QT_TRANSLATE_NOOP("packshelf::EngineText", "Read-only file system")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("packshelf::EngineText", "File name too long")},
    {ELOOP, QT_TRANSLATE_NOOP("packshelf::EngineText", "Too many levels of symbolic links")},
    {EIO, QT_TRANSLATE_NOOP("packshelf::EngineText", "Input/output error")},
    {EBUSY, QT_TRANSLATE_NOOP("packshelf::EngineText", "Device or resource busy")},
    {ENOTEMPTY, QT_TRANSLATE_NOOP("packshelf::EngineText", "Directory not empty")},
    {EXDEV, QT_TRANSLATE_NOOP("packshelf::EngineText", "Invalid cross-device link")},
    {EMFILE, QT_TRANSLATE_NOOP("packshelf::EngineText", "Too many open files")},
    {ENFILE, QT_TRANSLATE_NOOP("packshelf::EngineText", "Too many open files in system")},
    {ENOMEM, QT_TRANSLATE_NOOP("packshelf::EngineText", "Cannot allocate memory")},
    {EINVAL, QT_TRANSLATE_NOOP("packshelf::EngineText", "Invalid argument")},
    {EFBIG, QT_TRANSLATE_NOOP("packshelf::EngineText", "File too large")},
    {ETXTBSY, QT_TRANSLATE_NOOP("packshelf::EngineText", "Text file busy")},
    {EAGAIN, QT_TRANSLATE_NOOP("packshelf::EngineText", "Resource temporarily unavailable")},
    {ESTALE, QT_TRANSLATE_NOOP("packshelf::EngineText", "Stale file handle")},
    {EBADF, QT_TRANSLATE_NOOP("packshelf::EngineText", "Bad file descriptor")},
    {EMLINK, QT_TRANSLATE_NOOP("packshelf::EngineText", "Too many links")},
    {EOVERFLOW,
     QT_TRANSLATE_NOOP("packshelf::EngineText", "Value too large for defined data type")},
};

} // namespace

QString systemReason(int error) {
    for (const auto& [known, words] : SystemWords) {
        if (known == error)
            return EngineText::tr(words);
    }
    static const locale_t plain = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return QString::fromLocal8Bit(plain ? ::strerror_l(error, plain) : std::strerror(error));
}

Status writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return fail(systemReason(errno));
        if (written == 0)
            return fail(systemReason(EIO));
        data += written;
        size -= std::size_t(written);
    }
    return {};
}

Result<std::size_t> readSome(int fd, char* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size);
        if (got >= 0)
            return std::size_t(got);
        if (errno != EINTR)
            return fail(systemReason(errno));
    }
}

} // namespace packshelf
