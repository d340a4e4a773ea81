#pragma once

#include <QString>
#include <optional>

#include "analysis/ArchiveItem.h"
#include "core/Result.h"

namespace packshelf {

// The folder kinds a user can name by hand in an archive's tree.
enum class FolderChoice {
    Runtime, // stores "RUNTIMEPATH"; "HASRUNTIME" stays as the analysis left it
    Data,    // stores "DATAPATH" and "HASDATA" 1
    Forced,  // stores "FORCEDPATH" and "HASFORCED" 1: a folder copied as it is
};

// Records a manual folder choice: `holderPath` is the path of the folder
// that holds the chosen folder ("" for the top level). Then re-evaluates the
// record's state. Both the window's buttons and the command line use this.
void recordFolderChoice(ArchiveItem& item, FolderChoice choice, const QString& holderPath);

// Fails, saying why, when the window would not let the user make this
// choice: the Runtime and Data choices are offered for an archive with
// duplicates, the forced folder for one in which nothing was found; and
// `holderPath` must be a folder of the tree that holds a folder the choice
// can take (one named Runtime or Data in any letter case, any folder for
// the forced one).
Status checkFolderChoice(const ArchiveItem& item, FolderChoice choice, const QString& holderPath);

// The log line of a folder choice: "Runtime @ %@", "Data @ %@", "Forced @ %@".
QString folderChoiceLogLine(FolderChoice choice, const QString& holderPath);

// Records a destination of the archive's own: "DIRECTPATH", "DIRECTPATHSRC"
// (removed when there is no source), "HASDIRECT" 1; removes the Runtime,
// Data and forced flags and makes the record Ready with "Manually set".
void recordDirectDestination(ArchiveItem& item, const QString& directPath,
                             const std::optional<QString>& directSource);

} // namespace packshelf
