#pragma once

#include <QByteArray>
#include <QString>

namespace packshelf {

// Turns a zip entry's raw name into text: UTF-8 when the entry's UTF-8 flag
// (general purpose bit 11) is set or the bytes are valid UTF-8, otherwise
// CP437, the zip format's own code page. Bytes below 128 come out unchanged.
QString decodeEntryName(const QByteArray& raw, bool utf8Flag);

// True when the entry may be written under a target folder: no NUL byte,
// not absolute, no drive letter, and no ".." component. `name` is the decoded
// name with backslashes already turned into slashes.
bool isSafeEntryName(const QByteArray& raw, const QString& name);

} // namespace packshelf
