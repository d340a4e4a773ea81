#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <optional>

#include "analysis/ContentTree.h"
#include "core/Result.h"
#include "core/Warnings.h"

namespace packshelf {

// Archives nested deeper than this are described as folders without content.
inline constexpr int MaxNestingDepth = 16;
// Entries deeper than this many folder levels, counted across nested
// archives, are not described: every walk over a tree stays bounded.
inline constexpr int MaxTreeDepth = 1024;

// What reading an archive's index told about it.
struct ArchiveDescription {
    // "7z" or "RAR" for an archive read through libarchive; empty for zip.
    // Known once the file is open, whether or not its index can be read.
    QString format;
    // The content tree, or why the archive cannot be read at all.
    Result<ContentTree> tree = fail(QString());
    // The archive is encrypted and no password given opens it: `tree`
    // fails with which entry and encryption, and whether one was given.
    bool needsPassword = false;
    // What the tree does not show faithfully: unsafe entries passed over,
    // names this system cannot hold, a file and a folder of one name,
    // nested archives that could not be read, entries beyond the limits.
    Warnings warnings;
};

// Describes the archive at `nativePath` from its central directory, and the
// archives nested in it (any entry that is a file whose name has the
// extension zip, in any case) from theirs, read in memory. Nothing is
// written except an unlinked temporary file inside `workdir` for a nested
// archive too large for memory. Folders come before their files in the
// listing order; "__MACOSX" and ".DS_Store" entries are left out at every
// level. Encrypted archives are opened with the passwords of the process's
// ArchiveKeyring. `cancel`, when set, ends the description early.
ArchiveDescription describeArchive(const QByteArray& nativePath, const QString& workdir,
                                   const std::atomic<bool>* cancel = nullptr);

// The content tree of the archive at `path`, or nothing when it cannot be
// read.
std::optional<ContentTree> iterateAtPath(const QString& path, const QString& workdir);

} // namespace packshelf
