#include "tests/support/ExpandAndWalk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

#include "analysis/ArchiveDescription.h"
#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"
#include "archive/ZipArchive.h"

namespace packshelf::test {

namespace {

class Walker {
public:
    explicit Walker(QString workdir)
        : m_workdir(std::move(workdir)) {}

    std::optional<ContentTree> describeArchive(const QString& path, int depth) {
        ZipArchive zip;
        if (!zip.UnzipOpenFile(path))
            return std::nullopt;
        QDir().mkpath(m_workdir);
        QTemporaryDir expansion(QDir(m_workdir).filePath(QStringLiteral(".packshelf-XXXXXX")));
        const bool expanded = expansion.isValid() && zip.UnzipFileTo(expansion.path(), true);
        zip.UnzipCloseFile();
        if (!expanded)
            return std::nullopt;
        return describeFolder(expansion.path(), depth);
    }

private:
    ContentTree describeFolder(const QString& folder, int depth) {
        ContentTree tree;
        const Result<QStringList> names = sortedEntryNames(folder);
        for (const QString& name : names ? *names : QStringList()) {
            if (!isJunkEntry(name))
                tree.push_back(describeEntry(folder, name, depth));
        }
        return tree;
    }

    ContentNode describeEntry(const QString& folder, const QString& name, int depth) {
        const QString path = joinPath(folder, name);
        struct stat st {};
        const bool isFolder =
            ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
        if (!isFolder && !hasArchiveExtension(name))
            return ContentNode::makeFile(name, quint64(st.st_size));
        // A folder named like an archive was taken for one, and not read.
        std::optional<ContentTree> content;
        if (isFolder && !hasArchiveExtension(name))
            content = describeFolder(path, depth);
        else if (!isFolder && depth < MaxNestingDepth)
            content = describeArchive(path, depth + 1);
        return ContentNode::makeFolder(isFolder ? name : baseName(name), std::move(content));
    }

    QString m_workdir;
};

} // namespace

std::optional<ContentTree> expandAndWalk(const QString& archive, const QString& workdir) {
    return Walker(workdir).describeArchive(archive, 0);
}

} // namespace packshelf::test
