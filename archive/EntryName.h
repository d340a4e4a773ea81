#pragma once

#include <QByteArray>
#include <QString>

namespace packshelf {

// Turns a zip entry's raw name into text: UTF-8 when the bytes are valid
// UTF-8 (as they must be when the entry's UTF-8 flag, general purpose bit
// 11, is set), otherwise CP437, the zip format's own code page, also for a
// flagged name whose bytes are not UTF-8, so that distinct names stay
// distinct. Bytes below 128 come out unchanged.
QString decodeEntryName(const QByteArray& raw, bool utf8Flag);

// True when the entry may be written under a target folder: no NUL byte,
// not absolute, no drive letter, and no ".." component. `name` is the decoded
// name with backslashes already turned into slashes.
bool isSafeEntryName(const QByteArray& raw, const QString& name);

} // namespace packshelf
