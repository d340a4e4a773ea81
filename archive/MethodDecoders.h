#pragma once

#include "archive/ByteSource.h"

namespace packshelf {

class DecodedOutput;

// The compression methods of the zip format that kept libraries decode,
// each read from `in` until its stream ends and delivered to `out`. A
// stream that ends early, or holds damage the library notices, is
// Damaged; bytes after the end of a stream are left unread.

// The memory a method may ask for to decode one entry (LZMA and XZ
// dictionaries, Zstandard windows): four workers at once stay within a
// gigabyte.
inline constexpr quint64 DecoderMemoryLimit = 256ull << 20;

// 0: the stored bytes as they are.
DecodeStatus copyStored(ByteSource& in, DecodedOutput& out);
// 8: deflate, through zlib.
DecodeStatus inflateDeflate(ByteSource& in, DecodedOutput& out);
// 12: bzip2, through libbz2.
DecodeStatus decodeBzip2(ByteSource& in, DecodedOutput& out);
// 14: LZMA as the zip format frames it (a version, the properties, then the
// raw stream; `endMarked` when general purpose bit 1 says an end marker
// closes it), through liblzma.
DecodeStatus decodeZipLzma(ByteSource& in, DecodedOutput& out, bool endMarked);
// 95: an XZ stream, through liblzma.
DecodeStatus decodeXz(ByteSource& in, DecodedOutput& out);
// 93 (and 20, as some writers number it): Zstandard frames, through libzstd.
DecodeStatus decodeZstd(ByteSource& in, DecodedOutput& out);

} // namespace packshelf
