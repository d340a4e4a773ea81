#include "archive/MethodDecoders.h"

#include <QByteArrayView>
#include <bzlib.h>
#include <lzma.h>
#include <memory>
#include <zlib.h>
#include <zstd.h>
#include <zstd_errors.h>

#include "archive/DecodedOutput.h"

namespace packshelf {

namespace {

constexpr std::size_t InputSize = 256 * 1024;
constexpr std::size_t OutputSize = 64 * 1024;

// The input of a streaming decoder: refilled from the source whenever the
// decoder has taken all of it.
class InputBuffer {
public:
    explicit InputBuffer(ByteSource& source)
        : m_source(source)
        , m_bytes(std::make_unique_for_overwrite<unsigned char[]>(InputSize)) {}

    // Refills when empty: false when the source failed; `ended()` when it
    // had nothing more.
    bool refill() {
        if (m_left > 0 || m_ended)
            return true;
        const qint64 got = m_source.read(m_bytes.get(), InputSize);
        if (got < 0)
            return false;
        m_next = m_bytes.get();
        m_left = std::size_t(got);
        m_ended = got == 0;
        return true;
    }
    const unsigned char* next() const { return m_next; }
    std::size_t left() const { return m_left; }
    bool ended() const { return m_ended && m_left == 0; }
    void consumed(std::size_t count) {
        m_next += count;
        m_left -= count;
    }
    DecodeStatus failure() const { return m_source.failure(); }

private:
    ByteSource& m_source;
    std::unique_ptr<unsigned char[]> m_bytes;
    const unsigned char* m_next = nullptr;
    std::size_t m_left = 0;
    bool m_ended = false;
};

// An output buffer for the decoders that write into one.
struct OutputBuffer {
    unsigned char bytes[OutputSize];
};

} // namespace

DecodeStatus copyStored(ByteSource& in, DecodedOutput& out) {
    const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(InputSize);
    for (;;) {
        const qint64 got = in.read(buffer.get(), InputSize);
        if (got < 0)
            return in.failure();
        if (got == 0)
            return DecodeStatus::Ok;
        if (const DecodeStatus status = out.deliver(buffer.get(), std::size_t(got));
            status != DecodeStatus::Ok)
            return status;
    }
}

DecodeStatus inflateDeflate(ByteSource& in, DecodedOutput& out) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return DecodeStatus::TooMuchMemory;
    const std::unique_ptr<z_stream, decltype(&inflateEnd)> ended(&stream, &inflateEnd);
    InputBuffer input(in);
    auto output = std::make_unique<OutputBuffer>();
    for (;;) {
        if (!input.refill())
            return input.failure();
        stream.next_in = const_cast<unsigned char*>(input.next());
        stream.avail_in = uInt(input.left());
        stream.next_out = output->bytes;
        stream.avail_out = OutputSize;
        const int status = inflate(&stream, Z_NO_FLUSH);
        input.consumed(input.left() - stream.avail_in);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            return DecodeStatus::Damaged;
        const std::size_t produced = OutputSize - stream.avail_out;
        if (const DecodeStatus delivered = out.deliver(output->bytes, produced);
            delivered != DecodeStatus::Ok)
            return delivered;
        if (status == Z_STREAM_END)
            return DecodeStatus::Ok;
        if (input.ended() && produced == 0)
            return DecodeStatus::Damaged;
    }
}

DecodeStatus decodeBzip2(ByteSource& in, DecodedOutput& out) {
    bz_stream stream{};
    if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK)
        return DecodeStatus::TooMuchMemory;
    const std::unique_ptr<bz_stream, decltype(&BZ2_bzDecompressEnd)> ended(&stream,
                                                                           &BZ2_bzDecompressEnd);
    InputBuffer input(in);
    auto output = std::make_unique<OutputBuffer>();
    for (;;) {
        if (!input.refill())
            return input.failure();
        stream.next_in = reinterpret_cast<char*>(const_cast<unsigned char*>(input.next()));
        stream.avail_in = unsigned(input.left());
        stream.next_out = reinterpret_cast<char*>(output->bytes);
        stream.avail_out = OutputSize;
        const int status = BZ2_bzDecompress(&stream);
        input.consumed(input.left() - stream.avail_in);
        if (status != BZ_OK && status != BZ_STREAM_END)
            return status == BZ_MEM_ERROR ? DecodeStatus::TooMuchMemory : DecodeStatus::Damaged;
        const std::size_t produced = OutputSize - stream.avail_out;
        if (const DecodeStatus delivered = out.deliver(output->bytes, produced);
            delivered != DecodeStatus::Ok)
            return delivered;
        if (status == BZ_STREAM_END)
            return DecodeStatus::Ok;
        if (input.ended() && produced == 0)
            return DecodeStatus::Damaged;
    }
}

namespace {

// Runs a liblzma decoder over `header` (bytes that precede the input),
// then over the input, until its stream ends.
DecodeStatus runLzma(lzma_stream& stream, InputBuffer& input, DecodedOutput& out,
                     QByteArrayView header = {}) {
    auto output = std::make_unique<OutputBuffer>();
    while (!header.isEmpty()) {
        stream.next_in = reinterpret_cast<const uint8_t*>(header.data());
        stream.avail_in = std::size_t(header.size());
        stream.next_out = output->bytes;
        stream.avail_out = OutputSize;
        const lzma_ret status = lzma_code(&stream, LZMA_RUN);
        if (status == LZMA_MEMLIMIT_ERROR || status == LZMA_MEM_ERROR)
            return DecodeStatus::TooMuchMemory;
        if (status != LZMA_OK || stream.avail_out != OutputSize)
            return DecodeStatus::Damaged;
        header = header.sliced(header.size() - qsizetype(stream.avail_in));
    }
    for (;;) {
        if (!input.refill())
            return input.failure();
        stream.next_in = input.next();
        stream.avail_in = input.left();
        stream.next_out = output->bytes;
        stream.avail_out = OutputSize;
        const lzma_ret status = lzma_code(&stream, input.ended() ? LZMA_FINISH : LZMA_RUN);
        input.consumed(input.left() - stream.avail_in);
        if (status == LZMA_MEMLIMIT_ERROR || status == LZMA_MEM_ERROR)
            return DecodeStatus::TooMuchMemory;
        if (status != LZMA_OK && status != LZMA_STREAM_END)
            return DecodeStatus::Damaged;
        const std::size_t produced = OutputSize - stream.avail_out;
        if (const DecodeStatus delivered = out.deliver(output->bytes, produced);
            delivered != DecodeStatus::Ok)
            return delivered;
        if (status == LZMA_STREAM_END)
            return DecodeStatus::Ok;
        if (input.ended() && produced == 0)
            return DecodeStatus::Damaged;
    }
}

// Reads exactly `size` bytes from the start of the input.
bool readPrefix(InputBuffer& input, unsigned char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        if (!input.refill() || input.ended())
            return false;
        const std::size_t take = std::min(size - done, input.left());
        std::copy_n(input.next(), take, data + done);
        input.consumed(take);
        done += take;
    }
    return true;
}

} // namespace

DecodeStatus decodeZipLzma(ByteSource& in, DecodedOutput& out, bool endMarked) {
    // Two bytes of the encoder's version, two of the properties' size (5),
    // then the properties: those of an .lzma file's header, which also
    // holds the uncompressed size (all ones: until the end marker).
    constexpr std::size_t ZipHeader = 4;
    constexpr std::size_t Properties = 5;
    InputBuffer input(in);
    unsigned char zipHeader[ZipHeader];
    unsigned char aloneHeader[Properties + 8];
    if (!readPrefix(input, zipHeader, ZipHeader))
        return input.failure() == DecodeStatus::Ok ? DecodeStatus::Damaged : input.failure();
    if (zipHeader[2] != Properties || zipHeader[3] != 0)
        return DecodeStatus::Damaged;
    if (!readPrefix(input, aloneHeader, Properties))
        return DecodeStatus::Damaged;
    const quint64 size = endMarked ? ~quint64(0) : out.room();
    for (int i = 0; i < 8; ++i)
        aloneHeader[Properties + std::size_t(i)] = static_cast<unsigned char>(size >> (8 * i));

    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&stream, DecoderMemoryLimit) != LZMA_OK)
        return DecodeStatus::TooMuchMemory;
    const std::unique_ptr<lzma_stream, decltype(&lzma_end)> ended(&stream, &lzma_end);
    return runLzma(stream, input, out,
                   QByteArrayView(reinterpret_cast<const char*>(aloneHeader), sizeof aloneHeader));
}

DecodeStatus decodeXz(ByteSource& in, DecodedOutput& out) {
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_stream_decoder(&stream, DecoderMemoryLimit, 0) != LZMA_OK)
        return DecodeStatus::TooMuchMemory;
    const std::unique_ptr<lzma_stream, decltype(&lzma_end)> ended(&stream, &lzma_end);
    InputBuffer input(in);
    return runLzma(stream, input, out);
}

DecodeStatus decodeZstd(ByteSource& in, DecodedOutput& out) {
    const std::unique_ptr<ZSTD_DStream, decltype(&ZSTD_freeDStream)> stream(ZSTD_createDStream(),
                                                                            &ZSTD_freeDStream);
    if (!stream)
        return DecodeStatus::TooMuchMemory;
    // A window larger than the memory an entry may take is refused.
    int windowLog = 10;
    while ((quint64(1) << (windowLog + 1)) <= DecoderMemoryLimit)
        ++windowLog;
    if (ZSTD_isError(ZSTD_DCtx_setParameter(stream.get(), ZSTD_d_windowLogMax, windowLog)))
        return DecodeStatus::TooMuchMemory;
    InputBuffer input(in);
    auto output = std::make_unique<OutputBuffer>();
    // 0 once a frame has ended and nothing of another has been read.
    std::size_t pending = 1;
    for (;;) {
        if (!input.refill())
            return input.failure();
        if (input.ended() && pending == 0)
            return DecodeStatus::Ok;
        ZSTD_inBuffer from{input.next(), input.left(), 0};
        ZSTD_outBuffer to{output->bytes, OutputSize, 0};
        pending = ZSTD_decompressStream(stream.get(), &to, &from);
        input.consumed(from.pos);
        if (ZSTD_isError(pending)) {
            return ZSTD_getErrorCode(pending) == ZSTD_error_frameParameter_windowTooLarge
                       ? DecodeStatus::TooMuchMemory
                       : DecodeStatus::Damaged;
        }
        if (const DecodeStatus delivered = out.deliver(output->bytes, to.pos);
            delivered != DecodeStatus::Ok)
            return delivered;
        if (input.ended() && pending != 0 && to.pos == 0)
            return DecodeStatus::Damaged;
    }
}

} // namespace packshelf
