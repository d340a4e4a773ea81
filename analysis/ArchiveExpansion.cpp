#include "analysis/ArchiveExpansion.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"
#include "archive/ZipArchive.h"

namespace packshelf {

namespace {

// Walks expansions. Every archive, nested ones included, is expanded into
// its own temporary folder directly inside the work folder: a folder name is
// never derived from an archive's name (a nested "...zip" would otherwise
// reach outside), and paths stay short however deep the nesting.
class TreeBuilder {
public:
    explicit TreeBuilder(QString workdir)
        : m_workdir(std::move(workdir)) {}

    std::optional<ContentTree> describePath(const QString& path, int depth) {
        if (hasArchiveExtension(path))
            return describeArchive(path, depth);
        return describeFolder(path, depth);
    }

private:
    std::optional<ContentTree> describeArchive(const QString& path, int depth) {
        ZipArchive zip;
        if (!zip.UnzipOpenFile(path))
            return std::nullopt;
        QDir().mkpath(m_workdir);
        QTemporaryDir expansion(QDir(m_workdir).filePath(QStringLiteral(".packshelf-XXXXXX")));
        if (!expansion.isValid()) {
            zip.UnzipCloseFile();
            return std::nullopt;
        }
        const bool expanded = zip.UnzipFileTo(expansion.path(), true);
        zip.UnzipCloseFile();
        if (!expanded)
            return std::nullopt;
        return describeFolder(expansion.path(), depth);
    }

    ContentTree describeFolder(const QString& folder, int depth) {
        ContentTree tree;
        const QStringList names = sortedEntryNames(folder).value_or(QStringList());
        for (const QString& name : names) {
            if (isJunkEntry(name))
                continue;
            tree.push_back(describeEntry(folder, name, depth));
        }
        return tree;
    }

    ContentNode describeEntry(const QString& folder, const QString& name, int depth) {
        const QString entryPath = joinPath(folder, name);
        struct stat st;
        const QByteArray nativePath = QFile::encodeName(entryPath);
        const bool readable = ::lstat(nativePath.constData(), &st) == 0;
        // An entry whose type cannot be read is looked into like a folder.
        if (!readable || S_ISDIR(st.st_mode))
            return ContentNode::makeFolder(name, describePath(entryPath, depth));
        if (hasArchiveExtension(name)) {
            std::optional<ContentTree> content;
            if (depth < MaxNestingDepth)
                content = describeArchive(entryPath, depth + 1);
            return ContentNode::makeFolder(baseName(name), std::move(content));
        }
        return ContentNode::makeFile(name);
    }

    QString m_workdir;
};

} // namespace

std::optional<ContentTree> iterateAtPath(const QString& path, const QString& workdir) {
    return TreeBuilder(workdir).describePath(path, 0);
}

} // namespace packshelf
