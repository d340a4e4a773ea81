#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "core/Result.h"
#include "install/store/Version.h"

namespace packshelf {

// The library's store of the versions it set aside, DEST/.packshelf/store/:
// whatever stood at a path before a package wrote there (the user's own
// file, or an earlier package's), each version once however many packages
// it passes through, in a file named by its key below a folder named by
// the key's first two characters. A version's file is never moved,
// renamed or written to after it is made; it goes only when nothing names
// it any more. Used only under the library's exclusive lock.
class VersionStore {
public:
    static constexpr char Folder[] = "store";

    explicit VersionStore(QString library);

    struct SetAside {
        Version version;
        bool added = false; // the store did not hold it before
    };
    // Sets aside the regular file `name` of the open folder `dirFd`: its
    // content is read for its digest and, unless the store holds that
    // version already, the file is linked into the store, or copied where
    // links are refused or the file has other names (whose writes would
    // reach the store's copy).
    Result<SetAside> setAside(int dirFd, const QByteArray& name);
    // Copies the version into the new file `name` of the open folder,
    // checking its digest as it goes: fails when the store does not hold it
    // whole, leaving nothing at `name`.
    Status copyOut(const Version& version, int dirFd, const QByteArray& name) const;
    // True when the store holds a file of the version's name and size;
    // fails when the store cannot be looked into.
    Result<bool> holds(const Version& version) const;
    // Removes the version's file; one that is gone already counts as removed.
    Status drop(const Version& version);
    // Every version the store holds; what a set aside cut short left is
    // removed on the way.
    Result<std::vector<Version>> versions();

    // The version's file, relative to the library.
    static QString relativePathOf(const Version& version);
    QString pathOf(const Version& version) const;

private:
    QString m_library;
};

} // namespace packshelf
