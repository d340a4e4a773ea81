#pragma once

#include <QStringList>
#include <vector>

#include "analysis/ArchiveItem.h"

class QTableView;

namespace packshelf {

class ContentListModel;
class ContentListProxy;

// The archive list's selection in the rows of the list's model: the view
// shows them sorted and filtered through the proxy.
class ListSelection {
public:
    ListSelection(QTableView*& view, const ContentListProxy& proxy, const ContentListModel& model);

    // The row the controls follow: the current one when it is selected,
    // else the last row selected; -1 without a selection.
    qint64 row() const;
    // Every selected row, in list order.
    std::vector<qint64> rows() const;
    QStringList fileNames() const;
    // A selected row past the end of the list (the list was replaced under
    // it) counts as no selection.
    const ArchiveItem* item() const;

    // Selects the rows of the named archives again after the list changed.
    void selectFileNames(const QStringList& fileNames);
    void selectRow(qint64 row);

private:
    QTableView*& m_view;
    const ContentListProxy& m_proxy;
    const ContentListModel& m_model;
};

} // namespace packshelf
