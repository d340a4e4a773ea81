#pragma once

#include <QtGlobal>
#include <cstddef>

namespace packshelf {

// How decoding an entry ended.
enum class DecodeStatus : quint8 {
    Ok,
    Damaged,       // the data cannot be decoded, or ends early
    TooLong,       // more bytes than the entry declares
    CrcError,      // the content does not match its CRC-32
    SinkFailed,    // the receiver refused a piece
    ReadFailed,    // the archive could not be read
    Cancelled,     // the read was asked to stop
    NoPassword,    // the entry is encrypted and no password was given
    WrongPassword, // the password does not open the entry
    NotAuthentic,  // an AES entry's authentication code does not match
    TooMuchMemory, // the method asks for more memory than an entry may take
    Unsupported,   // a method or an encryption this reader has no decoder for
};

// Bytes of an entry read in order, as they lie in the archive or after a
// layer (decryption) over them.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `data`: how many, 0 at the end; -1 when they
    // cannot be had, with failure() saying why.
    virtual qint64 read(unsigned char* data, std::size_t size) = 0;
    DecodeStatus failure() const { return m_failure; }

protected:
    qint64 failWith(DecodeStatus status) {
        m_failure = status;
        return -1;
    }

private:
    DecodeStatus m_failure = DecodeStatus::Damaged;
};

} // namespace packshelf
