#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/ItemState.h"
#include "archive/ArchiveIndex.h"
#include "archive/EntryDecoder.h"
#include "archive/NestedArchive.h"
#include "core/Result.h"

namespace packshelf {

// Where a file's content lies: the entry `entry` of the archive reached
// through the nested archives `nesting` (entry numbers, from the top).
struct EntrySource {
    std::vector<int> nesting;
    int entry = -1;
};

// A file or folder of an archive as its expansion would hold it.
struct ViewNode {
    bool folder = false;
    // The name stands for a file and a folder at once: the archive cannot
    // be written faithfully at this place.
    bool clash = false;
    EntrySource source;                 // files: where the content is
    const IndexEntry* entry = nullptr;  // files: size, CRC-32, date
    QHash<QString, ViewNode*> children; // folders, by name
    std::vector<std::unique_ptr<ViewNode>> owned;

    // The children's names in listing order.
    QStringList names() const;
};

// An archive read for its install, without expanding it: its entries as
// folders and files (unsafe names passed over), with every archive at its
// top level overlaid on a folder named after it, as an expansion followed
// by the expansion of those archives beside themselves would have left
// them. An archive nested deeper is read only when a path asked for goes
// through the folder named after it.
class ArchiveView {
public:
    // A top-level archive that could not be overlaid.
    struct NestedFailure {
        QString name;
        ItemError code; // ErrorOpen: not an archive; ErrorContent: not readable whole
        QString reason;
    };

    // Fails, saying why, when the archive cannot be read.
    static Result<std::unique_ptr<ArchiveView>> open(const QByteArray& nativePath,
                                                     const QString& workdir,
                                                     const std::atomic<bool>* cancel = nullptr);
    ~ArchiveView();

    const ViewNode& root() const { return m_root; }
    const std::vector<NestedFailure>& nestedFailures() const { return m_nestedFailures; }
    // Paths that two entries of the archive name alike: the later entry
    // in the archive stands for them.
    const QStringList& sharedNames() const { return m_sharedNames; }
    // The SHA-256 digest of the archive's listing.
    QByteArray digest() const;

    // The node at `path` (names joined with "/", "" for the top), reading an
    // archive named after a missing folder on the way. Fails, saying why,
    // when there is none.
    Result<const ViewNode*> locate(const QString& path);

    // Reads a file's content, verified against its size and CRC-32. A file
    // of a 7z or RAR archive is decoded on from where the last read ended
    // (see StreamReader), and its entry learns its CRC-32.
    Status read(const EntrySource& source, const EntrySink& sink) const;

    // The CRC-32 of a file's content: the one the index holds, or, for a
    // 7z or RAR archive that does not give it, worked out by decoding every
    // file of the archive once; nothing when the data cannot be read.
    std::optional<quint32> crcOf(const EntrySource& source) const;
    // The archive's files are best read in archive order (7z, RAR): a
    // solid archive is then decoded once.
    bool readsInArchiveOrder() const;

private:
    struct Loaded;

    ArchiveView(QString workdir, const std::atomic<bool>* cancel);
    Result<const Loaded*> loadNested(const std::vector<int>& nesting);
    // Lays the entries of `loaded` over `folder`.
    void overlay(ViewNode& folder, const Loaded& loaded, const std::vector<int>& nesting);
    void overlayNestedOnTop();
    Status isReadableWhole(const Loaded& loaded);
    // Reads the archive named `part` + ".zip" in `folder` over a new folder
    // `part`; the new folder, or nothing.
    ViewNode* overlayNamed(ViewNode& folder, const QString& part);

    QString m_workdir;
    const std::atomic<bool>* m_cancel;
    NestedBudget m_budget;
    std::map<std::vector<int>, std::unique_ptr<Loaded>> m_archives; // {} is the top archive
    ViewNode m_root;
    std::vector<NestedFailure> m_nestedFailures;
    QStringList m_sharedNames; // in archive order
    QSet<QString> m_sharedNameSet;
};

// Why a nested archive is not installed with the rest, and the "WARNING"
// line that names it with that reason.
QString nestedFailureReason(const ArchiveView::NestedFailure& failure);
QString nestedFailureLine(const ArchiveView::NestedFailure& failure);

} // namespace packshelf
