#pragma once

#include <QByteArray>

namespace packshelf {

class ZipInput;

// A digest of every header of a RAR 4 or RAR 5 archive as it lies in the
// file, each file's CRC-32 among them: libarchive hands out names, sizes
// and times but not the CRCs, so this is what tells a repacked archive with
// the same listing from the one that was read. Empty when the input is
// neither (or cannot be read); headers past an encryption header or past
// where the input ends are not walked, as libarchive refuses those
// archives.
QByteArray rarHeadersIdentity(const ZipInput& input);

} // namespace packshelf
