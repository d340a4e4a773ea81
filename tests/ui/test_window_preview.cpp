#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QColumnView>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QTest>
#include <QtEndian>

#include "tests/support/TestFolders.h"
#include "tests/support/ToolRunner.h"
#include "tests/support/ZipWriter.h"
#include "tests/ui/WindowHarness.h"
#include "ui/ArchiveColumnView.h"
#include "ui/EntryPreview.h"
#include "ui/EntryPreviewWindow.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

QByteArray imageFile(int width, int height, const char* format) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    chunk += type + data;
    QByteArray crc(4, '\0');
    qToBigEndian(ZipWriter::crc32Of(type + data), crc.data());
    return chunk + crc;
}

// A 1-bit grey PNG of width × height pixels, all black: a few tens of
// kilobytes that a reader would blow up to whatever the size says.
QByteArray pngBomb(int width, int height) {
    QByteArray header(13, '\0');
    qToBigEndian(quint32(width), header.data());
    qToBigEndian(quint32(height), header.data() + 4);
    header[8] = 1; // bit depth; colour type 0 (grey)
    const QByteArray rows(qsizetype(height) * (1 + (width + 7) / 8), '\0');
    const QByteArray zlib = qCompress(rows, 9).mid(4); // without Qt's length prefix
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zlib) +
           pngChunk("IEND", {});
}

struct PreviewWindow : WindowHarness {
    enum Row { Zip, SevenZip };

    PreviewWindow() {
        const QByteArray cover = imageFile(640, 480, "PNG");
        ZipWriter zip;
        zip.addFile("Pics/cover.png", cover);
        zip.addFile("Pics/broken.png", cover.left(cover.size() / 2));
        zip.addFile("Pics/bomb.png", pngBomb(20000, 20000));
        zip.addFile("readme.txt", "Grüße aus dem Archiv\nzweite Zeile\n");
        QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        zip.addFile("licence.txt", utf16.encode(QStringLiteral("Licence: free\nfor all")));
        zip.addFile("data.bin", QByteArray("\x01\x02\x00\x03", 4));
        zip.addFile("Extras.zip",
                    ZipWriter().addFile("Shots/shot.jpg", imageFile(320, 200, "JPEG")).bytes());
        writeFile(source() + "/a Pics.zip", zip.bytes());

        const QString loose = path("loose");
        QDir().mkpath(loose + "/Pics");
        writeFile(loose + "/Pics/cover.webp", imageFile(64, 32, "WEBP"));
        EXPECT_TRUE(
            runTool(loose, {"7z", {"a", "-bd", "-y", source() + "/b Pics.7z", "Pics"}}).ok());
        storeFolders();
        launch();
    }

    EntryPreview* preview() {
        return static_cast<ArchiveColumnView*>(app().mZIPBrowser())->preview();
    }
    bool waitForPreview() {
        return QTest::qWaitFor([this] { return !app().previewBusy(); }, 60000);
    }
    // What the last column shows beyond the name and size.
    QString shown() {
        const PreviewContent& content = preview()->content();
        switch (content.kind) {
        case PreviewContent::Kind::Picture:
            return QString("picture %1x%2")
                .arg(content.pixels.width())
                .arg(content.pixels.height());
        case PreviewContent::Kind::Text:
            return "text " + content.encoding + ": " + content.firstLine();
        case PreviewContent::Kind::Refused:
            return "word " + content.word;
        case PreviewContent::Kind::Nothing:
            break;
        }
        return "nothing";
    }
};

} // namespace

// The selected file's picture or text, read in the background from a zip,
// a 7z and a zip inside a zip; a damaged picture and one whose size would
// take gigabytes show a word instead.
TEST(WindowPreview, ShowsPicturesAndTextOfTheSelectedFile) {
    PreviewWindow window;
    ASSERT_TRUE(window.waitForIdle());
    struct Row {
        int archive;
        QStringList names;
        QString shown;
        QString accessible; // the preview's accessible name
    };
    const std::vector<Row> rows = {
        {PreviewWindow::Zip, {"Pics", "cover.png"}, "picture 640x480", "Image, 640 × 480 pixels"},
        {PreviewWindow::Zip, {"Extras.zip", "Shots", "shot.jpg"}, "picture 320x200", ""},
        {PreviewWindow::SevenZip, {"Pics", "cover.webp"}, "picture 64x32", ""},
        {PreviewWindow::Zip, {"readme.txt"}, "text UTF-8: Grüße aus dem Archiv", "Text, UTF-8"},
        {PreviewWindow::Zip, {"licence.txt"}, "text UTF-16LE: Licence: free", ""},
        {PreviewWindow::Zip, {"Pics", "broken.png"}, "word Damaged picture", ""},
        {PreviewWindow::Zip, {"Pics", "bomb.png"}, "word Too large to show: 20000 × 20000", ""},
        {PreviewWindow::Zip, {"data.bin"}, "nothing", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.names.join('/').toStdString());
        window.selectRow(row.archive);
        window.browse(row.names);
        ASSERT_TRUE(window.waitForPreview());
        EXPECT_TRUE(window.shown().startsWith(row.shown)) << window.shown().toStdString();
        if (row.accessible.startsWith("Image")) {
            const auto* picture = window.preview()->findChild<QLabel*>("mPreviewPicture");
            EXPECT_EQ(picture->accessibleName(), row.accessible);
        }
        if (row.accessible.startsWith("Text")) {
            const auto* text = window.preview()->findChild<QPlainTextEdit*>("mPreviewText");
            EXPECT_EQ(text->accessibleName(), row.accessible);
            EXPECT_EQ(text->accessibleDescription(), "Grüße aus dem Archiv");
        }
    }
}

// Switching from one file to the next before the first is read never shows
// the first one's preview, not even for a moment; Space then opens the
// second one larger and Esc closes it.
TEST(WindowPreview, EndsOnTheLastSelectionAndOpensItLarger) {
    PreviewWindow window;
    ASSERT_TRUE(window.waitForIdle());
    window.selectRow(PreviewWindow::Zip);
    // Every text the column's text box is given, as it is given.
    QStringList texts;
    auto* text = window.preview()->findChild<QPlainTextEdit*>("mPreviewText");
    QObject::connect(text, &QPlainTextEdit::textChanged, [&] { texts << text->toPlainText(); });
    window.browse({"readme.txt"});
    window.browse({"Pics", "cover.png"});
    ASSERT_TRUE(window.waitForPreview());
    EXPECT_EQ(texts.filter("Grüße"), QStringList());
    EXPECT_EQ(window.shown(), "picture 640x480");

    QColumnView* browser = window.app().mZIPBrowser();
    window.window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window.window()));
    browser->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EntryPreviewWindow* larger = window.preview()->largerWindow();
    ASSERT_NE(larger, nullptr);
    EXPECT_TRUE(larger->isVisible());
    QTest::keyClick(larger, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.preview()->largerWindow(); }, 5000));
}
