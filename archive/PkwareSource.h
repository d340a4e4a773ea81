#pragma once

#include <optional>

#include "archive/ByteSource.h"
#include "archive/PkwareCipher.h"

namespace packshelf {

class Password;

// The bytes of an entry under traditional PKWARE encryption, decrypted:
// the 12-byte encryption header is read first, and its last byte must be
// `checkByte` (a wrong password shows there, 255 times in 256).
class PkwareSource : public ByteSource {
public:
    PkwareSource(ByteSource& encrypted, const Password& password, unsigned char checkByte);

    qint64 read(unsigned char* data, std::size_t size) override;

private:
    ByteSource& m_encrypted;
    PkwareCipher m_cipher;
    unsigned char m_checkByte;
    bool m_headerRead = false;
};

} // namespace packshelf
