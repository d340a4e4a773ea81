#include "ui/ArchiveBrowserModel.h"

#include <QApplication>
#include <QStyle>

#include "ui/ItemDescription.h"

namespace packshelf {

ArchiveBrowserModel::ArchiveBrowserModel(QObject* parent)
    : QAbstractItemModel(parent)
    , m_folderIcon(QApplication::style()->standardIcon(QStyle::SP_DirIcon))
    , m_fileIcon(QApplication::style()->standardIcon(QStyle::SP_FileIcon))
    , m_archiveIcon(QIcon::fromTheme(
          QStringLiteral("application-zip"),
          QIcon::fromTheme(QStringLiteral("package-x-generic"),
                           QApplication::style()->standardIcon(QStyle::SP_DirLinkIcon)))) {}

void ArchiveBrowserModel::setRoot(std::optional<BrowserRoot> root) {
    beginResetModel();
    m_parentOf.clear();
    m_root = std::move(root);
    endResetModel();
}

int ArchiveBrowserModel::numberOfChildrenOfItem(const ContentNode& node) {
    if (!node.isFolder() || !node.children())
        return 0;
    return int(node.children()->size());
}

const ContentNode* ArchiveBrowserModel::child(int index, const ContentNode& node) {
    if (index < 0 || index >= numberOfChildrenOfItem(node))
        return nullptr;
    return &(*node.children())[std::size_t(index)];
}

bool ArchiveBrowserModel::isLeafItem(const ContentNode& node) {
    return node.type == ContentNode::File;
}

QString ArchiveBrowserModel::objectValueForItem(const ContentNode& node) {
    return node.name;
}

const ContentNode* ArchiveBrowserModel::nodeAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<const ContentNode*>(index.internalPointer());
}

const ContentTree* ArchiveBrowserModel::entriesOf(const ContentNode* folder) const {
    if (!folder)
        return m_root ? m_root->content.get() : nullptr;
    return folder->isFolder() ? folder->children() : nullptr;
}

int ArchiveBrowserModel::rowOf(const ContentNode* node, const ContentNode* folder) const {
    const ContentTree* siblings = entriesOf(folder);
    return int(node - siblings->data());
}

const ContentNode* ArchiveBrowserModel::folderHolding(const ContentNode* node) const {
    const auto found = m_parentOf.find(node);
    return found == m_parentOf.end() ? nullptr : found->second;
}

QModelIndex ArchiveBrowserModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    const ContentNode* folder = nodeAt(parent);
    const ContentTree* entries = entriesOf(folder);
    if (!entries || row >= int(entries->size()))
        return {};
    const ContentNode* node = &(*entries)[std::size_t(row)];
    m_parentOf.emplace(node, folder);
    return createIndex(row, 0, node);
}

QModelIndex ArchiveBrowserModel::parent(const QModelIndex& index) const {
    const ContentNode* node = nodeAt(index);
    if (!node)
        return {};
    const ContentNode* folder = folderHolding(node);
    if (!folder)
        return {};
    return createIndex(rowOf(folder, folderHolding(folder)), 0, folder);
}

int ArchiveBrowserModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const ContentTree* entries = entriesOf(nodeAt(parent));
    return entries ? int(entries->size()) : 0;
}

int ArchiveBrowserModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool ArchiveBrowserModel::hasChildren(const QModelIndex& parent) const {
    // The top is a folder also when no archive is shown: the column
    // browser then shows an empty column, not an entry's preview.
    if (!parent.isValid())
        return true;
    const ContentNode* node = nodeAt(parent);
    return node && !isLeafItem(*node);
}

QVariant ArchiveBrowserModel::data(const QModelIndex& index, int role) const {
    const ContentNode* node = nodeAt(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return shownName(*node);
    case Qt::ToolTipRole:
        if (node->isNestedArchive())
            return tr("%1 (%2): an archive inside the archive, opened here as a folder")
                .arg(shownName(*node), readableSize(node->size));
        return tr("%1 (%2)").arg(objectValueForItem(*node), readableSize(node->size));
    case Qt::AccessibleTextRole:
        return node->isNestedArchive() ? tr("%1, nested archive").arg(shownName(*node))
                                       : objectValueForItem(*node);
    case SizeRole:
        return QVariant::fromValue(node->size);
    case Qt::DecorationRole:
        if (node->isNestedArchive())
            return m_archiveIcon;
        return node->isFolder() ? m_folderIcon : m_fileIcon;
    default:
        return {};
    }
}

Qt::ItemFlags ArchiveBrowserModel::flags(const QModelIndex& index) const {
    if (!nodeAt(index))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace packshelf
