#pragma once

#include <vector>

#include "install/records/Manifest.h"

namespace packshelf {

class FolderListings;
class LibraryRecords;
class VersionHistory;
class VersionStore;

// What the library remembers, lent to the transaction: its records and
// store, the history of versions over the records, and the package's
// identity (its files and folders are filled in). Without records (a
// preview), only the history is read, for whose files are replaced.
struct LibraryMemory {
    LibraryRecords* records = nullptr;
    VersionStore* store = nullptr;
    VersionHistory* history = nullptr;
    std::vector<Manifest>* manifests = nullptr; // those the history is over
    FolderListings* listings = nullptr;         // the library's folders, as the run knows them
    Manifest manifest;
};

} // namespace packshelf
