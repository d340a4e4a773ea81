#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <vector>

#include "analysis/ArchiveItem.h"

namespace packshelf {

// The four state icons of the content list.
struct StateIcons {
    QIcon mDefaultIcon; // "pin_grey": New, Installed and any other state
    QIcon mOKIcon;      // "pin_green": Ready
    QIcon mBADIcon;     // "pin_red": Failed
    QIcon mHELPIcon;    // "pin_blue": NeedsHelp

    // Tested in the order Ready, NeedsHelp, Failed; everything else is grey.
    const QIcon& forState(qint64 state) const;
};

// The content list: row i shows record i of the controller's list, read in
// place. The view learns about changes only through reload(), as a table
// learns about them when it is told to reload its data.
class ContentListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { IconColumn = 0, FilenameColumn = 1, InfoColumn = 2, ColumnCount = 3 };

    ContentListModel(const std::vector<ArchiveItem>& items, const StateIcons& icons,
                     QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Brings the view up to date with the list: rows that appeared or went
    // away at the end are inserted or removed, every shown cell is
    // refreshed. A row that is still there keeps its selection.
    void reload();

private:
    QVariant cellValue(const ArchiveItem& item, int column, int role) const;

    const std::vector<ArchiveItem>& m_items;
    const StateIcons& m_icons;
    int m_shownRows = 0;
};

} // namespace packshelf
