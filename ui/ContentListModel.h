#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QTimer>
#include <functional>
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
// place. An archive whose package is installed in the library (by its file
// name, the time of that install) carries a mark in its verdict cell. The
// view learns about changes only when it is told: removeRows() tells it of
// each removal as it is made, reload() and replaceAll() tell it at once,
// rowChanged() gathers the rows that changed and tells it once per frame,
// so that a burst of reports costs one repaint.
class ContentListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { IconColumn = 0, FilenameColumn = 1, InfoColumn = 2, ColumnCount = 3 };

    ContentListModel(const std::vector<ArchiveItem>& items, const StateIcons& icons,
                     const QHash<QString, QString>& installedOn, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Brings the view up to date with the list: rows that appeared or went
    // away at the end are inserted or removed, every shown cell is
    // refreshed. A row that is still there keeps its selection.
    void reload();
    // The list was replaced as a whole: the view starts afresh, without a
    // selection.
    void replaceAll();
    // The records at `rows` (ascending) leave the list: `eraseRow` takes
    // each one out, last first, and the view hears of each removal where it
    // happens, so that selections and current rows below it move with
    // their records.
    void removeRows(const std::vector<qint64>& rows,
                    const std::function<void(qint64 row)>& eraseRow);
    // Record `row` changed; the view hears of it within a frame.
    void rowChanged(int row);
    // Tells the view now about the rows gathered by rowChanged().
    void flushChanges();

private:
    QVariant iconCell(const ArchiveItem& item, int role) const;
    QVariant verdictCell(const ArchiveItem& item, int role) const;
    QVariant cellValue(const ArchiveItem& item, int column, int role) const;
    static QString fileNameTip(const ArchiveItem& item);

    const std::vector<ArchiveItem>& m_items;
    const StateIcons& m_icons;
    const QHash<QString, QString>& m_installedOn;
    QIcon m_installedIcon;
    int m_shownRows = 0;
    int m_firstChanged = -1;
    int m_lastChanged = -1;
    QTimer m_flush;
};

} // namespace packshelf
