#include "ui/ContentListModel.h"

namespace packshelf {

const QIcon& StateIcons::forState(qint64 state) const {
    if (state == ItemState::Ready)
        return mOKIcon;
    if (state == ItemState::NeedsHelp)
        return mHELPIcon;
    if (state == ItemState::Failed)
        return mBADIcon;
    return mDefaultIcon;
}

ContentListModel::ContentListModel(const std::vector<ArchiveItem>& items, const StateIcons& icons,
                                   QObject* parent)
    : QAbstractTableModel(parent)
    , m_items(items)
    , m_icons(icons) {}

int ContentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shownRows;
}

int ContentListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ContentListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_items.size()))
        return {};
    return cellValue(m_items[std::size_t(index.row())], index.column(), role);
}

QVariant ContentListModel::cellValue(const ArchiveItem& item, int column, int role) const {
    switch (column) {
    case IconColumn:
        if (role == Qt::DecorationRole) {
            const QIcon& icon = m_icons.forState(item.state());
            return icon.isNull() ? QVariant() : QVariant(icon);
        }
        if (role == Qt::ToolTipRole)
            return item.text(key::Info).value_or(QString());
        return {};
    case FilenameColumn:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return item.text(key::FileName).value_or(QString());
        return {};
    case InfoColumn:
        if (role == Qt::DisplayRole)
            return item.text(key::Info).value_or(QString());
        return {};
    default:
        return {};
    }
}

QVariant ContentListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case FilenameColumn:
        return tr("Archive");
    case InfoColumn:
        return tr("Verdict");
    default:
        return QString();
    }
}

void ContentListModel::reload() {
    const int rows = int(m_items.size());
    if (rows > m_shownRows) {
        beginInsertRows({}, m_shownRows, rows - 1);
        m_shownRows = rows;
        endInsertRows();
    } else if (rows < m_shownRows) {
        beginRemoveRows({}, rows, m_shownRows - 1);
        m_shownRows = rows;
        endRemoveRows();
    }
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, ColumnCount - 1));
}

} // namespace packshelf
