#pragma once

#include <QSortFilterProxyModel>

namespace packshelf {

// The order and the filter the user chose for the content list. They are
// for viewing only: the controller's list, and so the install order, stays
// in listing order. Unsorted, the view shows the list's own order.
class ContentListProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ContentListProxy(QObject* parent = nullptr);

    // A click on a column header: ascending, then descending, then back to
    // the list's own order. The pin column sorts by verdict too.
    void cycleSort(int column);

protected:
    // Names as a person expects (the listing order); verdicts
    // alphabetically, each group in list order.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

} // namespace packshelf
