#include "ui/PreviewContent.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QStringDecoder>
#include <algorithm>

#include "install/plan/ArchiveEntryReader.h"

namespace packshelf {

namespace {

// The largest side a preview keeps: enough for the larger window.
constexpr int KeptSide = 2560;
// 100 megapixels of 4 bytes each, in MiB: QImageReader refuses more.
constexpr int AllocationLimitMiB = 400;
// The share of printable bytes, in percent, that makes a file text when it
// is not valid UTF-8.
constexpr int PrintablePercent = 95;

struct TextGuess {
    QString text;
    QString encoding;
};

bool isPrintable(unsigned char byte) {
    return byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f';
}

// Decodes `bytes` whole; a piece cut from a longer file may end inside a
// character, which is then left out.
std::optional<QString> decodeAll(QStringConverter::Encoding encoding, const QByteArray& bytes,
                                 bool whole) {
    const int maxCut = whole ? 0 : 3;
    for (int cut = 0; cut <= maxCut && cut <= bytes.size(); ++cut) {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        QString text = decoder.decode(bytes.left(bytes.size() - cut));
        if (!decoder.hasError())
            return text;
    }
    return std::nullopt;
}

std::optional<TextGuess> guessText(const QByteArray& bytes, bool whole) {
    struct Marked {
        QByteArray bom;
        QStringConverter::Encoding encoding;
        const char* name;
    };
    const Marked marked[] = {{"\xEF\xBB\xBF", QStringConverter::Utf8, "UTF-8"},
                             {"\xFF\xFE", QStringConverter::Utf16LE, "UTF-16LE"},
                             {"\xFE\xFF", QStringConverter::Utf16BE, "UTF-16BE"}};
    for (const Marked& mark : marked) {
        if (!bytes.startsWith(mark.bom))
            continue;
        std::optional<QString> text = decodeAll(mark.encoding, bytes.mid(mark.bom.size()), whole);
        if (!text || text->contains(QChar(0)))
            return std::nullopt;
        return TextGuess{*text, QString::fromLatin1(mark.name)};
    }
    if (bytes.isEmpty() || bytes.contains('\0'))
        return std::nullopt;
    if (std::optional<QString> text = decodeAll(QStringConverter::Utf8, bytes, whole))
        return TextGuess{*text, QStringLiteral("UTF-8")};
    const auto printable = std::count_if(bytes.begin(), bytes.end(), [](char byte) {
        return isPrintable(static_cast<unsigned char>(byte));
    });
    if (printable * 100 < qsizetype(bytes.size()) * PrintablePercent)
        return std::nullopt;
    return TextGuess{QString::fromLatin1(bytes), QStringLiteral("ISO-8859-1")};
}

bool namesPicture(const QString& name) {
    return QImageReader::supportedImageFormats().contains(
        QFileInfo(name).suffix().toLower().toLatin1());
}

QByteArray pictureFormat(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader::imageFormat(&buffer);
}

} // namespace

PreviewContent PreviewContent::refused(const QString& word) {
    PreviewContent content;
    content.kind = Kind::Refused;
    content.word = word;
    return content;
}

PreviewContent PreviewContent::ofEntry(const QByteArray& nativePath, const QString& path,
                                       const QString& workdir, const std::atomic<bool>* cancel) {
    const auto cancelled = [cancel] { return cancel && cancel->load(); };
    const Result<ArchiveEntryReader> reader =
        ArchiveEntryReader::open(nativePath, path, workdir, cancel);
    if (cancelled())
        return {};
    if (!reader)
        return refused(tr("Cannot be read: %1").arg(reader.reason()));
    Result<ArchiveEntryReader::Content> head = reader->read(TextBytes);
    if (cancelled())
        return {};
    if (!head)
        return refused(tr("Cannot be read: %1").arg(head.reason()));
    const QString name = path.section(QLatin1Char('/'), -1);
    if (head->whole() || pictureFormat(head->bytes).isEmpty())
        return ofBytes(name, head->bytes, head->whole());
    // A picture larger than the first read: its size is in its header.
    const PreviewContent probed = ofBytes(name, head->bytes, false);
    if (probed.kind == Kind::Refused && probed.pixels.isValid())
        return probed;
    if (reader->size() > quint64(PictureBytes))
        return refused(tr("Too large to show"));
    head = reader->read(PictureBytes);
    if (cancelled())
        return {};
    if (!head)
        return refused(tr("Cannot be read: %1").arg(head.reason()));
    return pictureOf(head->bytes);
}

PreviewContent PreviewContent::ofBytes(const QString& name, const QByteArray& bytes, bool whole) {
    if (std::optional<TextGuess> guess = guessText(bytes, whole)) {
        PreviewContent content;
        content.kind = Kind::Text;
        content.text = std::move(guess->text);
        content.encoding = std::move(guess->encoding);
        content.cut = !whole;
        return content;
    }
    if (!pictureFormat(bytes).isEmpty()) {
        if (whole)
            return pictureOf(bytes);
        // Only the header is at hand: a picture too large is refused here.
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QSize size = reader.size();
        if (size.isValid() && qint64(size.width()) * size.height() > PicturePixels) {
            PreviewContent content = refused(
                tr("Too large to show: %1 × %2 pixels").arg(size.width()).arg(size.height()));
            content.pixels = size;
            return content;
        }
        return {};
    }
    if (namesPicture(name))
        return refused(tr("Not a picture this program can read"));
    return {};
}

PreviewContent PreviewContent::pictureOf(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(AllocationLimitMiB);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > PicturePixels) {
        PreviewContent content =
            refused(tr("Too large to show: %1 × %2 pixels").arg(size.width()).arg(size.height()));
        content.pixels = size;
        return content;
    }
    QImage image = reader.read();
    if (image.isNull())
        return refused(tr("Damaged picture: %1").arg(reader.errorString()));
    PreviewContent content;
    content.kind = Kind::Picture;
    content.pixels = image.size();
    if (image.width() > KeptSide || image.height() > KeptSide)
        image = image.scaled(KeptSide, KeptSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    content.picture = std::move(image);
    return content;
}

QString PreviewContent::summary() const {
    switch (kind) {
    case Kind::Picture:
        return tr("Image, %1 × %2 pixels").arg(pixels.width()).arg(pixels.height());
    case Kind::Text:
        return tr("Text, %1").arg(encoding);
    case Kind::Refused:
        return word;
    case Kind::Nothing:
        break;
    }
    return QString();
}

QString PreviewContent::firstLine() const {
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

} // namespace packshelf
