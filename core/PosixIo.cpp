#include "core/PosixIo.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace packshelf {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
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
