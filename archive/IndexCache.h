#pragma once

#include <memory>
#include <optional>

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveIndex.h"
#include "archive/ZipInput.h"

namespace packshelf {

// The index of `input` (a zip archive, or a 7z or RAR archive read through
// libarchive when its first bytes say so), or why it cannot be used; read
// from it, or taken from the indexes read lately in this process when the
// input is a file opened by its path that is the very file read then and
// unchanged since (device, inode, size, and times of modification and
// change to the nanosecond): an archive analysed and then previewed or
// installed has its directory read once. A refusal is kept as an index is.
// The indexes kept are bounded by their entries; any thread may ask.
// `named`, the format the file's name gives, is named by the refusal of a
// file that cannot be read and does not begin as its name says.
Result<std::shared_ptr<const ArchiveIndex>>
cachedIndex(const FileInput& input, std::optional<ArchiveFormat> named = std::nullopt);

// cachedIndex() with a refusal told in the index's `problem`, for the one
// caller that has not moved to cachedIndex() yet.
std::shared_ptr<const ArchiveIndex> readArchiveIndexOnce(const FileInput& input);

} // namespace packshelf
