#pragma once

#include <QString>
#include <cstddef>

#include "core/Result.h"

// Reading and writing through POSIX descriptors, the one way the engine
// does it: interrupted calls are made again, short ones go on, and a
// failure says the system's reason, taken from errno right where the call
// failed.
namespace packshelf {

// The system's words for an errno value.
QString systemReason(int error);

// Writes all `size` bytes of `data`. A write that makes no progress fails
// as an I/O error rather than looping.
Status writeAll(int fd, const char* data, std::size_t size);

// Reads up to `size` bytes into `data`: how many were read, 0 at the end.
Result<std::size_t> readSome(int fd, char* data, std::size_t size);

} // namespace packshelf
