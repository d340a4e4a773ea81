#include "ui/ContentListProxy.h"

#include <QLocale>

#include "analysis/DirectoryListing.h"
#include "ui/ContentListModel.h"

namespace packshelf {

ContentListProxy::ContentListProxy(QObject* parent)
    : QSortFilterProxyModel(parent) {
    setSortCaseSensitivity(Qt::CaseInsensitive);
    for (auto change : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, change, this, &ContentListProxy::announceWhileFiltering);
    connect(this, &QAbstractItemModel::modelReset, this, &ContentListProxy::announceWhileFiltering);
    connect(this, &QAbstractItemModel::layoutChanged, this,
            &ContentListProxy::announceWhileFiltering);
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

QString ContentListProxy::folded(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString plain;
    plain.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            plain += c;
    }
    return plain.toCaseFolded();
}

void ContentListProxy::setFilterFixedString(const QString& text) {
    if (text == m_filterText)
        return;
    m_filterText = text;
    m_needle = folded(text);
    invalidateRowsFilter();
    emit shownCountChanged();
}

QString ContentListProxy::countLine(const QString& format, qsizetype total) const {
    if (!filtering())
        return format.arg(QLocale().toString(total));
    const int shown = rowCount();
    if (shown == 0)
        return tr("No archive matches “%1” (%Ln archive(s) in the list)", nullptr, int(total))
            .arg(m_filterText);
    return format.arg(tr("%1 of %2").arg(QLocale().toString(shown), QLocale().toString(total)));
}

void ContentListProxy::announceWhileFiltering() {
    if (filtering())
        emit shownCountChanged();
}

bool ContentListProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_needle.isEmpty())
        return true;
    for (int column : {ContentListModel::FilenameColumn, ContentListModel::InfoColumn}) {
        const QModelIndex cell = sourceModel()->index(sourceRow, column, sourceParent);
        if (folded(cell.data().toString()).contains(m_needle))
            return true;
    }
    return false;
}

bool ContentListProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QString a = left.data().toString();
    const QString b = right.data().toString();
    if (left.column() == ContentListModel::FilenameColumn)
        return fileNameOrderLess(a, b);
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

} // namespace packshelf
