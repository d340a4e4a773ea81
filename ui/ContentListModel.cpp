#include "ui/ContentListModel.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>
#include <utility>

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

ContentListModel::ContentListModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_installedIcon(QApplication::style()->standardIcon(QStyle::SP_DialogApplyButton)) {
    m_flush.setSingleShot(true);
    m_flush.setInterval(FrameMs);
    connect(&m_flush, &QTimer::timeout, this, &ContentListModel::flushChanges);
    for (auto counted : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, counted, this, &ContentListModel::countChanged);
    connect(this, &QAbstractItemModel::modelReset, this, &ContentListModel::countChanged);
}

int ContentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_items.size());
}

int ContentListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ContentListModel::data(const QModelIndex& index, int role) const {
    const ArchiveItem* item = index.isValid() ? record(index.row()) : nullptr;
    if (!item)
        return {};
    return cellValue(*item, index.column(), role);
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
        return verdictInWords(item);
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

const ArchiveItem* ContentListModel::record(qint64 row) const {
    if (row < 0 || row >= qint64(m_items.size()))
        return nullptr;
    return &m_items[std::size_t(row)];
}

qint64 ContentListModel::rowOf(const QString& fileName, qint64 hint) const {
    if (const ArchiveItem* hinted = record(hint); hinted && hinted->fileName() == fileName)
        return hint;
    for (std::size_t row = 0; row < m_items.size(); ++row) {
        if (m_items[row].fileName() == fileName)
            return qint64(row);
    }
    return -1;
}

void ContentListModel::replaceAll(std::vector<ArchiveItem> records) {
    rebuild([&records](std::vector<ArchiveItem>) { return std::move(records); });
}

void ContentListModel::rebuild(
    const std::function<std::vector<ArchiveItem>(std::vector<ArchiveItem>)>& make) {
    beginResetModel();
    m_items = make(std::exchange(m_items, {}));
    m_firstChanged = m_lastChanged = -1;
    m_flush.stop();
    endResetModel();
}

void ContentListModel::store(qint64 row, ArchiveItem record) {
    if (row < 0 || row >= qint64(m_items.size()))
        return;
    m_items[std::size_t(row)] = std::move(record);
    const int shown = int(row);
    m_firstChanged = m_firstChanged < 0 ? shown : std::min(m_firstChanged, shown);
    m_lastChanged = std::max(m_lastChanged, shown);
    if (!m_flush.isActive())
        m_flush.start();
}

void ContentListModel::change(qint64 row, const std::function<void(ArchiveItem&)>& edit) {
    if (row < 0 || row >= qint64(m_items.size()))
        return;
    edit(m_items[std::size_t(row)]);
    emit dataChanged(index(int(row), 0), index(int(row), ColumnCount - 1));
}

void ContentListModel::removeRows(const std::vector<qint64>& rows) {
    flushChanges();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row < 0 || *row >= qint64(m_items.size()))
            continue;
        beginRemoveRows({}, int(*row), int(*row));
        m_items.erase(m_items.begin() + *row);
        endRemoveRows();
    }
}

std::vector<ArchiveItem> ContentListModel::takeReady(const ItemFilter& chosen) {
    flushChanges();
    return takeReadyItems(
        m_items,
        [this](const std::vector<qint64>& rows, const std::function<void(qint64 row)>& eraseRow) {
            for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
                beginRemoveRows({}, int(*row), int(*row));
                eraseRow(*row);
                endRemoveRows();
            }
        },
        chosen);
}

void ContentListModel::returnUninstalled(std::vector<ArchiveItem> records) {
    flushChanges();
    const auto coming = std::count_if(records.begin(), records.end(), [](const ArchiveItem& item) {
        return item.state() != ItemState::Installed;
    });
    if (coming == 0)
        return;
    const int first = int(m_items.size());
    beginInsertRows({}, first, first + int(coming) - 1);
    returnUninstalledItems(m_items, std::move(records));
    endInsertRows();
}

void ContentListModel::setInstalledOn(QHash<QString, QString> installedOn) {
    m_installedOn = std::move(installedOn);
    showAllCells();
}

void ContentListModel::showAllCells() {
    m_firstChanged = m_items.empty() ? -1 : 0;
    m_lastChanged = int(m_items.size()) - 1;
    flushChanges();
}

void ContentListModel::flushChanges() {
    m_flush.stop();
    const int first = m_firstChanged;
    const int last = std::min(m_lastChanged, int(m_items.size()) - 1);
    m_firstChanged = m_lastChanged = -1;
    if (first >= 0 && first <= last)
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

} // namespace packshelf
