#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QTimer>
#include <functional>
#include <vector>

#include "analysis/ArchiveItem.h"
#include "install/ItemHandOver.h"

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

// The window's list of archives: it owns the records (the controller's
// `mItemsArray`, row i showing record i) and is the one place they change,
// each change told to the views as it is made, so that selections and
// current rows move with their records. An archive whose package is
// installed in the library (by its file name, the time of that install)
// carries a mark in its verdict cell. Analysed records arriving in a burst
// are shown once per frame, so that a burst of reports costs one repaint.
//
// A record's file name never changes and names one row: workers' results
// and pickers that answer later find their record by it, whatever happened
// to the list meanwhile.
class ContentListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { IconColumn = 0, FilenameColumn = 1, InfoColumn = 2, ColumnCount = 3 };

    explicit ContentListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The records, in list order.
    const std::vector<ArchiveItem>& records() const { return m_items; }
    // The record at `row`; null outside the list.
    const ArchiveItem* record(qint64 row) const;
    // The row of the record of `fileName`, looked for first at `hint`; -1
    // when the list holds none.
    qint64 rowOf(const QString& fileName, qint64 hint = -1) const;

    // The list replaced as a whole: the views start afresh, without a
    // selection.
    void replaceAll(std::vector<ArchiveItem> records);
    // The same with the list `make` makes of the records it is handed.
    void rebuild(const std::function<std::vector<ArchiveItem>(std::vector<ArchiveItem>)>& make);
    // `record` takes the place of the one at `row`; the views hear of it
    // within a frame.
    void store(qint64 row, ArchiveItem record);
    // Changes the record at `row` in place, and tells the views at once.
    void change(qint64 row, const std::function<void(ArchiveItem&)>& edit);
    // The records at `rows` (ascending) leave the list.
    void removeRows(const std::vector<qint64>& rows);
    // Takes the Ready records that `chosen` (when given) lets through out
    // of the list, in list order, as an install takes them.
    std::vector<ArchiveItem> takeReady(const ItemFilter& chosen);
    // The records of a finished install that did not end Installed come
    // back at the end of the list.
    void returnUninstalled(std::vector<ArchiveItem> records);

    StateIcons& icons() { return m_icons; }
    const StateIcons& icons() const { return m_icons; }
    // The listed archives whose package is installed, with the time of that
    // install (ISO 8601); every verdict cell is shown afresh.
    void setInstalledOn(QHash<QString, QString> installedOn);

    // Tells the views now about the records stored within the frame.
    void flushChanges();

signals:
    // Records came or went, or the list was replaced.
    void countChanged();

private:
    QVariant iconCell(const ArchiveItem& item, int role) const;
    QVariant verdictCell(const ArchiveItem& item, int role) const;
    QVariant cellValue(const ArchiveItem& item, int column, int role) const;
    static QString fileNameTip(const ArchiveItem& item);
    void showAllCells();

    std::vector<ArchiveItem> m_items;
    StateIcons m_icons;
    QHash<QString, QString> m_installedOn;
    QIcon m_installedIcon;
    int m_firstChanged = -1;
    int m_lastChanged = -1;
    QTimer m_flush;
};

} // namespace packshelf
