#include "archive/NativeName.h"

namespace packshelf {

namespace {

constexpr char16_t KeptByteBase = 0xDC00;

// The UTF-8 sequence at the start of some bytes: its length (0 when the
// bytes there are not valid UTF-8) and its code point.
struct Utf8Sequence {
    qsizetype length = 0;
    char32_t codePoint = 0;
};

Utf8Sequence firstSequence(QByteArrayView bytes) {
    const auto lead = static_cast<unsigned char>(bytes.front());
    if (lead < 0x80)
        return {1, lead};
    // The lead byte tells the length, its own bits and the smallest code
    // point that needs that length (anything below is an overlong form).
    Utf8Sequence sequence;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        sequence = {2, char32_t(lead & 0x1F)};
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        sequence = {3, char32_t(lead & 0x0F)};
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        sequence = {4, char32_t(lead & 0x07)};
        smallest = 0x10000;
    } else {
        return {};
    }
    if (bytes.size() < sequence.length)
        return {};
    for (qsizetype i = 1; i < sequence.length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if ((next & 0xC0) != 0x80)
            return {};
        sequence.codePoint = (sequence.codePoint << 6) | (next & 0x3F);
    }
    const char32_t point = sequence.codePoint;
    if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return {};
    return sequence;
}

// The byte kept at `at` by decodeNativeName(), or -1 when the character
// there is ordinary text (a lone U+DC80..U+DCFF is a kept byte; one that
// ends a surrogate pair is not).
int keptByteAt(QStringView text, qsizetype at) {
    const char16_t c = text[at].unicode();
    if (c < KeptByteBase + 0x80 || c > KeptByteBase + 0xFF)
        return -1;
    if (at > 0 && QChar::isHighSurrogate(text[at - 1].unicode()))
        return -1;
    return c - KeptByteBase;
}

// Calls `text` for each run of ordinary text and `kept` for each kept byte,
// in order.
template <typename TextRun, typename KeptByte>
void forEachPart(QStringView text, TextRun textRun, KeptByte kept) {
    qsizetype runStart = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const int byte = keptByteAt(text, at);
        if (byte < 0)
            continue;
        textRun(text.sliced(runStart, at - runStart));
        kept(byte);
        runStart = at + 1;
    }
    textRun(text.sliced(runStart));
}

} // namespace

bool isUtf8(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const qsizetype length = firstSequence(bytes).length;
        if (length == 0)
            return false;
        bytes = bytes.sliced(length);
    }
    return true;
}

QString decodeNativeName(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        const Utf8Sequence sequence = firstSequence(bytes);
        if (sequence.length == 0) {
            text.append(QChar(char16_t(KeptByteBase + static_cast<unsigned char>(bytes.front()))));
            bytes = bytes.sliced(1);
            continue;
        }
        if (QChar::requiresSurrogates(sequence.codePoint)) {
            text.append(QChar(QChar::highSurrogate(sequence.codePoint)));
            text.append(QChar(QChar::lowSurrogate(sequence.codePoint)));
        } else {
            text.append(QChar(char16_t(sequence.codePoint)));
        }
        bytes = bytes.sliced(sequence.length);
    }
    return text;
}

QByteArray encodeNativeName(QStringView text) {
    QByteArray bytes;
    forEachPart(
        text, [&bytes](QStringView run) { bytes += run.toUtf8(); },
        [&bytes](int byte) { bytes += char(byte); });
    return bytes;
}

QString escapedNativeName(QStringView text) {
    QString shown;
    forEachPart(
        text, [&shown](QStringView run) { shown += run; },
        [&shown](int byte) {
            shown += QStringLiteral("\\x") + QString::number(byte, 16).rightJustified(2, u'0');
        });
    return shown;
}

} // namespace packshelf
