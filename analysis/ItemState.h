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

// The verdicts stored under "INFO" (their texts are in ItemKeys.h), as the
// code reads them: ArchiveItem::verdict() reads the text once, and every
// decision is made on these values, never on the words shown.
enum class Verdict {
    None,            // "": not analysed yet
    Ok,              // "OK"
    ManuallySet,     // "Manually set"
    Duplicates,      // "Duplicates"
    UnzipError,      // "Unzip error"
    NoRuntime,       // "No Runtime"
    NoRuntimeOrData, // "No Runtime or data"
    InstallFailed,   // "Failed!"
    Unknown,         // any other text
};

} // namespace packshelf
