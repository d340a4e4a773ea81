#pragma once

#include <QtGlobal>

namespace packshelf {

// Where an archive's record stands; stored under "STATE".
enum ItemState : qint64 {
    New = 0,
    Failed = -1,
    NeedsHelp = 3,
    Ready = 5,
    Installed = 9,
};

// Reasons stored under "ERROR" together with state Failed.
enum ItemError : qint64 {
    ErrorOpen = 1,    // could not be opened or expanded at all ("Unzip error")
    ErrorContent = 2, // expanded, but no library folder found; or failed to expand at install
    ErrorCopy = 3,    // a copy into the library failed
    // encrypted, and no password given opens it ("Needs a password"): not
    // installed until one does
    ErrorPassword = 4,
};

} // namespace packshelf
