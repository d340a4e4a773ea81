#pragma once

#include <QStyledItemDelegate>

namespace packshelf {

// Draws a cell of the content list. The list selects whole rows, so no
// cell draws a focus frame of its own; the pin sits in the middle of its
// column, and the installed mark at the right end of the verdict, so that
// the verdicts stay aligned.
class ListRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace packshelf
