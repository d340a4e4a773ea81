#include "ui/ContentListModel.h"

#include <QApplication>
#include <QStyle>

#include "ui/ItemDescription.h"

namespace packshelf {

namespace {
// One frame at 60 Hz: changes are shown at most this late.
constexpr int FrameMs = 16;
} // namespace

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
                                   const QHash<QString, QString>& installedOn, QObject* parent)
    : QAbstractTableModel(parent)
    , m_items(items)
    , m_icons(icons)
    , m_installedOn(installedOn)
    , m_installedIcon(QApplication::style()->standardIcon(QStyle::SP_DialogApplyButton)) {
    m_flush.setSingleShot(true);
    m_flush.setInterval(FrameMs);
    connect(&m_flush, &QTimer::timeout, this, &ContentListModel::flushChanges);
}

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

// The pin: its picture, and in words (tooltip, screen readers) the verdict
// with the reason of a failure.
QVariant ContentListModel::iconCell(const ArchiveItem& item, int role) const {
    switch (role) {
    case Qt::DecorationRole: {
        const QIcon& icon = m_icons.forState(item.state());
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::ToolTipRole:
        return verdictWithReason(item);
    case Qt::AccessibleTextRole:
        return verdictInWords(item);
    default:
        return {};
    }
}

// The verdict, and whether the archive's package is installed: a mark, and
// in words when it was.
QVariant ContentListModel::verdictCell(const ArchiveItem& item, int role) const {
    const auto installed = m_installedOn.constFind(item.fileName());
    const bool isInstalled = installed != m_installedOn.constEnd();
    switch (role) {
    case Qt::DisplayRole:
        return verdictText(item.text(key::Info).value_or(QString()));
    case Qt::DecorationRole:
        return isInstalled ? QVariant(m_installedIcon) : QVariant();
    case Qt::ToolTipRole:
        return isInstalled ? verdictWithReason(item) + QLatin1Char('\n') + installedNote(*installed)
                           : verdictWithReason(item);
    case Qt::AccessibleTextRole:
        return isInstalled ? tr("%1, installed").arg(verdictInWords(item)) : verdictInWords(item);
    default:
        return {};
    }
}

// The archive's name, and its format when it is not a zip archive.
QString ContentListModel::fileNameTip(const ArchiveItem& item) {
    const QString name = item.text(key::FileName).value_or(QString());
    const std::optional<QString> format = item.text(key::Format);
    return format ? tr("%1 (%2 archive)").arg(name, *format) : name;
}

QVariant ContentListModel::cellValue(const ArchiveItem& item, int column, int role) const {
    switch (column) {
    case IconColumn:
        return iconCell(item, role);
    case FilenameColumn:
        if (role == Qt::DisplayRole)
            return item.text(key::FileName).value_or(QString());
        if (role == Qt::ToolTipRole)
            return fileNameTip(item);
        return {};
    case InfoColumn:
        return verdictCell(item, role);
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

void ContentListModel::removeRows(const std::vector<qint64>& rows,
                                  const std::function<void(qint64 row)>& eraseRow) {
    flushChanges();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row < 0 || *row >= m_shownRows)
            continue;
        beginRemoveRows({}, int(*row), int(*row));
        eraseRow(*row);
        --m_shownRows;
        endRemoveRows();
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
    m_firstChanged = rows > 0 ? 0 : -1;
    m_lastChanged = rows - 1;
    flushChanges();
}

void ContentListModel::replaceAll() {
    beginResetModel();
    m_shownRows = int(m_items.size());
    m_firstChanged = m_lastChanged = -1;
    m_flush.stop();
    endResetModel();
}

void ContentListModel::rowChanged(int row) {
    if (row < 0 || row >= m_shownRows)
        return;
    m_firstChanged = m_firstChanged < 0 ? row : std::min(m_firstChanged, row);
    m_lastChanged = std::max(m_lastChanged, row);
    if (!m_flush.isActive())
        m_flush.start();
}

void ContentListModel::flushChanges() {
    m_flush.stop();
    const int first = m_firstChanged;
    const int last = std::min(m_lastChanged, m_shownRows - 1);
    m_firstChanged = m_lastChanged = -1;
    if (first >= 0 && first <= last)
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

} // namespace packshelf
