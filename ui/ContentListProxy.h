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

    // Shows the rows whose name or verdict holds `text`, letter case and
    // accents aside ("cafe" finds "Café"); empty shows every row. It takes
    // the place of the base class's fixed-string filter, so that a
    // connection made to this class's setFilterFixedString folds too.
    void setFilterFixedString(const QString& text);
    bool filtering() const { return !m_needle.isEmpty(); }

    // The count line: `format` (one `%1`) filled with `total`, the rows of
    // the list, or "n of total" while a filter is set, or a sentence that
    // says nothing matches.
    QString countLine(const QString& format, qsizetype total) const;

    // `text` without accents and letter case, for comparisons a person
    // would call equal.
    static QString folded(const QString& text);

signals:
    // The rows shown or the filter changed: the count line is due again.
    void shownCountChanged();

protected:
    // Names as a person expects (the listing order); verdicts
    // alphabetically, each group in list order.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    void announceWhileFiltering();

    QString m_filterText;
    QString m_needle; // m_filterText folded
};

} // namespace packshelf
