#include "install/disk/FaultSeam.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace packshelf::library {

namespace {

std::function<int(FileOp)>& faultHook() {
    static std::function<int(FileOp)> hook;
    return hook;
}

// Runs `call` unless a fault is injected for `op`, which then fails it;
// a call interrupted by a signal is made again.
template <typename Call> auto throughSeam(FileOp op, Call call) -> decltype(call()) {
    if (const int error = injectedFault(op)) {
        errno = error;
        return -1;
    }
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

} // namespace

int injectedFault(FileOp op) {
    const std::function<int(FileOp)>& hook = faultHook();
    return hook ? hook(op) : 0;
}

void setFaultInjection(std::function<int(FileOp)> hook) {
    faultHook() = std::move(hook);
}

int openIn(int dirFd, const char* name, int flags, mode_t mode) {
    return throughSeam(FileOp::Open, [&] { return ::openat(dirFd, name, flags, mode); });
}

ssize_t readSome(int fd, char* data, std::size_t size) {
    return throughSeam(FileOp::Read, [&] { return ::read(fd, data, size); });
}

ssize_t readSomeAt(int fd, char* data, std::size_t size, quint64 offset) {
    return throughSeam(FileOp::Read, [&] { return ::pread(fd, data, size, off_t(offset)); });
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = throughSeam(FileOp::Write, [&] { return ::write(fd, data, size); });
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

int syncData(int fd) {
    return throughSeam(FileOp::Sync, [&] { return ::fdatasync(fd); });
}

int syncFile(int fd) {
    return throughSeam(FileOp::Sync, [&] { return ::fsync(fd); });
}

int syncFileSystem(int fd) {
    return throughSeam(FileOp::Sync, [&] { return ::syncfs(fd); });
}

int renameIn(int fromFd, const char* from, int toFd, const char* to, unsigned flags) {
    return throughSeam(FileOp::Rename, [&] { return ::renameat2(fromFd, from, toFd, to, flags); });
}

int linkIn(int fromFd, const char* from, int toFd, const char* to) {
    return throughSeam(FileOp::Link, [&] { return ::linkat(fromFd, from, toFd, to, 0); });
}

int unlinkIn(int dirFd, const char* name, int flags) {
    return throughSeam(FileOp::Unlink, [&] { return ::unlinkat(dirFd, name, flags); });
}

int makeFolderIn(int dirFd, const char* name, mode_t mode) {
    return throughSeam(FileOp::Mkdir, [&] { return ::mkdirat(dirFd, name, mode); });
}

} // namespace packshelf::library
