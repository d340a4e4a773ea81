#include "install/InstallExpansion.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"
#include "archive/ZipArchive.h"

namespace packshelf {

namespace {

enum class EntryKind { Missing, Folder, File, Other, Unreadable };

EntryKind kindOf(const QString& path) {
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT ? EntryKind::Missing : EntryKind::Unreadable;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    if (S_ISREG(st.st_mode))
        return EntryKind::File;
    return EntryKind::Other;
}

bool isUsableBaseName(const QString& base) {
    return !base.isEmpty() && base != QLatin1String(".") && base != QLatin1String("..");
}

bool isNestedArchive(const QString& folder, const QString& name) {
    return !isJunkEntry(name) && hasArchiveExtension(name) &&
           kindOf(joinPath(folder, name)) == EntryKind::File;
}

// Expands `folder`/`name` into `folder`/(its base name). What a failed
// expansion wrote into a folder it created is removed again.
std::optional<ItemError> expandNestedArchive(const QString& folder, const QString& name) {
    const QString base = baseName(name);
    if (!isUsableBaseName(base))
        return ItemError::ErrorContent;
    ZipArchive zip;
    if (!zip.UnzipOpenFile(joinPath(folder, name)))
        return ItemError::ErrorOpen;
    const QString target = joinPath(folder, base);
    const bool existed = kindOf(target) != EntryKind::Missing;
    const bool expanded = zip.UnzipFileTo(target, true);
    zip.UnzipCloseFile();
    if (expanded)
        return std::nullopt;
    if (!existed)
        QDir(target).removeRecursively();
    return ItemError::ErrorContent;
}

// Expands the first archive of `folder`, in listing order, whose base name
// is `base`. Answers whether one was expanded.
bool expandArchiveNamed(const QString& folder, const QString& base) {
    const QStringList names = sortedEntryNames(folder).value_or(QStringList());
    for (const QString& name : names) {
        if (baseName(name) == base && isNestedArchive(folder, name))
            return !expandNestedArchive(folder, name).has_value();
    }
    return false;
}

} // namespace

InstallExpansion::Outcome InstallExpansion::expand(const QString& archivePath,
                                                   const QString& workDir) {
    m_folder.reset();
    ZipArchive zip;
    if (!zip.UnzipOpenFile(archivePath))
        return Outcome::OpenFailed;
    QDir().mkpath(workDir);
    m_folder = std::make_unique<QTemporaryDir>(
        QDir(workDir).filePath(QStringLiteral(".packshelf-XXXXXX")));
    if (!m_folder->isValid()) {
        zip.UnzipCloseFile();
        m_folder.reset();
        return Outcome::ExpandFailed;
    }
    const bool expanded = zip.UnzipFileTo(m_folder->path(), true);
    zip.UnzipCloseFile();
    return expanded ? Outcome::Expanded : Outcome::ExpandFailed;
}

QString InstallExpansion::root() const {
    return m_folder ? m_folder->path() : QString();
}

std::vector<InstallExpansion::NestedFailure> InstallExpansion::expandTopLevelArchives() {
    std::vector<NestedFailure> failures;
    const QString top = root();
    if (top.isEmpty())
        return failures;
    const QStringList names = sortedEntryNames(top).value_or(QStringList());
    for (const QString& name : names) {
        if (!isNestedArchive(top, name))
            continue;
        if (const std::optional<ItemError> failure = expandNestedArchive(top, name))
            failures.push_back({name, *failure});
    }
    return failures;
}

std::optional<QString> InstallExpansion::locate(const QString& relativePath, bool folderOnly,
                                                QString* problem) {
    QString current = root();
    if (current.isEmpty()) {
        *problem = QStringLiteral("the archive is not expanded");
        return std::nullopt;
    }
    const QStringList parts = relativePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            *problem = QStringLiteral("the path leaves the archive");
            return std::nullopt;
        }
        const QString next = joinPath(current, part);
        switch (kindOf(next)) {
        case EntryKind::Folder:
            break;
        case EntryKind::File:
            if (i == parts.size() - 1 && !folderOnly)
                return next;
            *problem = QStringLiteral("not a folder");
            return std::nullopt;
        case EntryKind::Missing:
            if (!expandArchiveNamed(current, part) || kindOf(next) != EntryKind::Folder) {
                *problem = QStringLiteral("not in the archive");
                return std::nullopt;
            }
            break;
        case EntryKind::Other:
        case EntryKind::Unreadable:
            *problem = QStringLiteral("not a file or folder");
            return std::nullopt;
        }
        current = next;
    }
    return current;
}

bool InstallExpansion::remove() {
    if (!m_folder)
        return true;
    const bool removed = m_folder->remove();
    m_folder.reset();
    return removed;
}

} // namespace packshelf
