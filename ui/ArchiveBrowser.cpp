#include "ui/ArchiveBrowser.h"

#include <QColumnView>
#include <QCoreApplication>
#include <QLabel>
#include <QStringList>

#include "analysis/NameRules.h"

namespace packshelf {

namespace {

// The path of a folder reached from the top of `tree` through the given
// rows, one per level; nothing when the rows do not lead through folders.
std::optional<QString> pathThroughRows(const ContentTreePtr& tree, const QList<int>& rows) {
    QString path;
    const ContentTree* entries = tree.get();
    for (int row : rows) {
        if (!entries || row < 0 || row >= int(entries->size()))
            return std::nullopt;
        const ContentNode& node = (*entries)[std::size_t(row)];
        path = joinPath(path, node.name);
        entries = node.isFolder() ? node.children() : nullptr;
    }
    return path;
}

} // namespace

ArchiveBrowser::ArchiveBrowser(QColumnView*& view, QLabel*& pathField, ArchiveBrowserModel& model)
    : m_view(view)
    , m_pathField(pathField)
    , m_model(model) {}

std::optional<BrowserRoot> ArchiveBrowser::rootFor(const ArchiveItem* item) {
    if (!item || item->state() == ItemState::New)
        return std::nullopt;
    // An archive whose content could not be read at all has nothing to show.
    if (item->state() == ItemState::Failed && item->integer(key::Error) == ItemError::ErrorOpen)
        return std::nullopt;
    return BrowserRoot{item->text(key::FileName).value_or(QString()), item->tree(key::Zip)};
}

void ArchiveBrowser::load(const ArchiveItem* item) {
    m_model.setRoot(rootFor(item));
    m_view->setRootIndex(QModelIndex());
    showPath();
}

// The text keeps the controller's translation context, where it was first
// written.
void ArchiveBrowser::showPath() {
    const auto& root = m_model.root();
    if (!root) {
        m_pathField->setText(QCoreApplication::translate(
            "packshelf::AppDelegate", "Select an analysed archive to look inside it"));
        return;
    }
    QStringList parts;
    for (QModelIndex index = selection(); index.isValid(); index = index.parent())
        parts.prepend(index.data().toString());
    parts.prepend(root->dirName);
    m_pathField->setText(parts.join(QStringLiteral("  ›  ")));
}

QModelIndex ArchiveBrowser::selection() const {
    return m_view->currentIndex();
}

const ContentNode* ArchiveBrowser::selectedNode() const {
    return m_model.nodeAt(selection());
}

std::optional<QString> ArchiveBrowser::selectedFilePath() const {
    const ContentNode* selected = selectedNode();
    if (!selected || !selected->isFile())
        return std::nullopt;
    QStringList names;
    for (QModelIndex index = selection(); index.isValid(); index = index.parent()) {
        const ContentNode* node = m_model.nodeAt(index);
        if (!node)
            return std::nullopt;
        names.prepend(node->name);
    }
    return names.join(QLatin1Char('/'));
}

const ContentTree* ArchiveBrowser::entriesBesideSelection() const {
    const QModelIndex selected = selection();
    if (!selected.isValid())
        return nullptr;
    if (const ContentNode* holder = m_model.nodeAt(selected.parent()))
        return holder->children();
    return m_model.root() ? m_model.root()->content.get() : nullptr;
}

std::optional<QString> ArchiveBrowser::pathToSelectedNode(const ArchiveItem& item) const {
    const int column = selectedColumn();
    if (column < 0)
        return std::nullopt;
    return pathThroughRows(item.tree(key::Zip), indexPathForColumn(column));
}

std::optional<QString> ArchiveBrowser::pathToSelectedNodeWithSelf(const ArchiveItem& item) const {
    const int column = selectedColumn();
    if (column < 0)
        return std::nullopt;
    if (column == 0)
        return ArchiveBrowserModel::objectValueForItem(*selectedNode());
    return pathToSelectedNode(item);
}

int ArchiveBrowser::selectedColumn() const {
    int column = -1;
    for (QModelIndex index = selection(); index.isValid(); index = index.parent())
        ++column;
    return column;
}

QList<int> ArchiveBrowser::indexPathForColumn(int column) const {
    QList<int> rows;
    QModelIndex index = selection();
    for (int depth = selectedColumn(); depth > column && index.isValid(); --depth)
        index = index.parent();
    for (index = index.parent(); index.isValid(); index = index.parent())
        rows.prepend(index.row());
    return rows;
}

} // namespace packshelf
