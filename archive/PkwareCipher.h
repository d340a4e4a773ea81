#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstddef>
#include <cstdint>

namespace packshelf {

// Traditional PKWARE encryption ("ZipCrypto"): the three-key stream cipher
// of the zip format. The system's minizip is built without it, so the
// archive layer runs it itself: over an entry's stored bytes when reading,
// before minizip's raw writing when writing.
class PkwareCipher {
public:
    static constexpr int HeaderSize = 12;

    explicit PkwareCipher(QByteArrayView password);

    void decrypt(unsigned char* data, std::size_t size);
    void encrypt(unsigned char* data, std::size_t size);

    // Builds the 12-byte encryption header for an entry whose check byte is
    // `checkByte` (high byte of the CRC-32, or of the DOS time with a data
    // descriptor). Random bytes come from the system's random source.
    QByteArray makeHeader(unsigned char checkByte);

private:
    unsigned char keystreamByte() const;
    void updateKeys(unsigned char plain);

    std::uint32_t m_keys[3];
};

} // namespace packshelf
