#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <map>
#include <optional>
#include <vector>

#include "install/records/Manifest.h"

namespace packshelf {

// The stacks of versions the records describe: for every path below each
// root, the packages that wrote it, in install order, each layer with what
// stood there before it (its `before`, and whose that was). The records
// are read, never changed, through it: what a change plans to change is
// kept aside as edits of copies, which commitEdits() makes the records'
// once the change is made, and a change given up simply forgets.
class VersionHistory {
public:
    struct Layer {
        const Manifest* package = nullptr;
        const Manifest::File* file = nullptr;
    };

    // Over the records of `manifests` read whole; they must outlive it, and
    // change only through commitEdits().
    explicit VersionHistory(const std::vector<Manifest>& manifests);
    VersionHistory(const VersionHistory&) = delete;
    VersionHistory& operator=(const VersionHistory&) = delete;

    // The record of `archive`, as the change would leave it; null when
    // there is none (or the change drops it).
    const Manifest* package(const QString& archive) const;
    // The packages' layers at `path` below `root`, earliest first, as the
    // change would leave them.
    std::vector<Layer> layersAt(const QString& root, const QString& path) const;
    std::optional<Layer> top(const QString& root, const QString& path) const;
    // The layer right above `archive`'s at `path`, if any.
    std::optional<Layer> above(const QString& archive, const QString& root,
                               const QString& path) const;

    // Edits, each on a copy of the record made at the first.
    Manifest::File& editFile(const QString& archive, const QString& path);
    Manifest& editPackage(const QString& archive);
    // The file leaves the package's record.
    void removeFile(const QString& archive, const QString& path);
    void dropPackage(const QString& archive);
    // The record the change writes for a package it installs.
    void setPackage(Manifest manifest);
    // The records the change writes (each as it would be) and drops.
    std::vector<Manifest> editedRecords() const;
    QStringList droppedRecords() const;
    bool isEdited(const QString& archive) const;

    // The keys of the earlier versions the records name, as the change
    // would leave them, among `keys`.
    QSet<QString> named(const QSet<QString>& keys) const;

    // Makes the edits the records', in `manifests` (the vector given, kept
    // in install order), and forgets them.
    void commitEdits(std::vector<Manifest>& manifests);
    // Forgets the edits of a change that was given up.
    void forgetEdits() { m_edits.clear(); }

private:
    struct Edit {
        std::optional<Manifest> record; // nothing: dropped
        QSet<QString> removed;          // paths that leave it
        QHash<QString, qsizetype> at;   // its files by path
    };
    void learn(const Manifest& manifest);
    void forget(const Manifest& manifest);
    Edit& editOf(const QString& archive);
    const Manifest* original(const QString& archive) const;

    const std::vector<Manifest>* m_manifests;
    QHash<QString, qsizetype> m_byArchive;
    // root -> path -> (archive, position of the file in its record) of
    // every file the records say a package wrote.
    QHash<QString, QHash<QString, std::vector<std::pair<QString, qsizetype>>>> m_layers;
    std::map<QString, Edit> m_edits;
};

} // namespace packshelf
