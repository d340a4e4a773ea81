#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "install/PackageRemoval.h"
#include "install/records/LibraryRecords.h"
#include "install/records/Manifest.h"

namespace packshelf {

// The packages installed in a library, as the window and the command line
// list and uninstall them.
class InstalledPackages {
public:
    explicit InstalledPackages(const QString& library);

    // Locks the library while this object lives and reads the records;
    // records that cannot be read are named in problems() and their
    // packages unknown. To Read, the lock is shared and nothing is written:
    // changes that killed runs left are only named in problems(). To
    // Change, they are finished first; fails when one cannot be, with
    // problems() saying which and the library left as it is. `waiting`
    // hears when another process holds the library.
    // With `interest`, the records it does not want are read without their
    // files, and uninstall() reads whole those it needs.
    Status open(LibraryRecords::Access access,
                const std::function<void(const QString&)>& waiting = nullptr,
                const RecordInterest* interest = nullptr);
    // As open() to Read, for a list of the packages: reads listings()
    // instead of the whole records.
    Status openForListing(const std::function<void(const QString&)>& waiting = nullptr);
    const std::vector<Manifest>& manifests() const { return m_manifests; }
    const std::vector<PackageListing>& listings() const { return m_listings; }
    const QStringList& problems() const { return m_problems; }
    bool contains(const QString& archive) const;

    // Takes the package installed from `archive` out of the library (see
    // planUninstall) and forgets it. Steps that fail are named in
    // `problems`.
    RemovalOutcome uninstall(const QString& archive, QStringList* problems);

private:
    void keepRecordOf(const Manifest& package, const QStringList& paths, QStringList* problems);

    LibraryRecords m_records;
    std::vector<Manifest> m_manifests;
    std::vector<PackageListing> m_listings;
    QStringList m_problems;
};

// True when the archive at `nativePath` is the one `manifest` recorded: the
// same name and size, and the same listing digest (read only when the rest
// matches).
bool isInstalledFrom(const Manifest& manifest, const QString& fileName,
                     const QByteArray& nativePath);

// True when installing the archive at `nativePath` again would change
// nothing: `previous`, the record of its package, names it (isInstalledFrom)
// with the same copy plan, and every file it recorded is as it recorded it.
// Only the archive's directory is read to tell.
bool isInstalledUnchanged(const Manifest& previous, const QString& fileName,
                          const QByteArray& nativePath, const CopyPlan& plan);

} // namespace packshelf
