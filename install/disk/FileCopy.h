#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <sys/types.h>

#include "core/Result.h"

namespace packshelf::library {

// A file's content as a copy or a read found it: its SHA-256, size and
// CRC-32.
struct ContentDigest {
    QByteArray sha256; // raw, 32 bytes
    quint64 size = 0;
    quint32 crc = 0;
};

// The one way the library copies a file: the regular file `from` of the
// open folder `fromDir` becomes a new file `to` of `toDir` (never an
// existing one), every byte read and written again after an interruption,
// with the source's permission bits and modification time, synced before
// it answers. Answers the content's digest; fails, with nothing left at
// `to`, saying why.
Result<ContentDigest> copyFile(int fromDir, const QByteArray& from, int toDir,
                               const QByteArray& to);

// Reads an open file from its start to its end: its digest.
Result<ContentDigest> digestOf(int fd);

} // namespace packshelf::library
