#include "install/transaction/VersionHistory.h"

#include <algorithm>

namespace packshelf {

VersionHistory::VersionHistory(const std::vector<Manifest>& manifests)
    : m_manifests(&manifests) {
    m_byArchive.reserve(qsizetype(manifests.size()));
    for (qsizetype i = 0; i < qsizetype(manifests.size()); ++i) {
        m_byArchive.insert(manifests[std::size_t(i)].archive, i);
        learn(manifests[std::size_t(i)]);
    }
}

void VersionHistory::learn(const Manifest& manifest) {
    if (!manifest.whole)
        return;
    QHash<QString, std::vector<std::pair<QString, qsizetype>>>& below = m_layers[manifest.root];
    for (qsizetype i = 0; i < qsizetype(manifest.files.size()); ++i) {
        const Manifest::File& file = manifest.files[std::size_t(i)];
        if (file.written())
            below[file.path].emplace_back(manifest.archive, i);
    }
}

void VersionHistory::forget(const Manifest& manifest) {
    const auto below = m_layers.find(manifest.root);
    if (below == m_layers.end())
        return;
    for (const Manifest::File& file : manifest.files) {
        const auto at = below->find(file.path);
        if (at == below->end())
            continue;
        std::erase_if(*at, [&](const auto& entry) { return entry.first == manifest.archive; });
        if (at->empty())
            below->erase(at);
    }
}

const Manifest* VersionHistory::original(const QString& archive) const {
    const auto found = m_byArchive.constFind(archive);
    return found == m_byArchive.constEnd() ? nullptr : &(*m_manifests)[std::size_t(*found)];
}

const Manifest* VersionHistory::package(const QString& archive) const {
    if (const auto edit = m_edits.find(archive); edit != m_edits.end())
        return edit->second.record ? &*edit->second.record : nullptr;
    return original(archive);
}

bool VersionHistory::isEdited(const QString& archive) const {
    return m_edits.count(archive) != 0;
}

std::vector<VersionHistory::Layer> VersionHistory::layersAt(const QString& root,
                                                            const QString& path) const {
    std::vector<Layer> layers;
    const auto below = m_layers.constFind(root);
    if (below == m_layers.constEnd())
        return layers;
    const auto at = below->constFind(path);
    if (at == below->constEnd())
        return layers;
    for (const auto& [archive, position] : *at) {
        const auto edit = m_edits.find(archive);
        if (edit != m_edits.end() && (!edit->second.record || edit->second.removed.contains(path)))
            continue;
        const Manifest* manifest = package(archive);
        if (!manifest || position >= qsizetype(manifest->files.size()) || manifest->root != root)
            continue;
        const Manifest::File& file = manifest->files[std::size_t(position)];
        if (file.path == path && file.written())
            layers.push_back({manifest, &file});
    }
    std::sort(layers.begin(), layers.end(), [](const Layer& a, const Layer& b) {
        return a.package->sequence < b.package->sequence;
    });
    return layers;
}

std::optional<VersionHistory::Layer> VersionHistory::top(const QString& root,
                                                         const QString& path) const {
    const std::vector<Layer> layers = layersAt(root, path);
    if (layers.empty())
        return std::nullopt;
    return layers.back();
}

std::optional<VersionHistory::Layer>
VersionHistory::above(const QString& archive, const QString& root, const QString& path) const {
    const std::vector<Layer> layers = layersAt(root, path);
    for (std::size_t i = 0; i + 1 < layers.size(); ++i) {
        if (layers[i].package->archive == archive)
            return layers[i + 1];
    }
    return std::nullopt;
}

VersionHistory::Edit& VersionHistory::editOf(const QString& archive) {
    const auto found = m_edits.find(archive);
    if (found != m_edits.end())
        return found->second;
    Edit& edit = m_edits[archive];
    if (const Manifest* manifest = original(archive)) {
        edit.record = *manifest;
        for (qsizetype i = 0; i < qsizetype(manifest->files.size()); ++i)
            edit.at.insert(manifest->files[std::size_t(i)].path, i);
    }
    return edit;
}

Manifest& VersionHistory::editPackage(const QString& archive) {
    return *editOf(archive).record;
}

Manifest::File& VersionHistory::editFile(const QString& archive, const QString& path) {
    Edit& edit = editOf(archive);
    return edit.record->files[std::size_t(edit.at.value(path))];
}

void VersionHistory::removeFile(const QString& archive, const QString& path) {
    editOf(archive).removed.insert(path);
}

void VersionHistory::dropPackage(const QString& archive) {
    Edit& edit = editOf(archive);
    edit.record.reset();
    edit.removed.clear();
}

void VersionHistory::setPackage(Manifest manifest) {
    Edit& edit = m_edits[manifest.archive];
    edit.removed.clear();
    edit.at.clear();
    edit.record = std::move(manifest);
}

std::vector<Manifest> VersionHistory::editedRecords() const {
    std::vector<Manifest> records;
    for (const auto& [archive, edit] : m_edits) {
        if (!edit.record)
            continue;
        Manifest record = *edit.record;
        std::erase_if(record.files,
                      [&](const Manifest::File& file) { return edit.removed.contains(file.path); });
        records.push_back(std::move(record));
    }
    return records;
}

QStringList VersionHistory::droppedRecords() const {
    QStringList dropped;
    for (const auto& [archive, edit] : m_edits) {
        if (!edit.record && original(archive))
            dropped << archive;
    }
    return dropped;
}

QSet<QString> VersionHistory::named(const QSet<QString>& keys) const {
    QSet<QString> found;
    const auto look = [&](const Manifest& manifest, const QSet<QString>* removed) {
        for (const Manifest::File& file : manifest.files) {
            if (!file.before.isEmpty() && keys.contains(file.before) &&
                (!removed || !removed->contains(file.path)))
                found.insert(file.before);
        }
    };
    for (const Manifest& manifest : *m_manifests) {
        if (!isEdited(manifest.archive))
            look(manifest, nullptr);
    }
    for (const auto& [archive, edit] : m_edits) {
        if (edit.record)
            look(*edit.record, &edit.removed);
    }
    return found;
}

void VersionHistory::commitEdits(std::vector<Manifest>& manifests) {
    const std::vector<Manifest> edited = editedRecords();
    for (const auto& [archive, edit] : m_edits) {
        if (const Manifest* old = original(archive))
            forget(*old);
    }
    QSet<QString> gone;
    for (const auto& [archive, edit] : m_edits)
        gone.insert(archive);
    std::erase_if(manifests,
                  [&](const Manifest& manifest) { return gone.contains(manifest.archive); });
    // The records stay in order of install; an edited one, which bears the
    // latest sequence number as a rule, goes in after those not later.
    for (const Manifest& record : edited) {
        learn(record);
        const auto after = std::upper_bound(
            manifests.begin(), manifests.end(), record.sequence,
            [](qint64 sequence, const Manifest& manifest) { return sequence < manifest.sequence; });
        manifests.insert(after, record);
    }
    m_manifests = &manifests;
    m_byArchive.clear();
    for (qsizetype i = 0; i < qsizetype(manifests.size()); ++i)
        m_byArchive.insert(manifests[std::size_t(i)].archive, i);
    m_edits.clear();
}

} // namespace packshelf
