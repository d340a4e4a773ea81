#pragma once

#include <QString>
#include <optional>

namespace packshelf {

// Bytes available to an unprivileged writer on the file system that holds
// `path` (or its nearest existing parent); nothing when it cannot be told.
std::optional<quint64> freeBytesAt(const QString& path);

// Room kept free on a file system when writing into it, so that nothing
// fills it to the last byte: 1% of the file system, at most 16 MiB.
quint64 freeSpaceMargin(const QString& path);

// True when `bytes` fit on the file system of `path` with the margin to
// spare (or when its free space cannot be told).
bool fitsOnFileSystem(const QString& path, quint64 bytes);

} // namespace packshelf
