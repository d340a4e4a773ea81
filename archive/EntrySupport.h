#pragma once

#include "archive/ZipRecords.h"
#include "core/Result.h"
#include <QString>

namespace packshelf {

// The compression methods and encryption the reader handles, and the words
// that tell a user which ones an entry it refuses uses.

inline constexpr int MethodStored = 0;
inline constexpr int MethodDeflate = 8;
inline constexpr int MethodBzip2 = 12;
inline constexpr int MethodLzma = 14;
inline constexpr int MethodZstdOld = 20; // as some writers number Zstandard
inline constexpr int MethodZstd = 93;
inline constexpr int MethodXz = 95;
inline constexpr int MethodPpmd = 98;
inline constexpr int MethodAes = 99;

inline constexpr quint16 FlagEncrypted = 0x1;
inline constexpr quint16 FlagLzmaEndMarker = 0x2;
inline constexpr quint16 FlagDataDescriptor = 0x8;
inline constexpr quint16 FlagStrongEncryption = 0x40;
inline constexpr quint16 FlagUtf8 = 0x800;

// The number and the name of a compression method, such as "12 bzip2";
// the number alone for a method the format does not name.
QString describeMethod(int method);

// Whether entries compressed with `method` have a decoder here.
bool hasDecoder(int method);

// The encryption of an encrypted entry of AES strength `aesStrength` (0 for
// none: traditional PKWARE), in words: "traditional PKWARE encryption",
// "AES-256 encryption".
QString describeEncryption(int aesStrength);

// Fails, saying why, when the entry `name` described by `record` cannot be
// read with any password: an encryption that cannot be decrypted (PKWARE's
// strong encryption, an AES field that is missing or unknown), or a
// compression method that has no decoder here.
Status checkEntryReadable(const zipformat::CentralRecord& record, const QString& name);

} // namespace packshelf
