#include "ui/EntryPreview.h"

#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QModelIndex>
#include <QVBoxLayout>

#include "ui/ArchiveBrowserModel.h"
#include "ui/ItemDescription.h"

namespace packshelf {

namespace {
constexpr int IconSize = 48;
constexpr quint64 KiloByte = 1024;
} // namespace

EntryPreview::EntryPreview(QWidget* parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_name(new QLabel(this))
    , m_size(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    for (QLabel* label : {m_icon, m_name, m_size}) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    layout->addStretch(2);
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    m_size->setAccessibleName(tr("Size"));
}

void EntryPreview::showEntry(const QModelIndex& index) {
    m_icon->setPixmap(index.data(Qt::DecorationRole).value<QIcon>().pixmap(IconSize));
    m_name->setText(index.data().toString());
    const quint64 bytes = index.data(ArchiveBrowserModel::SizeRole).toULongLong();
    const QString size = readableSize(bytes);
    m_size->setText(bytes < KiloByte ? size
                                     : tr("%1 (%2 bytes)").arg(size, QLocale().toString(bytes)));
}

QString EntryPreview::sizeText() const {
    return m_size->text();
}

} // namespace packshelf
