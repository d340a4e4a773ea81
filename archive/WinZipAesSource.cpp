#include "archive/WinZipAesSource.h"

#include <cstring>
#include <nettle/aes.h>
#include <nettle/hmac.h>
#include <nettle/memops.h>
#include <nettle/pbkdf2.h>

#include "archive/Password.h"

namespace packshelf {

namespace {

constexpr unsigned Iterations = 1000;
constexpr std::size_t VerifierSize = 2;
constexpr std::size_t CodeSize = 10;
constexpr std::size_t Block = AES_BLOCK_SIZE;
// Key stream made at once: a few hundred blocks.
constexpr std::size_t StreamBlocks = 256;

std::size_t keySize(int strength) {
    return 8 + 8 * std::size_t(strength);
}

std::size_t saltSize(int strength) {
    return keySize(strength) / 2;
}

} // namespace

// The keys derived from the password and the salt, and the counter-mode
// state: the counter is a little-endian number of 16 bytes that begins
// at 1.
struct WinZipAesSource::Keys {
    int strength = 3;
    union {
        aes128_ctx aes128;
        aes192_ctx aes192;
        aes256_ctx aes256;
    } aes;
    hmac_sha1_ctx hmac;
    unsigned char counter[Block] = {};
    unsigned char stream[Block * StreamBlocks];
    std::size_t streamUsed = sizeof stream;

    ~Keys() { ::explicit_bzero(this, sizeof *this); }

    void setKey(const unsigned char* key) {
        switch (strength) {
        case 1:
            aes128_set_encrypt_key(&aes.aes128, key);
            break;
        case 2:
            aes192_set_encrypt_key(&aes.aes192, key);
            break;
        default:
            aes256_set_encrypt_key(&aes.aes256, key);
            break;
        }
    }

    void encryptBlocks(unsigned char* out, const unsigned char* in, std::size_t length) {
        switch (strength) {
        case 1:
            aes128_encrypt(&aes.aes128, length, out, in);
            break;
        case 2:
            aes192_encrypt(&aes.aes192, length, out, in);
            break;
        default:
            aes256_encrypt(&aes.aes256, length, out, in);
            break;
        }
    }

    void refillStream() {
        unsigned char counters[Block * StreamBlocks];
        for (std::size_t b = 0; b < StreamBlocks; ++b) {
            for (std::size_t i = 0; i < Block && ++counter[i] == 0; ++i) {
            }
            std::memcpy(counters + b * Block, counter, Block);
        }
        encryptBlocks(stream, counters, sizeof stream);
        streamUsed = 0;
    }

    void decrypt(unsigned char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            if (streamUsed == sizeof stream)
                refillStream();
            data[i] ^= stream[streamUsed++];
        }
    }
};

WinZipAesSource::WinZipAesSource(ByteSource& encrypted, const Password& password, int strength,
                                 quint64 storedSize)
    : m_encrypted(encrypted)
    , m_password(password)
    , m_strength(strength)
    , m_storedSize(storedSize) {}

WinZipAesSource::~WinZipAesSource() = default;

quint64 WinZipAesSource::overhead(int strength) {
    return saltSize(strength) + VerifierSize + CodeSize;
}

bool WinZipAesSource::readExactly(unsigned char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const qint64 got = m_encrypted.read(data + done, size - done);
        if (got <= 0) {
            failWith(got < 0 ? m_encrypted.failure() : DecodeStatus::Damaged);
            return false;
        }
        done += std::size_t(got);
    }
    return true;
}

// Reads the salt and the verifier and derives the keys: false, with the
// reason, when the password is not the one.
bool WinZipAesSource::begin() {
    if (m_strength < 1 || m_strength > 3) {
        failWith(DecodeStatus::Unsupported);
        return false;
    }
    if (m_storedSize < overhead(m_strength)) {
        failWith(DecodeStatus::Damaged);
        return false;
    }
    const std::size_t salt = saltSize(m_strength);
    const std::size_t key = keySize(m_strength);
    unsigned char header[16 + VerifierSize];
    if (!readExactly(header, salt + VerifierSize))
        return false;
    unsigned char derived[2 * 32 + VerifierSize];
    const QByteArrayView password = m_password.bytes();
    pbkdf2_hmac_sha1(std::size_t(password.size()),
                     reinterpret_cast<const uint8_t*>(password.data()), Iterations, salt, header,
                     2 * key + VerifierSize, derived);
    const bool fits = memeql_sec(derived + 2 * key, header + salt, VerifierSize);
    if (fits) {
        m_keys = std::make_unique<Keys>();
        m_keys->strength = m_strength;
        m_keys->setKey(derived);
        hmac_sha1_set_key(&m_keys->hmac, key, derived + key);
    }
    ::explicit_bzero(derived, sizeof derived);
    if (!fits) {
        failWith(DecodeStatus::WrongPassword);
        return false;
    }
    m_dataLeft = m_storedSize - overhead(m_strength);
    m_begun = true;
    return true;
}

// After the data: the authentication code must be the one of the data read.
qint64 WinZipAesSource::end() {
    unsigned char stored[CodeSize];
    if (!readExactly(stored, CodeSize))
        return -1;
    unsigned char computed[CodeSize];
    hmac_sha1_digest(&m_keys->hmac, CodeSize, computed);
    if (!memeql_sec(stored, computed, CodeSize))
        return failWith(DecodeStatus::NotAuthentic);
    m_ended = true;
    return 0;
}

qint64 WinZipAesSource::read(unsigned char* data, std::size_t size) {
    if (!m_begun && !begin())
        return -1;
    if (m_ended)
        return 0;
    if (m_dataLeft == 0)
        return end();
    const qint64 got = m_encrypted.read(data, std::size_t(std::min<quint64>(size, m_dataLeft)));
    if (got < 0)
        return failWith(m_encrypted.failure());
    if (got == 0)
        return failWith(DecodeStatus::Damaged);
    m_dataLeft -= quint64(got);
    hmac_sha1_update(&m_keys->hmac, std::size_t(got), data);
    m_keys->decrypt(data, std::size_t(got));
    return got;
}

} // namespace packshelf
