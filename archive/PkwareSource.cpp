#include "archive/PkwareSource.h"

#include "archive/Password.h"

namespace packshelf {

PkwareSource::PkwareSource(ByteSource& encrypted, const Password& password, unsigned char checkByte)
    : m_encrypted(encrypted)
    , m_cipher(password.bytes())
    , m_checkByte(checkByte) {}

qint64 PkwareSource::read(unsigned char* data, std::size_t size) {
    if (!m_headerRead) {
        unsigned char header[PkwareCipher::HeaderSize];
        for (std::size_t done = 0; done < sizeof header;) {
            const qint64 got = m_encrypted.read(header + done, sizeof header - done);
            if (got < 0)
                return failWith(m_encrypted.failure());
            if (got == 0)
                return failWith(DecodeStatus::Damaged);
            done += std::size_t(got);
        }
        m_cipher.decrypt(header, sizeof header);
        if (header[PkwareCipher::HeaderSize - 1] != m_checkByte)
            return failWith(DecodeStatus::WrongPassword);
        m_headerRead = true;
    }
    const qint64 got = m_encrypted.read(data, size);
    if (got < 0)
        return failWith(m_encrypted.failure());
    m_cipher.decrypt(data, std::size_t(got));
    return got;
}

} // namespace packshelf
