#pragma once

#include <QList>
#include <QModelIndex>
#include <QString>
#include <optional>

#include "analysis/ArchiveItem.h"
#include "ui/ArchiveBrowserModel.h"

class QColumnView;
class QLabel;

namespace packshelf {

// The column browser of the selected archive: what it shows, the path line
// above it, and where its selection lies in the archive's tree.
class ArchiveBrowser {
public:
    ArchiveBrowser(QColumnView*& view, QLabel*& pathField, ArchiveBrowserModel& model);

    // What the browser shows of an archive: nothing while it is being
    // analysed or when it cannot be read.
    static std::optional<BrowserRoot> rootFor(const ArchiveItem* item);
    // Shows the archive's tree from its top, without a selection.
    void load(const ArchiveItem* item);
    void showPath();

    // The selected entry; null when there is none.
    QModelIndex selection() const;
    const ContentNode* selectedNode() const;
    // The path of the selected file in the archive, nested archives named
    // as the folders that stand for them; nothing unless a file is selected.
    std::optional<QString> selectedFilePath() const;
    // The entries of the folder that holds the selection (the top level
    // for one in the first column); null without a selection.
    const ContentTree* entriesBesideSelection() const;
    // The path of the folder that holds the selection in the item's tree;
    // nothing without a selected entry.
    std::optional<QString> pathToSelectedNode(const ArchiveItem& item) const;
    // The selected entry's own name in the first column, else the same as
    // pathToSelectedNode().
    std::optional<QString> pathToSelectedNodeWithSelf(const ArchiveItem& item) const;

private:
    // The selection's column (-1 without one) and the rows selected in the
    // columns before it.
    int selectedColumn() const;
    QList<int> indexPathForColumn(int column) const;

    QColumnView*& m_view;
    QLabel*& m_pathField;
    ArchiveBrowserModel& m_model;
};

} // namespace packshelf
