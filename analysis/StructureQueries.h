#pragma once

#include <QString>
#include <optional>

#include "analysis/ContentTree.h"

// Reading and searching a content tree. A null tree reads as an empty one.
// The two searches mark the folder they find ("IS_" plus the search name),
// so that the next search for the same name finds the next such folder.
namespace packshelf {

struct StructureCount {
    qint64 folders = 0; // "FOLDERS": folder nodes at every depth
    qint64 files = 0;   // "FILES": file nodes at every depth
};

StructureCount structureCounting(const ContentTree* structure);

// Finds and marks the first unmarked top-level folder whose upper-cased name
// equals `name`.
bool locateFolderOnlevel1(const QString& name, ContentTree* structure);

// The same at any depth, in pre-order; a marked match is looked into.
bool locateFolderOnlevelDeep(const QString& name, ContentTree* structure);

// The path of the folder that holds the first match in pre-order (marks
// ignored): `currentpath` joined with the folder names on the way; "" for a
// match at the top. Nothing when no folder matches.
std::optional<QString> locatePath(const QString& name, const ContentTree* structure,
                                  const QString& currentpath);

// The entries of the folder at `path` of the tree ("" the top level),
// following folder names from the top; null when the tree has no such
// folder.
const ContentTree* entriesAt(const ContentTree* tree, const QString& path);

// True when both holder paths are the same path. An absent first path
// answers yes; a present first path and an absent second one answer no.
bool pathsInSameParent(const std::optional<QString>& path, const std::optional<QString>& other);

// The key of the mark a search for `name` sets.
QString markKey(const QString& name);

} // namespace packshelf
