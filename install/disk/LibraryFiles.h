#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "core/PosixHandles.h"
#include "core/Result.h"
#include "install/disk/FaultSeam.h"

// File operations inside a library, shared by installs, uninstalls and
// their journals: nothing below the folder the user chose is reached
// through a symbolic link, and every operation goes through the fault seam.
namespace packshelf::library {

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

// The entries of an open folder ("." and ".." aside); fails, saying why,
// when it cannot be read.
Result<std::vector<DirEntry>> entriesOf(int dirFd);

// Opens the folder `relative` (names joined with "/", "" for the root)
// below `root`, entering each folder below the root without following a
// link; with `makeMissing`, folders that are missing are made. An invalid
// descriptor, with errno set, when it cannot; "." and ".." are refused
// (EINVAL).
handles::UniqueFd openFolderBelow(const QString& root, const QString& relative, bool makeMissing);
// The folder `name` of an open folder, entered without following a link.
handles::UniqueFd openFolderIn(int parentFd, const QByteArray& name);

// Removes a folder (or a file) this program made, with everything in it;
// links in it are removed, never followed. Fails with the first reason a
// part of it could not be removed; what is gone already does not count.
Status removeTree(int parentFd, const QByteArray& name);

// The whole content of the file `name` of an open folder, not followed
// through a link; fails, saying why, when it cannot be read.
Result<QByteArray> readWholeFile(int dirFd, const QByteArray& name);

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
bool isStagingName(const QString& name);
// True when the process that gave a staging name has ended.
bool hasEnded(pid_t writer);

// Splits "a/b/c" into "a/b" and "c".
std::pair<QString, QByteArray> splitLast(const QString& relative);

} // namespace packshelf::library
