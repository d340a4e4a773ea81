#include "ui/ContentListProxy.h"

#include "analysis/DirectoryListing.h"
#include "ui/ContentListModel.h"

namespace packshelf {

ContentListProxy::ContentListProxy(QObject* parent)
    : QSortFilterProxyModel(parent) {
    setFilterKeyColumn(-1);
    setFilterCaseSensitivity(Qt::CaseInsensitive);
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void ContentListProxy::cycleSort(int column) {
    if (column == ContentListModel::IconColumn)
        column = ContentListModel::InfoColumn;
    if (sortColumn() != column)
        sort(column, Qt::AscendingOrder);
    else if (sortOrder() == Qt::AscendingOrder)
        sort(column, Qt::DescendingOrder);
    else
        sort(-1);
}

bool ContentListProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QString a = left.data().toString();
    const QString b = right.data().toString();
    if (left.column() == ContentListModel::FilenameColumn)
        return fileNameOrderLess(a, b);
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

} // namespace packshelf
