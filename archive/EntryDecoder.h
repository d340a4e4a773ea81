#pragma once

#include <QString>
#include <atomic>
#include <cstddef>

#include "archive/ByteSource.h"
#include "archive/DecodedOutput.h"
#include "core/Result.h"

namespace packshelf {

class Password;
class ZipInput;
struct IndexEntry;

// Turns an entry's stored bytes into its content, in one pass: decrypted
// (traditional PKWARE or WinZip AES) when it is encrypted, decoded by its
// method's decoder (stored, deflate, bzip2, LZMA, XZ, Zstandard, PPMd),
// every byte counted against the declared size, and the CRC-32 checked at
// the end (an AE-2 entry, which has none, by its authentication code), so
// that damaged data is never taken for whole.
class EntryDecoder {
public:
    using Status = DecodeStatus;

    // `password`: for an encrypted entry; `cancel`, when set, stops the read.
    EntryDecoder(const ZipInput& input, const IndexEntry& entry, const Password* password,
                 const std::atomic<bool>* cancel);

    Status decode(const EntrySink& sink);

private:
    Status decodeMethod(ByteSource& in, DecodedOutput& out, quint64 storedSize);

    const ZipInput& m_input;
    const IndexEntry& m_entry;
    const Password* m_password;
    const std::atomic<bool>* m_cancel;
};

// Reads one entry of an indexed archive straight from its data range (a
// 7z or RAR entry through a reader of its own) and hands the verified
// content to `sink`; a failure has a sentence for the user. `cancel`, when
// given and set, stops the read; `password` opens an encrypted entry.
Status readEntryData(const ZipInput& input, const IndexEntry& entry, const EntrySink& sink,
                     const std::atomic<bool>* cancel = nullptr, const Password* password = nullptr);

} // namespace packshelf
