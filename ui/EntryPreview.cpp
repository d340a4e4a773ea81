#include "ui/EntryPreview.h"

#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QModelIndex>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/ArchiveBrowserModel.h"
#include "ui/ItemDescription.h"

namespace packshelf {

namespace {
constexpr int IconSize = 48;
constexpr quint64 KiloByte = 1024;
// The text box takes the column's height before the stretches around it.
constexpr int TextStretch = 8;
} // namespace

EntryPreview::EntryPreview(QWidget* parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_name(new QLabel(this))
    , m_size(new QLabel(this))
    , m_detail(new QLabel(this))
    , m_text(new QPlainTextEdit(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    for (QLabel* label : {m_icon, m_name, m_size, m_detail}) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    layout->addWidget(m_text, TextStretch);
    layout->addStretch(2);
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    m_size->setAccessibleName(tr("Size"));
    m_icon->setObjectName(QStringLiteral("mPreviewPicture"));
    m_text->setObjectName(QStringLiteral("mPreviewText"));
    m_icon->setMinimumWidth(1); // a picture never widens the column
    m_text->setReadOnly(true);
    m_text->setFocusPolicy(Qt::NoFocus); // the browser keeps the keyboard
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->hide();
    m_detail->hide();
}

void EntryPreview::showEntry(const QModelIndex& index) {
    m_entryIcon = index.data(Qt::DecorationRole).value<QIcon>().pixmap(IconSize);
    m_name->setText(index.data().toString());
    const quint64 bytes = index.data(ArchiveBrowserModel::SizeRole).toULongLong();
    const QString size = readableSize(bytes);
    m_size->setText(bytes < KiloByte ? size
                                     : tr("%1 (%2 bytes)").arg(size, QLocale().toString(bytes)));
    if (m_content.kind != PreviewContent::Kind::Picture)
        m_icon->setPixmap(m_entryIcon);
}

void EntryPreview::showContent(PreviewContent content) {
    m_content = std::move(content);
    const QString summary = m_content.summary();
    m_detail->setText(summary);
    m_detail->setVisible(!summary.isEmpty());
    const bool text = m_content.kind == PreviewContent::Kind::Text;
    m_text->setPlainText(text ? m_content.text : QString());
    m_text->setAccessibleName(text ? summary : QString());
    m_text->setAccessibleDescription(text ? m_content.firstLine() : QString());
    m_text->setVisible(text);
    showPicture();
    if (m_window && m_content.kind == PreviewContent::Kind::Nothing)
        m_window->close();
}

void EntryPreview::showPicture() {
    if (m_content.kind != PreviewContent::Kind::Picture) {
        m_icon->setPixmap(m_entryIcon);
        m_icon->setAccessibleName(QString());
        return;
    }
    const int width = std::max(IconSize, contentsRect().width() - 2 * layout()->spacing());
    const QImage& picture = m_content.picture;
    const QImage fitted =
        picture.width() > width ? picture.scaledToWidth(width, Qt::SmoothTransformation) : picture;
    m_icon->setPixmap(QPixmap::fromImage(fitted));
    m_icon->setAccessibleName(m_content.summary());
}

void EntryPreview::openLarger() {
    if (!m_content.isShown())
        return;
    if (m_window)
        m_window->close();
    m_window = new EntryPreviewWindow(m_content, m_name->text(), this);
    m_window->show();
}

void EntryPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_content.kind == PreviewContent::Kind::Picture)
        showPicture();
}

QString EntryPreview::sizeText() const {
    return m_size->text();
}

QString EntryPreview::detailText() const {
    return m_detail->text();
}

} // namespace packshelf
