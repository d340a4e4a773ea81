#pragma once

#include "core/Result.h"

namespace packshelf {

class LibraryRecords;
class VersionStore;

// Brings a library whose records are of the earlier form, which kept the
// files packages replaced in DEST/.packshelf/backup/<package>/, into the
// store of versions, as one change: each backup a record names is set
// aside into the store (a link, so no byte is copied or lost) and the
// record names it by its version; a backup no record names is kept for
// the user in a new "recovered-…" folder of the records folder; then the
// backup folder goes. Nothing to do when there is no backup folder. Only
// under the exclusive lock.
Status moveLegacyBackups(LibraryRecords& records, VersionStore& store);

} // namespace packshelf
