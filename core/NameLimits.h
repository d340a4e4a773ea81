#pragma once

#include <QStringView>

#include "core/Result.h"

// What a Linux file system holds: names of at most 255 bytes and paths of
// at most 4,095 (PATH_MAX less its terminating NUL), counted in UTF-8, the
// encoding of file names here. The archive's tree, the install's plan and
// the library's records all measure names by these.
namespace packshelf {

inline constexpr qsizetype NameBytesMax = 255;
inline constexpr qsizetype PathBytesMax = 4095;

// The length of `text` in UTF-8, counted without encoding it: records name
// hundreds of thousands of paths. A lone surrogate counts as the "?" that
// QFile::encodeName() writes for it.
qsizetype utf8Length(QStringView text);

// Fails when this system cannot hold `path` (names joined with "/"): with
// "a name too long for this system" when one of its names is longer than
// NameBytesMax, else with "a path too long for this system" when the whole
// is longer than PathBytesMax.
Status checkNameLengths(QStringView path);

} // namespace packshelf
