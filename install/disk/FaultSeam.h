#pragma once

#include <QtGlobal>
#include <cstddef>
#include <functional>
#include <sys/types.h>

// The file operations the library is changed and read through. Each goes
// through one seam, where a test can make any one of them fail (or end the
// process, as a kill would) to see that the library is left whole and the
// failure is said. In the program no hook is set and each is the system
// call it names, retried on EINTR.
namespace packshelf::library {

enum class FileOp { Open, Read, Write, Sync, Rename, Link, Unlink, Mkdir };

// Answers 0, or the errno an injected fault makes the next `op` fail with.
int injectedFault(FileOp op);
// Tests install a hook; null takes it away.
void setFaultInjection(std::function<int(FileOp)> hook);

// openat(2); -1 with errno set when it fails.
int openIn(int dirFd, const char* name, int flags, mode_t mode = 0);
// read(2) of up to `size` bytes: the count read, 0 at the end, -1 on error.
ssize_t readSome(int fd, char* data, std::size_t size);
// pread(2), as readSome().
ssize_t readSomeAt(int fd, char* data, std::size_t size, quint64 offset);
// write(2) until every byte is written; false with errno set.
bool writeAll(int fd, const char* data, std::size_t size);
// fdatasync(2), fsync(2) and syncfs(2).
int syncData(int fd);
int syncFile(int fd);
int syncFileSystem(int fd);
// renameat2(2), linkat(2), unlinkat(2) and mkdirat(2).
int renameIn(int fromFd, const char* from, int toFd, const char* to, unsigned flags = 0);
int linkIn(int fromFd, const char* from, int toFd, const char* to);
int unlinkIn(int dirFd, const char* name, int flags = 0);
int makeFolderIn(int dirFd, const char* name, mode_t mode = 0777);

} // namespace packshelf::library
