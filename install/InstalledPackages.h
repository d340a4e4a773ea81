#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "install/journal/LibraryRecovery.h"
#include "install/records/DestinationTrust.h"
#include "install/records/LibraryLock.h"
#include "install/records/LibraryRecords.h"
#include "install/records/Manifest.h"
#include "install/store/VersionStore.h"
#include "install/transaction/LayerRemoval.h"

namespace packshelf {

class Executor;
class RecordInterest;

// A library opened by a command: locked while this object lives, what
// ended runs left finished first (to change it), its records read. The
// window and the command line list, uninstall, undo and repair through it.
class InstalledPackages {
public:
    // `trust`: the folders outside the library the user confirmed for the
    // command at hand (see DestinationTrust).
    InstalledPackages(const QString& library, Executor& executor,
                      DestinationTrust trust = DestinationTrust());
    InstalledPackages(const InstalledPackages&) = delete;
    InstalledPackages& operator=(const InstalledPackages&) = delete;

    // Locks the library and reads the records; records that cannot be read
    // are named in problems() and their packages unknown. To Read, the lock
    // is shared and nothing is written: changes that killed runs left are
    // only named in problems(). To Change, they are finished first (see
    // recovered()), and the backups of records of the earlier form move
    // into the store; fails when that cannot be done or a record cannot be
    // read at all, with the library left as it is. `waiting` hears when
    // another process holds the library. With `interest`, the records it
    // does not want are read without their files.
    Status open(LibraryLock::Access access,
                const std::function<void(const QString&)>& waiting = nullptr,
                const RecordInterest* interest = nullptr);
    // As open() to Read, for a list of the packages: reads listings()
    // instead of the whole records.
    Status openForListing(const std::function<void(const QString&)>& waiting = nullptr);

    const QString& library() const { return m_library; }
    const std::vector<Manifest>& manifests() const { return m_manifests; }
    const std::vector<PackageListing>& listings() const { return m_listings; }
    const QStringList& problems() const { return m_problems; }
    // What opening to Change finished or undid of interrupted changes.
    const LibraryRecovery::Report& recovered() const { return m_recovered; }
    bool contains(const QString& archive) const;
    // True when the package's record is there but cannot be read.
    bool recordUnreadable(const QString& archive) const;

    // Takes the package installed from `archive` out of the library as one
    // change (see planUninstall); the records are then as the change left
    // them. Fails, saying why, when the change could not be made: the
    // library is then as it was. A package in a folder outside the library
    // that needs the user's word first comes back untouched, its folder in
    // `needsConfirmation`.
    Result<RemovalOutcome> uninstall(const QString& archive);

    LibraryRecords& records() { return m_records; }
    VersionStore& store() { return m_store; }
    const DestinationTrust& trust() const { return m_trust; }
    Executor& executor() { return m_executor; }
    std::vector<Manifest>& manifestsToChange() { return m_manifests; }

private:
    Status settle(const std::function<void(const QString&)>& waiting);

    QString m_library;
    Executor& m_executor;
    DestinationTrust m_trust;
    LibraryLock m_lock;
    LibraryRecords m_records;
    VersionStore m_store;
    std::vector<Manifest> m_manifests;
    std::vector<PackageListing> m_listings;
    QSet<QByteArray> m_notRead;
    QStringList m_problems;
    LibraryRecovery::Report m_recovered;
};

// True when the archive at `nativePath` is the one `manifest` recorded: the
// same name and size, and the same listing digest (read only when the rest
// matches).
bool isInstalledFrom(const Manifest& manifest, const QString& fileName,
                     const QByteArray& nativePath);

} // namespace packshelf
