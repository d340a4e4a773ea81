#pragma once

#include <QString>

#include "analysis/ArchiveItem.h"

// What the window says about one archive record, in words.
namespace packshelf {

// The info box's sentence: what an install would copy from the archive.
// The first rule that applies makes the text: Runtime and Data (one line
// when they share a parent, else two), Runtime, Data, the forced folder,
// the archive's own destination, else the "NO_PATHS_SET" text.
QString installSentence(const ArchiveItem& item);

// One of the engine's verdicts (fixed English words) in the user's language.
QString verdictText(const QString& verdict);

// The verdict, or that the archive has not been analysed yet.
QString verdictInWords(const ArchiveItem& item);

// The verdict followed by the reason the engine recorded for a failure.
QString verdictWithReason(const ArchiveItem& item);

// Why an archive that is not ready cannot be installed ("no Runtime
// folder", "damaged: …", "several Runtime folders: choose the folders
// first").
QString whyNotReady(const ArchiveItem& item);

// The lines under the info box's sentence: how many files the archive
// holds and how large they are (for an archive with duplicates, the
// folders to choose from and what each choice would install), what a
// forced folder takes, what becomes of the nested archives the install
// copies, why it failed, and what it leaves out.
QString itemDetails(const ArchiveItem& item);

// The name the browser shows for a node: a nested archive by its own file
// name ("Extras.zip"), anything else by its name in the tree.
QString shownName(const ContentNode& node);

// What Force Folder installs from a folder level: "Installs as they are:
// docs/, images/ and readme.txt", folders marked by a trailing slash; a
// long list ends with how many more there are.
QString forcedTakes(const ContentTree& entries);

// When a package was installed, from its record's ISO 8601 time, in local
// time as a person of the window's language reads it ("8. Dez. 2026 um
// 14:05").
QString installedWhen(const QString& iso);

// The line that says an archive's package is in the library.
QString installedNote(const QString& iso);

// A byte count as a person of the window's language reads it ("3.9 kB",
// "3,9 kB").
QString readableSize(quint64 bytes);

} // namespace packshelf
