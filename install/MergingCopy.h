#pragma once

#include <QString>
#include <set>
#include <sys/types.h>
#include <utility>

namespace packshelf {

// The answer of a copy: yes, or no with the path that failed and why.
struct CopyResult {
    bool ok = true;
    QString failedPath;
    QString reason;

    static CopyResult success() { return {}; }
    static CopyResult failure(QString path, QString reason) {
        return {false, std::move(path), std::move(reason)};
    }
};

// Every file is first written under a name that begins with this prefix,
// followed by the writing process's id and a random part, in the folder of
// its final name, and renamed over that name only once it is complete.
inline constexpr char PartialFilePrefix[] = ".packshelf-partial-";

// The recursive merging copy into a content library, natively: no shell, no
// external command, every path taken literally.
//
// A folder is merged into the folder of the same name: missing folders are
// created, a file of the same relative path is replaced, everything else
// already there stays. A file replaces its namesake through a complete
// temporary file and a rename in the same folder, so that an interrupted
// copy leaves every file at its final name either as it was or whole and
// new; a replaced file is flushed to disk before the rename.
//
// Symbolic links are never followed below the root the caller names: a link
// in the source is skipped, a link in the destination where a folder or a
// file is to be written fails the copy, since writing through it could write
// outside the destination. A file where a folder is to go, or a folder where
// a file is to go, fails the copy too; nothing of the user's is deleted.
//
// The first time a file is written into a folder, the temporary files that
// an interrupted copy left there are removed (those of processes that no
// longer run). One object serves one install and one thread.
class MergingCopy {
public:
    // Copies `source`, a file or a folder, to `root`/`relativeTarget`. The
    // root is created when missing; `relativeTarget` may hold several
    // components but none that climbs (".."). An empty target stands for the
    // root itself and takes a folder only.
    CopyResult copy(const QString& source, const QString& root, const QString& relativeTarget);

    // How many left-over temporary files this object has removed.
    int partialFilesRemoved() const { return m_partialFilesRemoved; }

private:
    struct Folder;

    static CopyResult enterFolder(const Folder& parent, const QString& name, Folder* folder);
    CopyResult mergeFolder(const QString& source, const Folder& destination);
    CopyResult copyFile(const QString& source, mode_t mode, const struct timespec& modified,
                        const Folder& folder, const QString& name);
    void removeLeftOverPartialFiles(const Folder& folder);

    std::set<std::pair<dev_t, ino_t>> m_swept;
    int m_partialFilesRemoved = 0;
};

// True for a name this program gives a file while it is being written.
bool isPartialFileName(const QString& name);

} // namespace packshelf
