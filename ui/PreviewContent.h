#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>

namespace packshelf {

// What the archive browser shows of a file beyond its name and size: its
// picture, the start of its text, or a word on why it shows neither. Made
// on a worker from the file's bytes, read under a budget.
struct PreviewContent {
    Q_DECLARE_TR_FUNCTIONS(PreviewContent)

public:
    enum class Kind { Nothing, Picture, Text, Refused };

    // Text shows at most this much of a file; a picture is read whole up to
    // the larger budget and, in pixels, up to the last.
    static constexpr qint64 TextBytes = 64 * 1024;
    static constexpr qint64 PictureBytes = 64 * 1024 * 1024;
    static constexpr qint64 PicturePixels = 100'000'000;

    Kind kind = Kind::Nothing;
    QImage picture; // no larger than a screen needs
    QSize pixels;   // the picture's own size
    QString text;
    QString encoding;
    bool cut = false; // the text goes on past what is shown
    QString word;     // why there is no picture or text

    // Reads the file at `path` of the archive at `nativePath` and makes its
    // preview; `cancel`, once set, makes it stop soon with nothing.
    static PreviewContent ofEntry(const QByteArray& nativePath, const QString& path,
                                  const QString& workdir, const std::atomic<bool>* cancel);
    // The preview of a file named `name` whose first bytes are `bytes`
    // (`whole` when they are all of it).
    static PreviewContent ofBytes(const QString& name, const QByteArray& bytes, bool whole);

    bool isShown() const { return kind == Kind::Picture || kind == Kind::Text; }
    // What a screen reader says of it: "Image, 640 × 480 pixels", or
    // "Text, UTF-8"; the text's first line as the description.
    QString summary() const;
    QString firstLine() const;

private:
    static PreviewContent refused(const QString& word);
    static PreviewContent pictureOf(const QByteArray& bytes);
};

} // namespace packshelf
