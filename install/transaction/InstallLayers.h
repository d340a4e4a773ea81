#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/Result.h"
#include "install/journal/JournalStep.h"
#include "install/records/Manifest.h"
#include "install/transaction/LayerRemoval.h"
#include "install/transaction/LibraryMemory.h"
#include "install/transaction/RecordedFile.h"

namespace packshelf {

class LibraryChange;

// Decides, file by file, the layer an install puts on the stack of
// versions at each path it writes, and plans it into the change:
//   - the package's own earlier file, still on top and as it wrote it (or
//     gone): the new version takes its place and stands on what stood
//     below it;
//   - anything else: the earlier version's layer is taken out (see
//     LayerRemoval), and what stands there now is set aside into the store
//     as what the new file replaces, remembered as the user's own unless it
//     is still as the package on top wrote it.
// Then what the earlier version had and this one has not is taken out as
// an uninstall would, and the records and the versions no record names
// any more follow.
class InstallLayers {
public:
    InstallLayers(LibraryMemory& memory, LibraryChange& change, QString root, QString destination);

    Status add(const RecordedFile& recorded);
    // `madeFolders`: the folders this install made, parents first.
    Status finish(const QStringList& madeFolders);
    const RemovalOutcome& removal() const { return m_removal; }

private:
    Result<QString> ownerOfDisk(const QString& path);
    Status place(const RecordedFile& recorded, const RootedPath& path);

    LibraryMemory& m_memory;
    LibraryChange& m_change;
    QString m_root;
    QString m_destination;
    LayerRemoval m_layers;
    std::optional<Manifest> m_previous; // the earlier version's record, as it was
    std::vector<Manifest::File> m_files;
    QSet<QString> m_seen;
    RemovalOutcome m_removal;
};

} // namespace packshelf
