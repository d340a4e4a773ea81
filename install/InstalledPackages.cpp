#include "install/InstalledPackages.h"

#include <sys/stat.h>

#include "archive/ArchiveIndex.h"
#include "archive/ZipInput.h"
#include "install/LibraryJournal.h"

namespace packshelf {

InstalledPackages::InstalledPackages(const QString& library)
    : m_records(library) {}

bool InstalledPackages::open(QString* problem) {
    if (!m_records.lock(problem))
        return false;
    m_records.recover();
    m_manifests = m_records.load(&m_problems);
    return true;
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
    const Manifest package = std::move(*found);
    m_manifests.erase(found);
    LibraryJournal journal;
    const RemovalOutcome outcome = planUninstall(package, m_manifests, m_records, journal);
    journal.commit(m_records, problems);
    return outcome;
}

bool isInstalledFrom(const Manifest& manifest, const QString& fileName,
                     const QByteArray& nativePath) {
    struct stat st;
    if (manifest.archive != fileName || ::stat(nativePath.constData(), &st) != 0 ||
        quint64(st.st_size) != manifest.archiveSize)
        return false;
    QString problem;
    const std::unique_ptr<FileInput> input = FileInput::openRegular(nativePath, &problem);
    if (!input)
        return false;
    const ArchiveIndex index = readArchiveIndex(*input);
    return index.ok() && QString::fromLatin1(index.digest().toHex()) == manifest.sha256;
}

} // namespace packshelf
