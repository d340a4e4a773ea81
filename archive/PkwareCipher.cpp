#include "archive/PkwareCipher.h"

#include <random>
#include <zlib.h>

namespace packshelf {

namespace {
std::uint32_t crc32Step(std::uint32_t crc, unsigned char byte) {
    static const z_crc_t* table = get_crc_table();
    return table[(crc ^ byte) & 0xff] ^ (crc >> 8);
}
} // namespace

PkwareCipher::PkwareCipher(QByteArrayView password)
    : m_keys{305419896u, 591751049u, 878082192u} {
    for (char c : password)
        updateKeys(static_cast<unsigned char>(c));
}

unsigned char PkwareCipher::keystreamByte() const {
    const std::uint32_t temp = (m_keys[2] & 0xffff) | 2;
    return static_cast<unsigned char>(((temp * (temp ^ 1)) >> 8) & 0xff);
}

void PkwareCipher::updateKeys(unsigned char plain) {
    m_keys[0] = crc32Step(m_keys[0], plain);
    m_keys[1] = (m_keys[1] + (m_keys[0] & 0xff)) * 134775813u + 1;
    m_keys[2] = crc32Step(m_keys[2], static_cast<unsigned char>(m_keys[1] >> 24));
}

void PkwareCipher::decrypt(unsigned char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        data[i] ^= keystreamByte();
        updateKeys(data[i]);
    }
}

void PkwareCipher::encrypt(unsigned char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char plain = data[i];
        data[i] ^= keystreamByte();
        updateKeys(plain);
    }
}

QByteArray PkwareCipher::makeHeader(unsigned char checkByte) {
    std::random_device random;
    QByteArray header(HeaderSize, '\0');
    for (int i = 0; i < HeaderSize - 1; ++i)
        header[i] = static_cast<char>(random() & 0xff);
    header[HeaderSize - 1] = static_cast<char>(checkByte);
    encrypt(reinterpret_cast<unsigned char*>(header.data()), HeaderSize);
    return header;
}

} // namespace packshelf
