#pragma once

#include <vector>

#include "core/Result.h"
#include "install/records/Manifest.h"
#include "install/transaction/LayerRemoval.h"

namespace packshelf {

class LibraryChange;
class LibraryRecords;
class VersionHistory;

// Plans the whole uninstall of `package` into `change`: each file it wrote
// leaves the stack of versions at its path (see LayerRemoval); a folder it
// made goes once it is empty, or, while it holds another package's files,
// is handed on to the latest of them, which removes it once empty; its
// record goes, or keeps the files that could not be taken out so that a
// later uninstall can try again; the records the removal changes are
// written again, and versions no record names any more leave the store.
// `outcome` says what the change does once committed.
Status planUninstall(const Manifest& package, VersionHistory& history, LibraryChange& change,
                     LibraryRecords& records, std::vector<Manifest>& manifests,
                     RemovalOutcome& outcome);

} // namespace packshelf
