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
        for (const QString& name : sortedEntryNames(folder).value_or(QStringList())) {
            if (!isJunkEntry(name))
                tree.push_back(describeEntry(folder, name, depth));
        }
        return tree;
    }

    ContentNode describeEntry(const QString& folder, const QString& name, int depth) {
        const QString path = joinPath(folder, name);
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            // A folder named like an archive was taken for one.
            if (hasArchiveExtension(name))
                return ContentNode::makeFolder(name, std::nullopt);
            return ContentNode::makeFolder(name, describeFolder(path, depth));
        }
        if (hasArchiveExtension(name)) {
            std::optional<ContentTree> content;
            if (depth < MaxNestingDepth)
                content = describeArchive(path, depth + 1);
            return ContentNode::makeFolder(baseName(name), std::move(content));
        }
        return ContentNode::makeFile(name, quint64(st.st_size));
    }

    QString m_workdir;
};

} // namespace

std::optional<ContentTree> expandAndWalk(const QString& archive, const QString& workdir) {
    return Walker(workdir).describeArchive(archive, 0);
}

} // namespace packshelf::test
