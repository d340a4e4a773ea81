#pragma once

#include <memory>

#include "archive/ByteSource.h"

namespace packshelf {

class Password;

// The bytes of an entry under WinZip AES encryption (AE-1 and AE-2, keys
// of 128, 192 or 256 bits), decrypted through nettle: the salt and the
// password verifier come first (a wrong password shows there), then the
// data in AES counter mode, then an authentication code (HMAC-SHA1) over
// the encrypted data, checked when the data end.
class WinZipAesSource : public ByteSource {
public:
    // `strength` is the AES field's: 1, 2 or 3 for 128, 192 or 256 bits.
    // `storedSize` counts everything: salt, verifier, data and code.
    WinZipAesSource(ByteSource& encrypted, const Password& password, int strength,
                    quint64 storedSize);
    ~WinZipAesSource() override;

    qint64 read(unsigned char* data, std::size_t size) override;

    // What the salt, verifier and authentication code add to the data.
    static quint64 overhead(int strength);

private:
    struct Keys;

    bool readExactly(unsigned char* data, std::size_t size);
    bool begin();
    qint64 end();

    ByteSource& m_encrypted;
    const Password& m_password;
    int m_strength;
    quint64 m_storedSize;
    quint64 m_dataLeft = 0;
    bool m_begun = false;
    bool m_ended = false;
    std::unique_ptr<Keys> m_keys;
};

} // namespace packshelf
