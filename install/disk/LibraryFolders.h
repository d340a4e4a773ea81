#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <map>

#include "core/PosixHandles.h"
#include "install/disk/FolderListings.h"

namespace packshelf {

// The existing folders below an install's root, each reached one name at a
// time from the root's descriptor without following a link: their
// descriptors (a bounded cache), their names for matching without regard to
// letter case, and whether they take new files. Paths are relative to the
// root, "/" between names; the root itself is the empty path.
class LibraryFolders {
public:
    // Opens the root; false, with errno set, when it cannot be.
    bool open(const QString& root);
    bool isOpen() const { return m_root.valid(); }
    // Takes the folders' names from, and keeps them in, what the run's
    // transactions share, instead of reading them again for each.
    void share(FolderListings* listings) { m_shared = listings; }
    int root() const { return m_root.get(); }

    // The folder's descriptor, or -1 when it is not a folder there.
    int directory(const QByteArray& path);
    // The folder's names by their case-folded form ("/" after a folder's);
    // empty when it cannot be read.
    const QHash<QString, QList<QByteArray>>& listing(const QByteArray& path);
    // 0 when the folder takes new files, else why not (an errno value).
    int writeError(const QByteArray& path);
    // Removes the staged leftovers of ended installs in the folder, once:
    // every staged name when `allStagedAreLeftovers` (the library is
    // locked), else those of processes that have ended. How many went.
    int sweep(const QByteArray& path, bool allStagedAreLeftovers);

private:
    handles::UniqueFd m_root;
    std::map<QByteArray, handles::UniqueFd> m_directories;
    FolderListings::Names readListing(const QByteArray& path);

    // Read once per transaction, or taken from the run's.
    QHash<QByteArray, FolderListings::Names> m_listings;
    QHash<QByteArray, const FolderListings::Names*> m_sharedSeen;
    FolderListings* m_shared = nullptr;
    QSet<QByteArray> m_writable;
    QSet<QByteArray> m_swept;
};

} // namespace packshelf
