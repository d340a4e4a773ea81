#include "ui/ListRowDelegate.h"

#include <QApplication>

#include "ui/ContentListModel.h"

namespace packshelf {

namespace {
constexpr QSize PinSize(16, 16);
}

void ListRowDelegate::initStyleOption(QStyleOptionViewItem* option,
                                      const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
    if (index.column() == ContentListModel::InfoColumn)
        option->decorationPosition = QStyleOptionViewItem::Right;
}

void ListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    if (index.column() != ContentListModel::IconColumn) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QIcon pin = cell.icon;
    cell.icon = QIcon();
    cell.features &= ~QStyleOptionViewItem::HasDecoration;
    const QWidget* view = option.widget;
    QStyle* style = view ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view);
    pin.paint(painter,
              QStyle::alignedRect(option.direction, Qt::AlignCenter, PinSize, option.rect));
}

} // namespace packshelf
