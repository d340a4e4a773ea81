#include "analysis/ArchiveDescription.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <memory>
#include <vector>

#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"
#include "archive/ArchiveFormat.h"
#include "archive/ArchiveIndex.h"
#include "archive/ArchiveKeyring.h"
#include "archive/IndexCache.h"
#include "archive/NestedArchive.h"
#include "archive/ZipInput.h"
#include "core/EngineText.h"
#include "core/NameLimits.h"

namespace packshelf {

namespace {

constexpr int ExamplesShown = 3;
constexpr int ExampleLength = 100;

// A problem that may occur many times, told once with a few examples.
class Finding {
public:
    // `one` and `many` name the problem for one case and for %1 cases.
    Finding(QString one, QString many)
        : m_one(std::move(one))
        , m_many(std::move(many)) {}
    void add(const QString& example) {
        if (m_examples.size() < ExamplesShown)
            m_examples.append(example.size() <= ExampleLength
                                  ? example
                                  : example.left(ExampleLength / 2) + QStringLiteral("…") +
                                        example.right(ExampleLength / 2));
        ++m_count;
    }
    void addTo(Warnings& warnings) const {
        if (m_count == 0)
            return;
        QString line = (m_count == 1 ? m_one : m_many.arg(m_count)) + QStringLiteral(": ") +
                       m_examples.join(QStringLiteral(", "));
        if (m_count > m_examples.size())
            line += QStringLiteral(", …");
        warnings.add(line);
    }

private:
    QString m_one;
    QString m_many;
    QStringList m_examples;
    int m_count = 0;
};

// A node under construction: entries arrive in directory order, folders
// are made as paths need them, duplicates collapse into one node.
struct Draft {
    QString name;     // shown name ("DIRNAME" or file name)
    QString sortName; // the name in the archive, which orders the listing
    bool folder = false;
    quint64 size = 0;
    const IndexEntry* nested = nullptr; // a nested archive, read when converted
    std::vector<std::unique_ptr<Draft>> children;
    QHash<QString, Draft*> folders;
    QHash<QString, Draft*> files; // files and nested archives, by their name in the archive

    Draft* folderNamed(const QString& part) {
        if (Draft* found = folders.value(part))
            return found;
        auto child = std::make_unique<Draft>();
        child->name = part;
        child->sortName = part;
        child->folder = true;
        Draft* made = child.get();
        children.push_back(std::move(child));
        folders.insert(part, made);
        return made;
    }

    // The last entry of a name wins, as it would when written to disk.
    Draft* fileNamed(const QString& part) {
        if (Draft* found = files.value(part))
            return found;
        auto child = std::make_unique<Draft>();
        child->sortName = part;
        Draft* made = child.get();
        children.push_back(std::move(child));
        files.insert(part, made);
        return made;
    }
};

// The format the file name at the end of `nativePath` gives.
std::optional<ArchiveFormat> formatOfPath(const QByteArray& nativePath) {
    return archiveFormatOfName(QFile::decodeName(nativePath.mid(nativePath.lastIndexOf('/') + 1)));
}

class Describer {
public:
    Describer(QString workdir, const std::atomic<bool>* cancel)
        : m_workdir(std::move(workdir))
        , m_cancel(cancel) {}

    ArchiveDescription describe(const QByteArray& nativePath) {
        ArchiveDescription description;
        const Result<std::unique_ptr<FileInput>> opened = FileInput::openRegular(nativePath);
        if (!opened) {
            description.tree = fail(EngineText::tr("cannot be opened: %1").arg(opened.reason()));
            return description;
        }
        const std::unique_ptr<FileInput>& input = *opened;
        const Result<std::shared_ptr<const ArchiveIndex>> held =
            cachedIndex(*input, formatOfPath(nativePath));
        if (const ArchiveFormat format = sniffArchiveFormat(*input); format != ArchiveFormat::Zip)
            description.format = formatName(format);
        if (!held) {
            description.tree = held.failure();
            return description;
        }
        std::optional<ArchiveKeyring::FileKey> key;
        if (const std::optional<FileIdentity>& identity = input->identity())
            key = ArchiveKeyring::FileKey(identity->device, identity->inode);
        const Result<PasswordSearch> search = ArchiveKeyring::shared().search(*input, **held, key);
        if (!search) {
            description.tree = search.failure();
            return description;
        }
        if (search->outcome == PasswordSearch::Outcome::Missing ||
            search->outcome == PasswordSearch::Outcome::Wrong) {
            description.tree = fail(search->reason);
            description.needsPassword = true;
            return description;
        }
        ContentTree tree = describeIndex(*input, **held, QString(), 0, 0, search->password);
        if (cancelled()) {
            description.tree = fail(EngineText::tr("cancelled"));
            return description;
        }
        description.tree = std::move(tree);
        for (const Finding* finding :
             {&m_refused, &m_links, &m_unwritable, &m_clashes, &m_tooDeep, &m_nestedFailures})
            finding->addTo(description.warnings);
        return description;
    }

private:
    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

    // The tree of one archive whose top lies `depth` folder levels down and
    // which is nested `nesting` archives deep; `prefix` is its place in the
    // top-level archive, for the warnings.
    ContentTree describeIndex(const ZipInput& input, const ArchiveIndex& index,
                              const QString& prefix, int depth, int nesting,
                              const SharedPassword& password) {
        for (const QString& name : index.refused)
            m_refused.add(joinPath(prefix, name));
        Draft root;
        root.folder = true;
        m_lastRoot = nullptr; // another archive's root may have stood at this address
        for (const IndexEntry& entry : index.entries)
            addEntry(root, entry, prefix, depth);
        return convert(root, input, prefix, depth, nesting, password);
    }

    void addEntry(Draft& root, const IndexEntry& entry, const QString& prefix, int depth) {
        const QString& path = entry.path;
        if (path.contains(QLatin1String("__MACOSX")) || path.contains(QLatin1String(".DS_Store"))) {
            QStringList parts = path.split(QLatin1Char('/'));
            const auto junk = std::find_if(parts.begin(), parts.end(), isJunkEntry);
            if (junk != parts.end()) {
                // Not described, but the folders on its way exist all the same.
                parts.erase(junk, parts.end());
                if (depth + parts.size() <= MaxTreeDepth) {
                    Draft* folder = &root;
                    for (const QString& part : parts)
                        folder = folder->folderNamed(part);
                }
                return;
            }
        }
        if (entry.isLink()) {
            m_links.add(joinPath(prefix, path));
            return;
        }
        if (depth + path.count(QLatin1Char('/')) + 1 > MaxTreeDepth) {
            m_tooDeep.add(joinPath(prefix, path));
            return;
        }
        if (!checkNameLengths(joinPath(prefix, path)))
            m_unwritable.add(joinPath(prefix, path));
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        Draft* folder = folderOf(root, slash < 0 ? QStringView() : QStringView(path).left(slash));
        const QString last = slash < 0 ? path : path.mid(slash + 1);
        if (entry.isFolder()) {
            folder->folderNamed(last);
            return;
        }
        Draft* file = folder->fileNamed(last);
        const QString nestedFolder = isNestedArchiveName(last) ? nestedFolderName(last) : QString();
        if (!nestedFolder.isEmpty()) {
            file->folder = true;
            file->name = nestedFolder;
            file->nested = &entry;
        } else {
            file->name = last;
        }
        file->size = entry.uncompressedSize;
    }

    // The folder at `path` below `root`, made as needed. Entries of one
    // folder mostly follow each other, so the last one found is kept.
    Draft* folderOf(Draft& root, QStringView path) {
        if (m_lastRoot == &root && path == m_lastPath)
            return m_lastFolder;
        Draft* folder = &root;
        for (QStringView part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
            folder = folder->folderNamed(part.toString());
        m_lastRoot = &root;
        m_lastPath = path.toString();
        m_lastFolder = folder;
        return folder;
    }

    ContentTree convert(Draft& draft, const ZipInput& input, const QString& path, int depth,
                        int nesting, const SharedPassword& password) {
        // Folders first, so that of a folder and a file of one name the
        // folder comes first.
        std::vector<Draft*> drafts;
        drafts.reserve(draft.children.size());
        for (bool folders : {true, false}) {
            for (const auto& child : draft.children) {
                if (child->folder == folders && !child->nested)
                    drafts.push_back(child.get());
            }
        }
        for (const auto& child : draft.children) {
            if (child->nested)
                drafts.push_back(child.get());
        }
        QStringList names;
        names.reserve(qsizetype(drafts.size()));
        for (const Draft* child : drafts)
            names.append(child->sortName);

        ContentTree tree;
        tree.reserve(drafts.size());
        for (std::size_t position : listingOrder(names)) {
            Draft* child = drafts[position];
            if (!child->folder) {
                tree.push_back(ContentNode::makeFile(child->name, child->size));
                if (draft.folders.contains(child->name))
                    m_clashes.add(joinPath(path, child->sortName));
                continue;
            }
            const QString childPath = joinPath(path, child->sortName);
            std::optional<ContentTree> content;
            if (child->nested)
                content =
                    describeNested(input, *child->nested, childPath, depth + 1, nesting, password);
            else
                content = convert(*child, input, childPath, depth + 1, nesting, password);
            tree.push_back(ContentNode::makeFolder(child->name, std::move(content)));
            tree.back().nestedArchive = child->nested != nullptr;
        }
        draft.children.clear();
        return tree;
    }

    std::optional<ContentTree> describeNested(const ZipInput& parent, const IndexEntry& entry,
                                              const QString& path, int depth, int nesting,
                                              const SharedPassword& parentPassword) {
        if (nesting + 1 > MaxNestingDepth || cancelled())
            return std::nullopt;
        const Result<std::unique_ptr<NestedArchive>> loaded =
            NestedArchive::load(parent, entry, m_budget, m_workdir, m_cancel, parentPassword.get());
        if (!loaded) {
            m_nestedFailures.add(QStringLiteral("%1 (%2)").arg(path, loaded.reason()));
            return std::nullopt;
        }
        const std::unique_ptr<NestedArchive>& nested = *loaded;
        const Result<ArchiveIndex> read = readArchiveIndex(nested->input());
        if (!read) {
            m_nestedFailures.add(QStringLiteral("%1 (%2)").arg(path, read.reason()));
            return std::nullopt;
        }
        const ArchiveIndex& index = *read;
        // A nested archive of its own encryption takes the password of the
        // archive it is in, or one of those given for all.
        const Result<PasswordSearch> search =
            ArchiveKeyring::shared().search(nested->input(), index, std::nullopt, parentPassword);
        if (!search || search->outcome == PasswordSearch::Outcome::Missing ||
            search->outcome == PasswordSearch::Outcome::Wrong) {
            m_nestedFailures.add(
                QStringLiteral("%1 (%2)").arg(path, search ? search->reason : search.reason()));
            return std::nullopt;
        }
        // An install checks the whole content of an archive nested at the
        // top: it is charged here as it is there.
        if (!path.contains(QLatin1Char('/'))) {
            const Status charged = m_budget.chargeContent(declaredContent(index));
            if (!charged) {
                m_nestedFailures.add(QStringLiteral("%1 (%2)").arg(path, charged.reason()));
                return std::nullopt;
            }
        }
        return describeIndex(nested->input(), index, path, depth, nesting + 1, search->password);
    }

    QString m_workdir;
    const std::atomic<bool>* m_cancel;
    NestedBudget m_budget;
    const Draft* m_lastRoot = nullptr;
    QString m_lastPath;
    Draft* m_lastFolder = nullptr;
    Finding m_refused{EngineText::tr("an unsafe entry passed over"),
                      EngineText::tr("%1 unsafe entries passed over")};
    // Links are never followed nor written, neither as links nor as files
    // holding their target.
    Finding m_links{EngineText::tr("a link passed over"), EngineText::tr("%1 links passed over")};
    Finding m_unwritable{EngineText::tr("a name too long for this system"),
                         EngineText::tr("%1 names too long for this system")};
    Finding m_clashes{EngineText::tr("a name used for a file and a folder"),
                      EngineText::tr("%1 names used for a file and a folder")};
    Finding m_tooDeep{EngineText::tr("an entry nested too deep to show"),
                      EngineText::tr("%1 entries nested too deep to show")};
    Finding m_nestedFailures{EngineText::tr("a nested archive that cannot be read"),
                             EngineText::tr("%1 nested archives that cannot be read")};
};

} // namespace

ArchiveDescription describeArchive(const QByteArray& nativePath, const QString& workdir,
                                   const std::atomic<bool>* cancel) {
    return Describer(workdir, cancel).describe(nativePath);
}

std::optional<ContentTree> iterateAtPath(const QString& path, const QString& workdir) {
    Result<ContentTree> tree = describeArchive(QFile::encodeName(path), workdir).tree;
    if (!tree)
        return std::nullopt;
    return std::move(*tree);
}

} // namespace packshelf
