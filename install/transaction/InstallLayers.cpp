#include "install/transaction/InstallLayers.h"

#include <QDateTime>
#include <QFile>

#include "core/EngineText.h"
#include "install/records/DestinationTrust.h"
#include "install/records/LibraryRecords.h"
#include "install/transaction/LibraryChange.h"
#include "install/transaction/VersionHistory.h"

namespace packshelf {

using Action = Manifest::File::Action;

InstallLayers::InstallLayers(LibraryMemory& memory, LibraryChange& change, QString root,
                             QString destination)
    : m_memory(memory)
    , m_change(change)
    , m_root(std::move(root))
    , m_destination(std::move(destination))
    , m_layers(*memory.history, change) {
    if (const Manifest* previous = memory.history->package(memory.manifest.archive))
        m_previous = *previous;
}

Result<QString> InstallLayers::ownerOfDisk(const QString& path) {
    const std::optional<VersionHistory::Layer> top = m_memory.history->top(m_root, path);
    if (!top)
        return QString();
    switch (m_layers.stateOf(*top->package, *top->file)) {
    case LayerRemoval::State::AsWritten:
        return top->package->archive;
    case LayerRemoval::State::Unreadable:
        return fail(EngineText::tr("%1 cannot be read to tell whose it is")
                        .arg(RootedPath{m_destination, path}.absoluteIn(m_change.library())));
    default:
        return QString();
    }
}

Status InstallLayers::place(const RecordedFile& recorded, const RootedPath& path) {
    if (recorded.write < 0 || recorded.inNewFolder)
        return {};
    QString original;
    if (recorded.found) {
        const Result<QString> kept = m_change.keepOriginal(path);
        if (!kept)
            return kept.failure();
        original = *kept;
    }
    m_change.placeFile(path, QFile::decodeName(recorded.staging), original);
    return {};
}

Status InstallLayers::add(const RecordedFile& recorded) {
    Manifest::File file = recorded.file;
    const RootedPath path{m_destination, file.path};
    m_seen.insert(file.path);
    const Manifest::File* earlier =
        m_previous && m_previous->root == m_root ? m_previous->file(file.path) : nullptr;
    if (earlier && !earlier->written())
        earlier = nullptr;
    if (earlier) {
        const std::optional<VersionHistory::Layer> top = m_memory.history->top(m_root, file.path);
        const bool onTop = top && top->package->archive == m_previous->archive;
        const LayerRemoval::State state = m_layers.stateOf(*m_previous, *earlier);
        if (state == LayerRemoval::State::Unreadable)
            return fail(EngineText::tr("%1 cannot be read to tell whether it changed")
                            .arg(path.absoluteIn(m_change.library())));
        if (onTop && state != LayerRemoval::State::Changed) {
            // Its own file, as it wrote it (or gone): the new version takes
            // its place on what stood below it.
            file.action = earlier->action;
            file.before = earlier->before;
            file.previousOwner = earlier->previousOwner;
            m_files.push_back(file);
            return place(recorded, path);
        }
        if (Status removed = m_layers.remove(*m_previous, *earlier, m_removal); !removed)
            return removed;
    }
    if (file.action != Action::New) {
        const Result<QString> owner = ownerOfDisk(file.path);
        if (!owner)
            return owner.failure();
        file.previousOwner = *owner;
    }
    if (file.action == Action::Replaced) {
        const Result<Version> version = m_change.setAside(path);
        if (!version)
            return version.failure();
        file.before = version->key();
    }
    m_files.push_back(file);
    return place(recorded, path);
}

Status InstallLayers::finish(const QStringList& madeFolders) {
    Manifest manifest = m_memory.manifest;
    QStringList folders = m_previous ? m_previous->folders : QStringList();
    if (m_previous) {
        // What the earlier version had and this one has not goes as an
        // uninstall would take it.
        for (const Manifest::File& file : m_previous->files) {
            if (m_seen.contains(file.path))
                continue;
            if (Status removed = m_layers.remove(*m_previous, file, m_removal); !removed)
                return removed;
        }
        // A file that could not be taken out stays known.
        for (const QString& kept : m_removal.notRemoved) {
            if (const Manifest::File* file = m_previous->file(kept))
                m_files.push_back(*file);
        }
        for (auto folder = m_previous->folders.crbegin(); folder != m_previous->folders.crend();
             ++folder)
            m_change.removeEmptyFolder({m_previous->destination, *folder});
    }
    for (const QString& folder : madeFolders) {
        if (!folders.contains(folder))
            folders.append(folder);
    }
    manifest.files = std::move(m_files);
    manifest.folders = folders;
    manifest.destination = m_destination;
    manifest.root = m_root;
    manifest.installed = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    // What this user's PackShelf writes outside the library, it can later
    // prove it wrote.
    DestinationTrust::seal(manifest);
    m_memory.history->setPackage(std::move(manifest));
    for (const Manifest& record : m_memory.history->editedRecords()) {
        if (Status written = m_change.writeRecord(record); !written)
            return written;
    }
    return m_layers.dropUnnamed(*m_memory.records, *m_memory.manifests);
}

} // namespace packshelf
