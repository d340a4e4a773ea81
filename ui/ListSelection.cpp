#include "ui/ListSelection.h"

#include <QTableView>
#include <algorithm>

#include "ui/ContentListModel.h"
#include "ui/ContentListProxy.h"

namespace packshelf {

ListSelection::ListSelection(QTableView*& view, const ContentListProxy& proxy,
                             const ContentListModel& model)
    : m_view(view)
    , m_proxy(proxy)
    , m_model(model) {}

qint64 ListSelection::row() const {
    const QItemSelectionModel* selection = m_view->selectionModel();
    const QModelIndexList rows = selection->selectedRows();
    if (rows.isEmpty())
        return -1;
    const QModelIndex current = m_view->currentIndex();
    const QModelIndex chosen =
        current.isValid() && selection->isRowSelected(current.row()) ? current : rows.last();
    return m_proxy.mapToSource(chosen).row();
}

std::vector<qint64> ListSelection::rows() const {
    std::vector<qint64> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows())
        rows.push_back(m_proxy.mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList ListSelection::fileNames() const {
    QStringList names;
    for (qint64 row : rows()) {
        if (const ArchiveItem* item = m_model.record(row))
            names << item->fileName();
    }
    return names;
}

const ArchiveItem* ListSelection::item() const {
    return m_model.record(row());
}

void ListSelection::selectFileNames(const QStringList& fileNames) {
    QItemSelection selection;
    const std::vector<ArchiveItem>& records = m_model.records();
    for (std::size_t row = 0; row < records.size(); ++row) {
        if (!fileNames.contains(records[row].fileName()))
            continue;
        const QModelIndex shown = m_proxy.mapFromSource(m_model.index(int(row), 0));
        if (shown.isValid())
            selection.select(shown, shown);
    }
    m_view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
}

void ListSelection::selectRow(qint64 row) {
    const QModelIndex shown = m_proxy.mapFromSource(m_model.index(int(row), 0));
    if (shown.isValid())
        m_view->selectRow(shown.row());
    else
        m_view->clearSelection();
}

} // namespace packshelf
