#pragma once

#include <QString>
#include <optional>

#include "analysis/ContentTree.h"

namespace packshelf::test {

// The content tree as it used to be made: the archive expanded into the
// work folder with ZipArchive::UnzipFileTo, nested archives expanded in
// turn, the folders walked and the expansions removed. The reference for
// the tree read from the index. Nothing when an expansion fails.
std::optional<ContentTree> expandAndWalk(const QString& archive, const QString& workdir);

} // namespace packshelf::test
