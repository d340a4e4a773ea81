#pragma once

#include "archive/ZipRecords.h"
#include "core/Result.h"
#include <QString>

namespace packshelf {

// The compression methods and encryption the reader handles, and the words
// that tell a user which ones an entry it refuses uses.

inline constexpr int MethodStored = 0;
inline constexpr int MethodDeflate = 8;
inline constexpr int MethodAes = 99;

inline constexpr quint16 FlagEncrypted = 0x1;
inline constexpr quint16 FlagDataDescriptor = 0x8;
inline constexpr quint16 FlagStrongEncryption = 0x40;
inline constexpr quint16 FlagUtf8 = 0x800;

// The number and the name of a compression method, such as "12 bzip2";
// the number alone for a method the format does not name.
QString describeMethod(int method);

// Fails, saying why, when the entry `name` described by `record` cannot be
// read: an encryption that cannot be decrypted (any encryption when
// `passwordGiven` is false), or a compression method other than stored and
// deflate.
Status checkEntryReadable(const zipformat::CentralRecord& record, const QString& name,
                          bool passwordGiven);

} // namespace packshelf
