#include "ui/ListSelection.h"

#include <QTableView>
#include <algorithm>

#include "ui/ContentListModel.h"
#include "ui/ContentListProxy.h"

namespace packshelf {

ListSelection::ListSelection(QTableView*& view, const ContentListProxy& proxy,
                             const ContentListModel& model, const std::vector<ArchiveItem>& items)
    : m_view(view)
    , m_proxy(proxy)
    , m_model(model)
    , m_items(items) {}

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
        if (row >= 0 && row < qint64(m_items.size()))
            names << m_items[std::size_t(row)].fileName();
    }
    return names;
}

const ArchiveItem* ListSelection::item() const {
    const qint64 selected = row();
    if (selected < 0 || selected >= qint64(m_items.size()))
        return nullptr;
    return &m_items[std::size_t(selected)];
}

void ListSelection::selectFileNames(const QStringList& fileNames) {
    QItemSelection selection;
    for (std::size_t row = 0; row < m_items.size(); ++row) {
        if (!fileNames.contains(m_items[row].fileName()))
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
