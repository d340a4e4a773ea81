#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <sys/types.h>
#include <vector>

#include "core/PosixHandles.h"

// File operations inside a library, shared by installs, uninstalls and
// their journals: nothing below the folder the user chose is reached
// through a symbolic link.
namespace packshelf::library {

// The file operations a commit is made of, each of which a test can make
// fail once to see that the library is left whole.
enum class FileOp { Rename, Link, Unlink, Sync };

// Answers 0, or the errno an injected fault makes the next `op` fail with.
// Tests install a hook; in the program there is none.
int injectedFault(FileOp op);
void setFaultInjection(std::function<int(FileOp)> hook);

// renameat2, linkat, unlinkat and syncfs through the fault seam.
int renameIn(int fromFd, const char* from, int toFd, const char* to, unsigned flags = 0);
int linkIn(int fromFd, const char* from, int toFd, const char* to);
int unlinkIn(int dirFd, const char* name, int flags = 0);
int syncFileSystem(int fd);

// True for a path a record or a journal may name below a folder: relative,
// every component a plain name (no "", "." or "..", no NUL) within the
// file system's name limits.
bool isSafeRelative(const QString& path);
// True for an absolute folder path with nothing to resolve in it.
bool isSafeAbsolute(const QString& path);

struct DirEntry {
    QByteArray name;
    bool folder = false;
};

QString systemReason(int error);
bool writeAll(int fd, const char* data, std::size_t size);

// The entries of an open folder ("." and ".." aside).
std::vector<DirEntry> entriesOf(int dirFd);

// Opens the folder `relative` (names joined with "/", "" for the root)
// below `root`, entering each folder below the root without following a
// link; with `makeMissing`, folders that are missing are made. An invalid
// descriptor, with errno set, when it cannot; "." and ".." are refused
// (EINVAL).
handles::UniqueFd openFolderBelow(const QString& root, const QString& relative, bool makeMissing);

// Removes a folder this program made, with everything in it; links in it
// are removed, never followed.
void removeTree(int parentFd, const QByteArray& name);

// The CRC-32 of the first `size` bytes of an open file; false when it
// cannot be read that far.
bool crcOfFile(int fd, quint64 size, quint32* crc);
// True when the regular file `name` in the folder has exactly this size
// and CRC-32.
bool fileHasContent(int dirFd, const QByteArray& name, quint64 size, quint32 crc);

// A name for something being written: the prefix, this process's id and a
// random part.
QByteArray stagingName();
// The id of the process that gave `name`, or 0 when it is not a staging name.
pid_t writerOf(const QByteArray& name);
// True when the process that gave a staging name has ended.
bool hasEnded(pid_t writer);

// Splits "a/b/c" into "a/b" and "c".
std::pair<QString, QByteArray> splitLast(const QString& relative);

} // namespace packshelf::library
