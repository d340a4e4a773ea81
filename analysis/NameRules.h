#pragma once

#include <QString>

// Name tests shared by the scan, the tree and the installer.
namespace packshelf {

// The text after the last dot of the last path component ("" without one).
QString pathExtension(const QString& path);

// The last path component without its last dot and extension.
QString baseName(const QString& path);

// True when the name's extension, upper-cased, is "ZIP".
bool hasArchiveExtension(const QString& name);

// A nested archive: a file entry of the archive extension that is no junk,
// described and installed as a folder of its content, named by
// nestedFolderName().
bool isNestedArchiveName(const QString& name);

// The folder a nested archive's content goes in: its base name; empty when
// no folder can be named after it ("", "." or "..").
QString nestedFolderName(const QString& name);

// Which nested archives an install unpacks. One at the archive's top
// level is unpacked by every install into the folder named after it,
// beside it; one deeper only when what the install copies lies inside it.
// `nestedFolder` is the folder the tree shows for the nested archive's
// content (the path of the folder holding it joined with its folder name),
// `copied` the folder an install copies from ("" the top level). A nested
// archive that an install copies and does not unpack is written as the
// archive file it is, and nothing inside it is written.
bool isUnpackedByInstall(const QString& nestedFolder, const QString& copied);

// True when `path` is `folder` or lies below it; every path lies at or
// below the top level, "".
bool isAtOrBelow(const QString& path, const QString& folder);

// Entries that are never described or copied: names that begin with
// "__MACOSX" and names that are exactly ".DS_Store".
bool isJunkEntry(const QString& name);

// Joins a path and one more component with a single "/"; joining onto an
// empty path gives the component alone, joining an empty component gives
// the path itself.
QString joinPath(const QString& path, const QString& component);

} // namespace packshelf
