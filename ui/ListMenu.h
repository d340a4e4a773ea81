#pragma once

#include <QObject>

class QAction;
class QPoint;
class QTableView;

namespace packshelf {

class ContentListProxy;

// The archive list's context menu (Install Selected, Drop, Show in Folder,
// Copy Path and the list's orders, for those who sort from the keyboard:
// the menu key opens it) and the sorting by a click on a column's header: name and verdict
// sort for viewing only, ascending, descending, then the list's own order
// again.
class ListMenu : public QObject {
    Q_OBJECT
public:
    struct Actions {
        QAction* drop = nullptr;
        QAction* showInFolder = nullptr;
        QAction* copyPath = nullptr;
        QAction* installSelected = nullptr;
    };

    ListMenu(QTableView* list, ContentListProxy& proxy, Actions actions, QObject* parent = nullptr);

    // `canDrop`: whether Drop applies to the selection now.
    void show(const QPoint& position, bool canDrop);
    void sortByColumn(int column);

signals:
    // The selected archives are to be analysed afresh, without the choices
    // made by hand.
    void analyseAgain();

private:
    void showSortIndicator();

    QTableView* m_list;
    ContentListProxy& m_proxy;
    Actions m_actions;
    QAction* m_analyseAgain;
};

} // namespace packshelf
