#pragma once

#include <QString>
#include <optional>

#include "archive/ZipHandles.h"

namespace packshelf {

// What a look over all of an archive's entries found, before any of them is
// written.
struct ArchiveScreening {
    bool ok = false;
    QString problem;           // why the archive is refused, when it is
    quint64 declaredBytes = 0; // sum of the entries' declared sizes
};

// Walks the central directory of an open archive and refuses it when an
// entry uses a compression method other than stored or deflate, when an
// entry cannot be opened, or when two entries' data overlap (entries sharing
// compressed data are the building block of zip bombs). Leaves the archive
// positioned on no particular entry.
ArchiveScreening screenEntries(unzFile archive);

// Bytes available to an unprivileged writer on the file system that holds
// `path` (or its nearest existing parent); nothing when it cannot be told.
std::optional<quint64> freeBytesAt(const QString& path);

// Room kept free on a file system when expanding into it: 64 MiB, or 1% of
// the file system when that is more.
quint64 freeSpaceMargin(const QString& path);

} // namespace packshelf
