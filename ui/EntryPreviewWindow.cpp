#include "ui/EntryPreviewWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/PreviewContent.h"

namespace packshelf {

namespace {
// The share of the screen, in percent, the window takes at most.
constexpr int ScreenPercent = 80;

QSize roomOnScreen(const QWidget* parent) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableSize() : QSize(1024, 768);
    return available * ScreenPercent / 100;
}

QWidget* pictureView(const PreviewContent& content, QSize room, QWidget* parent) {
    auto* label = new QLabel(parent);
    QImage image = content.picture;
    if (image.width() > room.width() || image.height() > room.height())
        image = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    label->setPixmap(QPixmap::fromImage(image));
    label->setAlignment(Qt::AlignCenter);
    label->setAccessibleName(content.summary());
    return label;
}

QWidget* textView(const PreviewContent& content, QWidget* parent) {
    auto* text = new QPlainTextEdit(parent);
    text->setReadOnly(true);
    text->setPlainText(content.text);
    text->setAccessibleName(content.summary());
    text->setAccessibleDescription(content.firstLine());
    return text;
}
} // namespace

EntryPreviewWindow::EntryPreviewWindow(const PreviewContent& content, const QString& name,
                                       QWidget* parent)
    : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(name);
    const QSize room = roomOnScreen(parent);
    auto* layout = new QVBoxLayout(this);
    QWidget* view = content.kind == PreviewContent::Kind::Picture ? pictureView(content, room, this)
                                                                  : textView(content, this);
    layout->addWidget(view);
    auto* caption = new QLabel(content.summary(), this);
    caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(caption);
    new QShortcut(QKeySequence(Qt::Key_Space), this, this, &QDialog::reject);
    resize(sizeHint().boundedTo(room).expandedTo(QSize(480, 360)));
}

} // namespace packshelf
