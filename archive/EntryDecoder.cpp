#include "archive/EntryDecoder.h"

#include <optional>

#include "archive/ArchiveIndex.h"
#include "archive/EntrySupport.h"
#include "archive/MethodDecoders.h"
#include "archive/PkwareCipher.h"
#include "archive/PkwareSource.h"
#include "archive/PpmdDecoder.h"
#include "archive/StoredRange.h"
#include "archive/StreamArchive.h"
#include "archive/WinZipAesSource.h"
#include "core/EngineText.h"

namespace packshelf {

namespace {

// The byte an entry's PKWARE encryption header ends with: the high byte of
// the CRC-32, or of the MS-DOS time when the CRC-32 follows the data.
unsigned char pkwareCheckByte(const IndexEntry& entry) {
    return (entry.flags & FlagDataDescriptor) ? (entry.dosDate >> 8) & 0xff
                                              : (entry.crc >> 24) & 0xff;
}

} // namespace

EntryDecoder::EntryDecoder(const ZipInput& input, const IndexEntry& entry, const Password* password,
                           const std::atomic<bool>* cancel)
    : m_input(input)
    , m_entry(entry)
    , m_password(password)
    , m_cancel(cancel) {}

EntryDecoder::Status EntryDecoder::decodeMethod(ByteSource& in, DecodedOutput& out,
                                                quint64 storedSize) {
    switch (m_entry.method) {
    case MethodStored:
        return copyStored(in, out);
    case MethodDeflate:
        return inflateDeflate(in, out);
    case MethodBzip2:
        return decodeBzip2(in, out);
    case MethodLzma:
        return decodeZipLzma(in, out, m_entry.flags & FlagLzmaEndMarker);
    case MethodXz:
        return decodeXz(in, out);
    case MethodZstd:
    case MethodZstdOld:
        return decodeZstd(in, out);
    case MethodPpmd:
        return decodePpmd(in, out, storedSize);
    default:
        return Status::Unsupported;
    }
}

EntryDecoder::Status EntryDecoder::decode(const EntrySink& sink) {
    if (!hasDecoder(m_entry.method))
        return Status::Unsupported;
    StoredRange stored(m_input, m_entry.dataOffset, m_entry.compressedSize, m_cancel);
    ByteSource* in = &stored;
    quint64 storedSize = m_entry.compressedSize;
    std::optional<PkwareSource> pkware;
    std::optional<WinZipAesSource> aes;
    if (m_entry.encrypted) {
        if (!m_password)
            return Status::NoPassword;
        if (m_entry.aesStrength != 0) {
            aes.emplace(stored, *m_password, m_entry.aesStrength, storedSize);
            in = &*aes;
            storedSize -= std::min(storedSize, WinZipAesSource::overhead(m_entry.aesStrength));
        } else {
            pkware.emplace(stored, *m_password, pkwareCheckByte(m_entry));
            in = &*pkware;
            storedSize -= std::min<quint64>(storedSize, PkwareCipher::HeaderSize);
        }
    }
    DecodedOutput out(m_entry.uncompressedSize, sink);
    if (const Status decoded = decodeMethod(*in, out, storedSize); decoded != Status::Ok)
        return decoded;
    // Whatever follows the method's stream is read too: an AES entry's
    // authentication code comes after it.
    if (aes) {
        unsigned char rest[256];
        for (qint64 got; (got = aes->read(rest, sizeof rest)) != 0;) {
            if (got < 0)
                return aes->failure();
        }
    }
    const bool crcKnown = m_entry.aesVersion != 2;
    return out.finish(crcKnown ? &m_entry.crc : nullptr);
}

Status readEntryData(const ZipInput& input, const IndexEntry& entry, const EntrySink& sink,
                     const std::atomic<bool>* cancel, const Password* password) {
    if (entry.streamed)
        return readStreamedEntry(input, entry, sink, cancel);
    const EntryDecoder::Status status = EntryDecoder(input, entry, password, cancel).decode(sink);
    if (status == EntryDecoder::Status::Ok)
        return {};
    // A wrong password passes the check of a PKWARE header once in 256
    // times: what it decrypts then is garbage.
    if (entry.encrypted && entry.aesStrength == 0 &&
        (status == EntryDecoder::Status::CrcError || status == EntryDecoder::Status::Damaged))
        return fail(EngineText::tr("wrong password for %1, or damaged data").arg(entry.name));
    return fail(decodeProblem(status, entry.name));
}

} // namespace packshelf
