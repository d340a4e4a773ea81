#include "ui/BrowserEntryDelegate.h"

#include <QApplication>
#include <QPainter>

#include "ui/ArchiveBrowserModel.h"
#include "ui/ItemDescription.h"

namespace packshelf {

namespace {
constexpr int SizeGap = 8;
}

int BrowserEntryDelegate::arrowWidth(const QStyleOptionViewItem& option) {
    return option.rect.height() * 2 / 3;
}

void BrowserEntryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QWidget* view = option.widget;
    QStyle* style = view ? view->style() : QApplication::style();
    const int arrow = arrowWidth(option);
    const QString size = readableSize(index.data(ArchiveBrowserModel::SizeRole).toULongLong());
    const int sizeWidth = option.fontMetrics.horizontalAdvance(size) + SizeGap;

    // The name gives way to the size and the arrow; the selection spans
    // both, as it does in the column browser's own drawing.
    QStyleOptionViewItem entry = option;
    entry.rect.adjust(0, 0, -(arrow + sizeWidth), 0);
    QStyleOptionViewItem row = option;
    row.rect.adjust(0, 0, -arrow, 0);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, view);
    QStyledItemDelegate::paint(painter, entry, index);

    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(
        option.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    const QRect sizeRect(entry.rect.right(), option.rect.top(), sizeWidth, option.rect.height());
    painter->drawText(sizeRect, Qt::AlignRight | Qt::AlignVCenter, size);
    painter->restore();

    if (index.model()->hasChildren(index)) {
        QStyleOptionViewItem indicator = option;
        indicator.rect =
            QRect(option.rect.right() - arrow + 1, option.rect.top(), arrow, option.rect.height());
        style->drawPrimitive(QStyle::PE_IndicatorColumnViewArrow, &indicator, painter, view);
    }
}

// Every entry keeps the view's icon size, also one whose icon has no
// picture that large (a nested archive's): the rows are then all of one
// height.
void BrowserEntryDelegate::initStyleOption(QStyleOptionViewItem* option,
                                           const QModelIndex& index) const {
    const QSize iconSize = option->decorationSize;
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->features & QStyleOptionViewItem::HasDecoration)
        option->decorationSize = iconSize;
}

QSize BrowserEntryDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    QSize hint = QStyledItemDelegate::sizeHint(option, index);
    hint.rwidth() +=
        arrowWidth(option) + SizeGap + option.fontMetrics.horizontalAdvance("999.9 MB");
    return hint;
}

} // namespace packshelf
