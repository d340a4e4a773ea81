#pragma once

#include <archive.h>
#include <memory>

// Owning wrapper over libarchive's reading handle.
namespace packshelf::handles {

struct ArchiveReadFree {
    void operator()(struct archive* reader) const { archive_read_free(reader); }
};

using UniqueArchiveReader = std::unique_ptr<struct archive, ArchiveReadFree>;

} // namespace packshelf::handles
