#pragma once

#include <QStringList>

#include "analysis/ContentTree.h"

namespace packshelf::test {

// Builds a content tree from paths: "A/B/" is a folder, "A/f.txt" a file;
// the folders on the way are made as needed. A folder path ending in "/-"
// is a folder without content. Order of first appearance is kept.
ContentTree treeFromPaths(const QStringList& paths);

} // namespace packshelf::test
