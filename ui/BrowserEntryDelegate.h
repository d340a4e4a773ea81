#pragma once

#include <QStyledItemDelegate>

namespace packshelf {

// Draws an entry of the archive browser: its icon and name, its size at
// the right, and the column browser's arrow for an entry that opens.
class BrowserEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    static int arrowWidth(const QStyleOptionViewItem& option);
};

} // namespace packshelf
