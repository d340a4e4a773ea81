#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <optional>
#include <unordered_map>

#include "analysis/ContentTree.h"

namespace packshelf {

// The browser's root record: a folder ("TYPE" 2) named after the archive
// ("DIRNAME" = "FILENAME") whose "CONTENT" is the archive's tree, shared
// with the record rather than copied. No tree: a root with no entries.
struct BrowserRoot {
    QString dirName;
    ContentTreePtr content;
};

// The selected archive's tree for the column browser. Nodes are read in
// place, through the shared tree the root keeps alive; an index points at
// its node, and a node's parent is remembered only once the browser has
// asked for the node, so a large tree costs nothing until it is opened.
class ArchiveBrowserModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The bytes of a file, or of everything below a folder.
    static constexpr int SizeRole = Qt::UserRole + 1;

    explicit ArchiveBrowserModel(QObject* parent = nullptr);

    // Replaces the tree shown; no root empties the browser.
    void setRoot(std::optional<BrowserRoot> root);
    const std::optional<BrowserRoot>& root() const { return m_root; }

    const ContentNode* nodeAt(const QModelIndex& index) const;

    // The node rules: a folder's children are its "CONTENT"; only a file is
    // a leaf; a folder's value is its "DIRNAME", anything else's its
    // "CONTENT". The view shows a nested archive by its file name.
    static int numberOfChildrenOfItem(const ContentNode& node);
    static const ContentNode* child(int index, const ContentNode& node);
    static bool isLeafItem(const ContentNode& node);
    static QString objectValueForItem(const ContentNode& node);

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const ContentTree* entriesOf(const ContentNode* folder) const;
    // The folder that holds a node the browser has been given (null for the
    // top level), and the node's row in it.
    const ContentNode* folderHolding(const ContentNode* node) const;
    int rowOf(const ContentNode* node, const ContentNode* folder) const;

    std::optional<BrowserRoot> m_root;
    // child -> the folder that holds it (null for the top level)
    mutable std::unordered_map<const ContentNode*, const ContentNode*> m_parentOf;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
    QIcon m_archiveIcon;
};

} // namespace packshelf
