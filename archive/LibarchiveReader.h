#pragma once

#include <QString>
#include <archive.h>
#include <archive_entry.h>
#include <optional>

#include "archive/LibarchiveHandles.h"
#include "core/Result.h"

namespace packshelf {

// A libarchive reader of 7z and RAR (4 and 5) that asks libarchive only
// what its state allows. A failed call (an open, a header, a block of data)
// may leave the handle fit for nothing but archive_read_free(): after
// ARCHIVE_FATAL libarchive allows no other call, and a failed open leaves
// no format for a question to go to. So every failure keeps libarchive's
// message, frees the handle at once and answers that message; the reader
// is then closed, and every later call fails without touching libarchive.
class LibarchiveReader {
public:
    struct Callbacks {
        archive_read_callback* read = nullptr;
        archive_skip_callback* skip = nullptr;
        archive_seek_callback* seek = nullptr;
        void* data = nullptr; // must outlive the reader
    };
    struct Block {
        const void* data = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
    };

    // Opens a reader over `callbacks`; fails with libarchive's message.
    static Result<LibarchiveReader> open(const Callbacks& callbacks);

    // The next entry's header (warnings, such as a name that does not
    // convert, are passed over); nothing at the end of the archive.
    Result<std::optional<archive_entry*>> nextHeader();
    // The next block of the current entry's data; nothing at its end. A
    // warning fails too: libarchive warns of a CRC that does not match.
    Result<std::optional<Block>> nextBlock();

    bool isOpen() const { return bool(m_handle); }

private:
    explicit LibarchiveReader(handles::UniqueArchiveReader handle)
        : m_handle(std::move(handle)) {}
    // Keeps libarchive's message, frees the handle and fails with it.
    Failure close();

    handles::UniqueArchiveReader m_handle;
};

} // namespace packshelf
