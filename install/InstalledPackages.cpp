#include "install/InstalledPackages.h"

#include <algorithm>
#include <sys/stat.h>

#include "archive/ArchiveIndex.h"
#include "archive/IndexCache.h"
#include "archive/ZipInput.h"
#include "install/PackageRemoval.h"
#include "install/journal/LibraryJournal.h"
#include "install/records/RecordInterest.h"

namespace packshelf {

InstalledPackages::InstalledPackages(const QString& library)
    : m_records(library) {}

// Locks the library; to Read, notes the changes killed runs left, to
// Change, finishes them first.
Status InstalledPackages::open(LibraryRecords::Access access,
                               const std::function<void(const QString&)>& waiting,
                               const RecordInterest* interest) {
    if (Status settled = m_records.lockAndSettle(access, &m_problems, waiting); !settled)
        return settled;
    m_manifests = m_records.load(&m_problems, interest);
    return {};
}

Status InstalledPackages::openForListing(const std::function<void(const QString&)>& waiting) {
    if (Status settled =
            m_records.lockAndSettle(LibraryRecords::Access::Read, &m_problems, waiting);
        !settled)
        return settled;
    m_listings = m_records.loadListings(&m_problems);
    return {};
}

bool InstalledPackages::contains(const QString& archive) const {
    return std::any_of(m_manifests.begin(), m_manifests.end(),
                       [&](const Manifest& manifest) { return manifest.archive == archive; });
}

RemovalOutcome InstalledPackages::uninstall(const QString& archive, QStringList* problems) {
    const auto found =
        std::find_if(m_manifests.begin(), m_manifests.end(),
                     [&](const Manifest& manifest) { return manifest.archive == archive; });
    if (found == m_manifests.end())
        return {};
    // The package is taken out of the list; the others stay where they are,
    // and the plan may hand them folders the package made.
    const auto position = found - m_manifests.begin();
    const Manifest package = std::move(*found);
    m_manifests.erase(found);
    if (!package.whole) {
        m_manifests.insert(m_manifests.begin() + position, package);
        problems->append(
            QStringLiteral("%1: the record was not read whole").arg(m_records.recordPath(archive)));
        return {};
    }
    // The records the removal touches are read whole; a record that cannot
    // be stops it, as the library may depend on what it says.
    const qsizetype known = problems->size();
    m_records.complete(m_manifests, RecordInterest::ofRemoval(package), problems);
    if (problems->size() != known) {
        m_manifests.insert(m_manifests.begin() + position, package);
        return {};
    }
    std::vector<QStringList> foldersBefore;
    foldersBefore.reserve(m_manifests.size());
    for (const Manifest& other : m_manifests)
        foldersBefore.push_back(other.folders);
    LibraryJournal journal;
    RemovalOutcome outcome = planUninstall(package, m_manifests, m_records, journal);
    if (!journal.commit(m_records, problems)) {
        // Undone: the library is as it was, and `problems` says why.
        for (std::size_t i = 0; i < m_manifests.size(); ++i)
            m_manifests[i].folders = foldersBefore[i];
        m_manifests.insert(m_manifests.begin() + position, package);
        return {};
    }
    outcome.countResults(journal, package.root);
    if (!outcome.notRemoved.isEmpty())
        keepRecordOf(package, outcome.notRemoved, problems);
    return outcome;
}

// The package keeps a record of the files it wrote that could not be
// taken out, so that they stay known and a later uninstall can try again.
void InstalledPackages::keepRecordOf(const Manifest& package, const QStringList& paths,
                                     QStringList* problems) {
    Manifest kept = package;
    kept.files.clear();
    for (const Manifest::File& file : package.files) {
        if (paths.contains(file.path))
            kept.files.push_back(file);
    }
    LibraryJournal journal;
    journal.writeRecord(m_records, kept);
    if (!journal.commit(m_records, problems))
        return;
    m_manifests.push_back(std::move(kept));
    std::sort(m_manifests.begin(), m_manifests.end(),
              [](const Manifest& a, const Manifest& b) { return a.sequence < b.sequence; });
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

bool isInstalledUnchanged(const Manifest& previous, const QString& fileName,
                          const QByteArray& nativePath, const CopyPlan& plan) {
    return previous.plan == plan && isInstalledFrom(previous, fileName, nativePath) &&
           isAsRecorded(previous);
}

} // namespace packshelf
