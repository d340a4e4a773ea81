#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace packshelf {

class ZipInput;

// The archive formats PackShelf reads: zip through its own reader, 7z and
// RAR (4 and 5) through libarchive.
enum class ArchiveFormat { Zip, SevenZip, Rar };

// The format a file name's extension names, in any letter case: ".zip",
// ".7z" or ".rar"; nothing for any other name.
std::optional<ArchiveFormat> archiveFormatOfName(QStringView name);

// True for a name of a 7z or RAR archive.
bool isStreamArchiveName(QStringView name);

// The format the first bytes of `input` announce: 7z and RAR by their
// signatures, zip for anything else (the zip reader says what it is not).
ArchiveFormat sniffArchiveFormat(const ZipInput& input);

// "zip", "7z" or "RAR".
QString formatName(ArchiveFormat format);

// Why a file named as a `named` archive cannot be read when its first
// bytes announce another format, `begins` (zip: neither 7z nor RAR), which
// could not be read either: the reason names the format of its name.
QString notAnArchiveOfItsName(ArchiveFormat named, ArchiveFormat begins);

} // namespace packshelf
