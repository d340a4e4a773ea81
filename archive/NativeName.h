#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text for file names whose bytes need not be UTF-8, and back: Linux names
// are bytes, and a name that is not valid UTF-8 must still reach the very
// file it names.
namespace packshelf {

// True when `bytes` are valid UTF-8 (no overlong forms, no surrogates,
// nothing beyond U+10FFFF).
bool isUtf8(QByteArrayView bytes);

// The text of a name's bytes: valid UTF-8 decoded, each other byte kept as
// the lone surrogate U+DC80 to U+DCFF of its value, so that distinct names
// stay distinct and encodeNativeName() gives the bytes back exactly.
QString decodeNativeName(QByteArrayView bytes);

// The bytes of a text from decodeNativeName(): kept bytes as they were,
// everything else as UTF-8.
QByteArray encodeNativeName(QStringView text);

// A text from decodeNativeName() as it is shown to a person: each kept
// byte as "\xHH" (lib\xff), everything else as it is.
QString escapedNativeName(QStringView text);

} // namespace packshelf
