#pragma once

#include "archive/ByteSource.h"

namespace packshelf {

class DecodedOutput;

// 98: PPMd (variant H), through libarchive's zip reader: the entry's
// `storedSize` bytes from `in` (already decrypted) are handed to it behind
// a local header of its own that declares the method and the sizes, so
// that libarchive decodes exactly this entry, in one pass.
DecodeStatus decodePpmd(ByteSource& in, DecodedOutput& out, quint64 storedSize);

} // namespace packshelf
