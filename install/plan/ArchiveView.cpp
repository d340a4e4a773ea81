#include "install/plan/ArchiveView.h"

#include <algorithm>

#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"
#include "archive/ArchiveKeyring.h"
#include "archive/IndexCache.h"
#include "archive/StreamArchive.h"
#include "archive/ZipInput.h"
#include "core/EngineText.h"

namespace packshelf {

struct ArchiveView::Loaded {
    std::unique_ptr<FileInput> file;       // the top archive
    std::unique_ptr<NestedArchive> nested; // or a nested one
    ArchiveIndex index;
    // 7z and RAR: the reader that decodes the archive in order.
    std::unique_ptr<StreamReader> stream;
    // What opens its encrypted entries.
    SharedPassword password;

    const ZipInput& input() const { return file ? *file : nested->input(); }
};

namespace {

// Whether `problem` is the reason a zip archive is refused with when it is
// none (as reasons are in the process's language, they are made again).
bool isNoZipArchive(const QString& problem) {
    const QString zip = QStringLiteral("zip");
    const QString beginsAs =
        EngineText::tr("not a %1 archive, or damaged (it begins as a %2 archive, which cannot "
                       "be read either)")
            .arg(zip, QStringLiteral("\x01"));
    return problem == EngineText::tr("not a zip archive, or damaged") ||
           problem ==
               EngineText::tr("not a %1 archive, or damaged (it has no %1 signature)").arg(zip) ||
           problem.startsWith(beginsAs.section(QLatin1Char('\x01'), 0, 0));
}

ViewNode* childFolder(ViewNode& folder, const QString& name) {
    ViewNode*& child = folder.children[name];
    if (!child) {
        auto made = std::make_unique<ViewNode>();
        made->folder = true;
        child = made.get();
        folder.owned.push_back(std::move(made));
    } else if (!child->folder) {
        child->clash = true;
        return nullptr;
    }
    return child;
}

// The password that opens an archive's encrypted entries (none when it has
// none), or why there is none.
Result<SharedPassword> passwordFor(const ZipInput& input, const ArchiveIndex& index,
                                   std::optional<ArchiveKeyring::FileKey> file,
                                   const SharedPassword& inherited) {
    const Result<PasswordSearch> search =
        ArchiveKeyring::shared().search(input, index, file, inherited);
    if (!search)
        return search.failure();
    if (search->outcome == PasswordSearch::Outcome::Missing ||
        search->outcome == PasswordSearch::Outcome::Wrong)
        return fail(search->reason);
    return search->password;
}

bool isNestedArchive(const QString& name, const ViewNode& node) {
    return !node.folder && isNestedArchiveName(name);
}

} // namespace

QString nestedFailureReason(const ArchiveView::NestedFailure& failure) {
    return EngineText::tr("the nested archive cannot be expanded (%1)").arg(failure.reason);
}

QString nestedFailureLine(const ArchiveView::NestedFailure& failure) {
    return failure.name + QStringLiteral(": ") + nestedFailureReason(failure);
}

QStringList ViewNode::names() const {
    const QStringList unordered = children.keys();
    QStringList ordered;
    ordered.reserve(unordered.size());
    for (std::size_t position : listingOrder(unordered))
        ordered.append(unordered[qsizetype(position)]);
    return ordered;
}

ArchiveView::ArchiveView(QString workdir, const std::atomic<bool>* cancel)
    : m_workdir(std::move(workdir))
    , m_cancel(cancel) {
    m_root.folder = true;
}

ArchiveView::~ArchiveView() = default;

Result<std::unique_ptr<ArchiveView>> ArchiveView::open(const QByteArray& nativePath,
                                                       const QString& workdir,
                                                       const std::atomic<bool>* cancel) {
    std::unique_ptr<ArchiveView> view(new ArchiveView(workdir, cancel));
    auto top = std::make_unique<Loaded>();
    Result<std::unique_ptr<FileInput>> opened = FileInput::openRegular(nativePath);
    if (!opened)
        return fail(EngineText::tr("cannot be opened: %1").arg(opened.reason()));
    top->file = std::move(*opened);
    const Result<std::shared_ptr<const ArchiveIndex>> indexed = cachedIndex(*top->file);
    if (!indexed)
        return indexed.failure();
    // A copy of its own: reading a 7z or RAR entry fills in its CRC-32.
    top->index = **indexed;
    const std::optional<FileIdentity>& identity = top->file->identity();
    Result<SharedPassword> password = passwordFor(
        *top->file, top->index,
        identity ? std::optional(ArchiveKeyring::FileKey(identity->device, identity->inode))
                 : std::nullopt,
        nullptr);
    if (!password)
        return password.failure();
    top->password = std::move(*password);
    const Loaded& loaded = *top;
    view->m_archives[{}] = std::move(top);
    view->overlay(view->m_root, loaded, {});
    view->overlayNestedOnTop();
    return view;
}

void ArchiveView::overlay(ViewNode& folder, const Loaded& loaded, const std::vector<int>& nesting) {
    for (int i = 0; i < int(loaded.index.entries.size()); ++i) {
        const IndexEntry& entry = loaded.index.entries[std::size_t(i)];
        if (entry.isLink())
            continue; // never written, as the analysis says
        const QStringList parts = entry.path.split(QLatin1Char('/'));
        if (const auto junk = std::find_if(parts.begin(), parts.end(), isJunkEntry);
            junk != parts.end()) {
            // Never copied, as the analysis never describes it; the folders
            // on its way are there all the same.
            ViewNode* parent = &folder;
            for (auto part = parts.begin(); parent && part != junk; ++part)
                parent = childFolder(*parent, *part);
            continue;
        }
        ViewNode* parent = &folder;
        for (qsizetype p = 0; parent && p + 1 < parts.size(); ++p)
            parent = childFolder(*parent, parts[p]);
        if (!parent)
            continue; // a file stands where a folder would be
        if (entry.isFolder()) {
            childFolder(*parent, parts.last());
            continue;
        }
        ViewNode*& node = parent->children[parts.last()];
        if (!node) {
            auto made = std::make_unique<ViewNode>();
            node = made.get();
            parent->owned.push_back(std::move(made));
        } else if (node->folder) {
            node->clash = true;
            continue;
        }
        // The last entry of a name wins, as it would when written to disk.
        if (node->entry && nesting.empty() && !m_sharedNameSet.contains(entry.path)) {
            m_sharedNameSet.insert(entry.path);
            m_sharedNames.append(entry.path);
        }
        node->source = EntrySource{nesting, i};
        node->entry = &entry;
    }
}

Result<const ArchiveView::Loaded*> ArchiveView::loadNested(const std::vector<int>& nesting) {
    if (const auto found = m_archives.find(nesting); found != m_archives.end())
        return found->second.get();
    std::vector<int> parentNesting(nesting.begin(), nesting.end() - 1);
    const Result<const Loaded*> loadedParent = loadNested(parentNesting);
    if (!loadedParent)
        return loadedParent.failure();
    const Loaded* parent = *loadedParent;
    const IndexEntry& entry = parent->index.entries[std::size_t(nesting.back())];
    auto loaded = std::make_unique<Loaded>();
    Result<std::unique_ptr<NestedArchive>> nested = NestedArchive::load(
        parent->input(), entry, m_budget, m_workdir, m_cancel, parent->password.get());
    if (!nested)
        return nested.failure();
    loaded->nested = std::move(*nested);
    Result<ArchiveIndex> indexed = readArchiveIndex(loaded->nested->input());
    if (!indexed)
        return indexed.failure();
    loaded->index = std::move(*indexed);
    Result<SharedPassword> password =
        passwordFor(loaded->nested->input(), loaded->index, std::nullopt, parent->password);
    if (!password)
        return password.failure();
    loaded->password = std::move(*password);
    return (m_archives[nesting] = std::move(loaded)).get();
}

// The archives at the top that every install unpacks (isUnpackedByInstall()).
void ArchiveView::overlayNestedOnTop() {
    for (const QString& name : m_root.names()) {
        const ViewNode* node = m_root.children.value(name);
        if (!isNestedArchive(name, *node))
            continue;
        const QString base = nestedFolderName(name);
        if (base.isEmpty()) {
            m_nestedFailures.push_back(
                {name, ItemError::ErrorContent, EngineText::tr("no folder can be named after it")});
            continue;
        }
        if (!isUnpackedByInstall(base, QString()))
            continue;
        std::vector<int> nesting = node->source.nesting;
        nesting.push_back(node->source.entry);
        const Result<const Loaded*> loaded = loadNested(nesting);
        if (!loaded) {
            const QString problem = loaded.reason();
            const bool notAnArchive = isNoZipArchive(problem);
            m_nestedFailures.push_back(
                {name, notAnArchive ? ItemError::ErrorOpen : ItemError::ErrorContent, problem});
            continue;
        }
        // Its whole content is checked first, as expanding it would have:
        // an archive that cannot be read whole brings none of it.
        if (const Status whole = isReadableWhole(**loaded); !whole) {
            m_nestedFailures.push_back({name, ItemError::ErrorContent, whole.reason()});
            continue;
        }
        ViewNode* folder = childFolder(m_root, base);
        if (!folder) {
            m_nestedFailures.push_back({name, ItemError::ErrorContent,
                                        EngineText::tr("a file named %1 is in the way").arg(base)});
            continue;
        }
        overlay(*folder, **loaded, nesting);
    }
}

Status ArchiveView::isReadableWhole(const Loaded& loaded) {
    if (const Status charged = m_budget.chargeContent(declaredContent(loaded.index)); !charged)
        return charged;
    for (const IndexEntry& entry : loaded.index.entries) {
        if (entry.isFolder())
            continue;
        const Status read = readEntryData(
            loaded.input(), entry, [](const char*, std::size_t) { return true; }, m_cancel,
            loaded.password.get());
        if (!read)
            return read.failure();
    }
    return {};
}

ViewNode* ArchiveView::overlayNamed(ViewNode& folder, const QString& part) {
    for (const QString& name : folder.names()) {
        const ViewNode* node = folder.children.value(name);
        if (!isNestedArchive(name, *node) || nestedFolderName(name) != part)
            continue;
        std::vector<int> nesting = node->source.nesting;
        nesting.push_back(node->source.entry);
        const Result<const Loaded*> loaded = loadNested(nesting);
        if (!loaded)
            return nullptr;
        ViewNode* made = childFolder(folder, part);
        if (made)
            overlay(*made, **loaded, nesting);
        return made;
    }
    return nullptr;
}

QByteArray ArchiveView::digest() const {
    return m_archives.at({})->index.digest();
}

Result<const ViewNode*> ArchiveView::locate(const QString& path) {
    ViewNode* current = &m_root;
    QString walked;
    QStringList parts;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String("."))
            parts << part;
    }
    const QString wanted = parts.join(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part == QLatin1String(".."))
            return fail(EngineText::tr("the path leaves the archive"));
        if (!current->folder)
            return fail(EngineText::tr("not a folder"));
        walked = joinPath(walked, part);
        ViewNode* next = current->children.value(part);
        // A nested archive whose folder the path goes through is read when
        // the install unpacks it for a copy from there.
        if (!next && isUnpackedByInstall(walked, wanted))
            next = overlayNamed(*current, part);
        if (!next)
            return fail(EngineText::tr("not in the archive"));
        current = next;
    }
    return current;
}

Status ArchiveView::read(const EntrySource& source, const EntrySink& sink) const {
    const auto found = m_archives.find(source.nesting);
    if (found == m_archives.end())
        return fail(EngineText::tr("the archive holding it is not read"));
    Loaded& loaded = *found->second;
    IndexEntry& entry = loaded.index.entries[std::size_t(source.entry)];
    if (!entry.streamed)
        return readEntryData(loaded.input(), entry, sink, m_cancel, loaded.password.get());
    if (!loaded.stream)
        loaded.stream = std::make_unique<StreamReader>(loaded.input());
    quint32 crc = 0;
    const Status read = loaded.stream->read(entry, sink, &crc, m_cancel);
    if (read.ok() && entry.crcKnown && crc != entry.crc)
        return fail(EngineText::tr("%1 changed since the archive was read").arg(entry.name));
    if (read.ok()) {
        entry.crc = crc;
        entry.crcKnown = true;
    }
    return read;
}

std::optional<quint32> ArchiveView::crcOf(const EntrySource& source) const {
    const auto found = m_archives.find(source.nesting);
    if (found == m_archives.end())
        return std::nullopt;
    Loaded& loaded = *found->second;
    const IndexEntry& entry = loaded.index.entries[std::size_t(source.entry)];
    if (entry.crcKnown)
        return entry.crc;
    // One pass over the whole archive answers this and every later question.
    for (int i = 0; i < int(loaded.index.entries.size()); ++i) {
        const IndexEntry& each = loaded.index.entries[std::size_t(i)];
        if (each.isFolder() || each.crcKnown)
            continue;
        EntrySource other = source;
        other.entry = i;
        if (!read(other, [](const char*, std::size_t) { return true; }).ok())
            break; // damaged: the install that writes it says so
    }
    return entry.crcKnown ? std::optional<quint32>(entry.crc) : std::nullopt;
}

bool ArchiveView::readsInArchiveOrder() const {
    return !m_archives.at({})->index.format.isEmpty();
}

} // namespace packshelf
