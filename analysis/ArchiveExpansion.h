#pragma once

#include <QString>
#include <optional>

#include "analysis/ContentTree.h"

namespace packshelf {

// Archives nested deeper than this are described as folders without content.
inline constexpr int MaxNestingDepth = 16;

// Describes an archive (a path whose extension, upper-cased, is "ZIP") or a
// folder as a content tree. An archive is expanded into a fresh folder with
// a generated name inside `workdir`, archives found inside it are expanded
// and described in turn, and every expansion folder is removed before the
// call returns, also after a failure. Nothing when the archive cannot be
// opened or expanded; a folder that cannot be listed is empty.
std::optional<ContentTree> iterateAtPath(const QString& path, const QString& workdir);

} // namespace packshelf
