#include "install/InstalledPackages.h"

#include <QFile>
#include <algorithm>
#include <sys/stat.h>

#include "archive/ArchiveIndex.h"
#include "archive/IndexCache.h"
#include "archive/ZipInput.h"
#include "core/EngineText.h"
#include "install/LibraryUpgrade.h"
#include "install/PackageRemoval.h"
#include "install/records/RecordInterest.h"
#include "install/transaction/LibraryChange.h"
#include "install/transaction/VersionHistory.h"

namespace packshelf {

InstalledPackages::InstalledPackages(const QString& library, Executor& executor,
                                     DestinationTrust trust)
    : m_library(library)
    , m_executor(executor)
    , m_trust(std::move(trust))
    , m_lock(library)
    , m_records(library, executor)
    , m_store(library) {}

// Finishes what ended runs left, and brings backups of the earlier form
// into the store: nothing may change the library before.
Status InstalledPackages::settle(const std::function<void(const QString&)>& waiting) {
    Q_UNUSED(waiting);
    LibraryRecovery recovery(m_library, m_records, m_store, m_trust);
    Result<LibraryRecovery::Report> recovered = recovery.recover();
    if (!recovered) {
        m_problems << recovered.reason();
        return fail(EngineText::tr("%1 needs attention before it can be changed").arg(m_library));
    }
    m_recovered = std::move(*recovered);
    if (Status upgraded = moveLegacyBackups(m_records, m_store); !upgraded) {
        m_problems << upgraded.reason();
        return fail(EngineText::tr("%1 needs attention before it can be changed").arg(m_library));
    }
    return {};
}

Status InstalledPackages::open(LibraryLock::Access access,
                               const std::function<void(const QString&)>& waiting,
                               const RecordInterest* interest) {
    if (Status locked = m_lock.acquire(access, waiting); !locked)
        return locked;
    if (access == LibraryLock::Access::Change) {
        m_records.maintainIndex();
        if (Status settled = settle(waiting); !settled)
            return settled;
    } else {
        m_problems += LibraryRecovery::pendingChanges(m_library);
    }
    Result<RecordsRead> read = m_records.load(interest);
    if (!read)
        return read.failure();
    m_manifests = std::move(read->manifests);
    m_problems += read->damaged;
    m_problems += read->unreadable;
    m_notRead = read->namesNotRead;
    // A record that could not be read at all may be needed by any change.
    if (access == LibraryLock::Access::Change && !read->unreadable.isEmpty())
        return fail(EngineText::tr("%1 cannot be changed while a record of it cannot be read")
                        .arg(m_library));
    return {};
}

Status InstalledPackages::openForListing(const std::function<void(const QString&)>& waiting) {
    if (Status locked = m_lock.acquire(LibraryLock::Access::Read, waiting); !locked)
        return locked;
    m_problems += LibraryRecovery::pendingChanges(m_library);
    Result<RecordsRead> read = m_records.loadListings();
    if (!read)
        return read.failure();
    m_listings = std::move(read->listings);
    m_problems += read->damaged;
    m_problems += read->unreadable;
    m_notRead = read->namesNotRead;
    return {};
}

bool InstalledPackages::contains(const QString& archive) const {
    return std::any_of(m_manifests.begin(), m_manifests.end(),
                       [&](const Manifest& manifest) { return manifest.archive == archive; });
}

bool InstalledPackages::recordUnreadable(const QString& archive) const {
    return m_notRead.contains(QFile::encodeName(m_records.recordName(archive)));
}

Result<RemovalOutcome> InstalledPackages::uninstall(const QString& archive) {
    const auto found =
        std::find_if(m_manifests.begin(), m_manifests.end(),
                     [&](const Manifest& manifest) { return manifest.archive == archive; });
    if (found == m_manifests.end())
        return fail(EngineText::tr("%1 is not installed in %2").arg(archive, m_library));
    // The records the removal touches are read whole; a record that cannot
    // be stops it, as the library may depend on what it says.
    RecordInterest interest = RecordInterest::ofRemoval(*found);
    interest.addArchive(archive);
    if (Status completed = m_records.complete(m_manifests, interest); !completed)
        return completed.failure();
    const Manifest package =
        *std::find_if(m_manifests.begin(), m_manifests.end(),
                      [&](const Manifest& manifest) { return manifest.archive == archive; });
    RemovalOutcome outcome;
    if (!m_trust.trusts(package)) {
        outcome.needsConfirmation = package.destination;
        return outcome;
    }
    VersionHistory history(m_manifests);
    LibraryChange change(m_library, m_store, m_records);
    if (Status planned = planUninstall(package, history, change, m_records, m_manifests, outcome);
        !planned)
        return planned.failure();
    Result<QStringList> committed = change.commit();
    if (!committed)
        return committed.failure();
    outcome.warnings += *committed;
    history.commitEdits(m_manifests);
    return outcome;
}

bool isInstalledFrom(const Manifest& manifest, const QString& fileName,
                     const QByteArray& nativePath) {
    struct stat st;
    if (manifest.archive != fileName || ::stat(nativePath.constData(), &st) != 0 ||
        quint64(st.st_size) != manifest.archiveSize)
        return false;
    const Result<std::unique_ptr<FileInput>> input = FileInput::openRegular(nativePath);
    if (!input)
        return false;
    const std::shared_ptr<const ArchiveIndex> index = readArchiveIndexOnce(**input);
    return index->ok() && QString::fromLatin1(index->digest().toHex()) == manifest.sha256;
}

} // namespace packshelf
