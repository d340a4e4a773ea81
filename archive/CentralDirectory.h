#pragma once

#include <QString>
#include <QtGlobal>

#include "core/Result.h"

namespace packshelf {

class ZipInput;

// Where an archive's central directory lies, as its end records (the end
// of central directory record and, in a Zip64 archive, the Zip64 end record
// its locator points to) declare it, checked against the input.
struct CentralDirectoryLocation {
    quint64 offset = 0;  // where its first record begins in the input
    quint64 size = 0;    // its bytes
    quint64 entries = 0; // the records it declares
    // Bytes before the archive that its offsets leave out (a self-extractor
    // stub prepended without adjusting them): added to every local header
    // offset.
    quint64 shift = 0;
    // The count comes from the 16-bit field alone (no Zip64 end record), so
    // a writer may have let it wrap past 65,535: the directory's records
    // decide.
    bool countMayWrap = false;
};

// Where the directory lies, or why it cannot be read: not an archive, a
// split archive (which part this is and where its directory begins),
// damaged end records.
Result<CentralDirectoryLocation> locateCentralDirectory(const ZipInput& input);

// Whether the input ends with an end of central directory record (within
// the reach of a comment): the mark of a zip archive, damaged or not.
bool hasEndRecord(const ZipInput& input);

} // namespace packshelf
