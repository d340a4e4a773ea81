#include "install/store/VersionStore.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/EngineText.h"
#include "install/disk/FileCopy.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

QString subfolderOf(const Version& version) {
    return QString::fromLatin1(version.sha256.toHex().left(2));
}

QString storeFolder() {
    return QLatin1String(LibraryRecordsFolder) + QLatin1Char('/') +
           QLatin1String(VersionStore::Folder);
}

bool sameDigest(const ContentDigest& digest, const Version& version) {
    return digest.sha256 == version.sha256 && digest.size == version.size;
}

} // namespace

VersionStore::VersionStore(QString library)
    : m_library(std::move(library)) {}

QString VersionStore::relativePathOf(const Version& version) {
    return storeFolder() + QLatin1Char('/') + subfolderOf(version) + QLatin1Char('/') +
           version.key();
}

QString VersionStore::pathOf(const Version& version) const {
    return m_library + QLatin1Char('/') + relativePathOf(version);
}

Result<VersionStore::SetAside> VersionStore::setAside(int dirFd, const QByteArray& name) {
    const UniqueFd file(openIn(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!file.valid() || ::fstat(file.get(), &st) != 0)
        return fail(systemReason(errno));
    if (!S_ISREG(st.st_mode))
        return fail(EngineText::tr("not a regular file"));
    const Result<ContentDigest> digest = digestOf(file.get());
    if (!digest)
        return digest.failure();
    SetAside result{{digest->sha256, digest->size}, false};
    const Result<bool> held = holds(result.version);
    if (!held)
        return held.failure();
    if (*held)
        return result;
    const QString folderPath = storeFolder() + QLatin1Char('/') + subfolderOf(result.version);
    const UniqueFd folder = openFolderBelow(m_library, folderPath, true);
    if (!folder.valid())
        return fail(QStringLiteral("%1/%2: %3").arg(m_library, folderPath, systemReason(errno)));
    const QByteArray key = QFile::encodeName(result.version.key());
    const QByteArray temporary = stagingName();
    // A file with other names may be written through them: the store keeps
    // a copy of its own.
    bool placed = st.st_nlink == 1 &&
                  linkIn(dirFd, name.constData(), folder.get(), temporary.constData()) == 0;
    if (!placed) {
        const int linkError = errno;
        if (st.st_nlink == 1 && linkError != EXDEV && linkError != EPERM && linkError != EMLINK &&
            linkError != ENOTSUP && linkError != EOPNOTSUPP)
            return fail(systemReason(linkError));
        const Result<ContentDigest> copied = copyFile(dirFd, name, folder.get(), temporary);
        if (!copied)
            return copied.failure();
        if (!sameDigest(*copied, result.version)) {
            ::unlinkat(folder.get(), temporary.constData(), 0);
            return fail(EngineText::tr("changed while it was read"));
        }
    }
    // The store did not hold the version: a file of its name, if any, is
    // not a whole copy of it and gives way.
    if (renameIn(folder.get(), temporary.constData(), folder.get(), key.constData()) != 0) {
        const int error = errno;
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return fail(systemReason(error));
    }
    result.added = true;
    return result;
}

Status VersionStore::copyOut(const Version& version, int dirFd, const QByteArray& name) const {
    const auto [folderPath, key] = splitLast(relativePathOf(version));
    const UniqueFd folder = openFolderBelow(m_library, folderPath, false);
    if (!folder.valid())
        return fail(QStringLiteral("%1: %2").arg(pathOf(version), systemReason(errno)));
    const Result<ContentDigest> copied = copyFile(folder.get(), key, dirFd, name);
    if (!copied)
        return fail(QStringLiteral("%1: %2").arg(pathOf(version), copied.reason()));
    if (!sameDigest(*copied, version)) {
        ::unlinkat(dirFd, name.constData(), 0);
        return fail(EngineText::tr("%1: its content is not the version its name gives")
                        .arg(pathOf(version)));
    }
    return {};
}

Result<bool> VersionStore::holds(const Version& version) const {
    const auto [folderPath, key] = splitLast(relativePathOf(version));
    const UniqueFd folder = openFolderBelow(m_library, folderPath, false);
    struct stat st;
    if (!folder.valid() ||
        ::fstatat(folder.get(), key.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return false;
        return fail(QStringLiteral("%1: %2").arg(pathOf(version), systemReason(errno)));
    }
    return S_ISREG(st.st_mode) && quint64(st.st_size) == version.size;
}

Status VersionStore::drop(const Version& version) {
    const auto [folderPath, key] = splitLast(relativePathOf(version));
    const UniqueFd folder = openFolderBelow(m_library, folderPath, false);
    if (!folder.valid())
        return errno == ENOENT
                   ? Status()
                   : fail(QStringLiteral("%1: %2").arg(pathOf(version), systemReason(errno)));
    if (unlinkIn(folder.get(), key.constData()) != 0 && errno != ENOENT)
        return fail(QStringLiteral("%1: %2").arg(pathOf(version), systemReason(errno)));
    // Emptied folders go with their last version; one still holding others stays.
    const UniqueFd store = openFolderBelow(m_library, storeFolder(), false);
    if (store.valid() &&
        ::unlinkat(store.get(), QFile::encodeName(subfolderOf(version)).constData(),
                   AT_REMOVEDIR) == 0) {
        const UniqueFd records =
            openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
        if (records.valid())
            ::unlinkat(records.get(), Folder, AT_REMOVEDIR);
    }
    return {};
}

Result<std::vector<Version>> VersionStore::versions() {
    std::vector<Version> found;
    const UniqueFd store = openFolderBelow(m_library, storeFolder(), false);
    if (!store.valid())
        return errno == ENOENT ? Result<std::vector<Version>>(found)
                               : fail(QStringLiteral("%1/%2: %3")
                                          .arg(m_library, storeFolder(), systemReason(errno)));
    const Result<std::vector<DirEntry>> subfolders = entriesOf(store.get());
    if (!subfolders)
        return fail(QStringLiteral("%1/%2: %3").arg(m_library, storeFolder(), subfolders.reason()));
    for (const DirEntry& subfolder : *subfolders) {
        const UniqueFd folder = openFolderIn(store.get(), subfolder.name);
        const Result<std::vector<DirEntry>> entries =
            folder.valid() ? entriesOf(folder.get()) : fail(systemReason(errno));
        if (!entries)
            return fail(QStringLiteral("%1/%2/%3: %4")
                            .arg(m_library, storeFolder(), QFile::decodeName(subfolder.name),
                                 entries.reason()));
        for (const DirEntry& entry : *entries) {
            if (writerOf(entry.name) != 0) {
                ::unlinkat(folder.get(), entry.name.constData(), 0);
                continue;
            }
            if (const std::optional<Version> version =
                    Version::fromKey(QString::fromLatin1(entry.name)))
                found.push_back(*version);
        }
    }
    return found;
}

} // namespace packshelf
