#include "ui/ListMenu.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>

#include "ui/ContentListModel.h"
#include "ui/ContentListProxy.h"

namespace packshelf {

ListMenu::ListMenu(QTableView* list, ContentListProxy& proxy, Actions actions, QObject* parent)
    : QObject(parent)
    , m_list(list)
    , m_proxy(proxy)
    , m_actions(actions)
    , m_analyseAgain(new QAction(tr("Analyse Again"), this)) {
    m_analyseAgain->setToolTip(tr("Forgets the folders chosen by hand and looks into the "
                                  "archive afresh"));
    connect(m_analyseAgain, &QAction::triggered, this, &ListMenu::analyseAgain);
}

void ListMenu::show(const QPoint& position, bool canDrop) {
    QMenu menu(m_list);
    menu.addAction(m_actions.installSelected);
    menu.addSeparator();
    m_actions.drop->setEnabled(canDrop);
    menu.addAction(m_actions.drop);
    m_analyseAgain->setEnabled(canDrop);
    menu.addAction(m_analyseAgain);
    menu.addSeparator();
    menu.addAction(m_actions.showInFolder);
    menu.addAction(m_actions.copyPath);
    menu.addSeparator();
    const std::pair<QString, int> orders[] = {
        {tr("Sort by Name"), ContentListModel::FilenameColumn},
        {tr("Sort by Verdict"), ContentListModel::InfoColumn},
        {tr("List Order"), -1}};
    for (const auto& [title, column] : orders) {
        menu.addAction(title, this, [this, column = column] {
            m_proxy.sort(column);
            showSortIndicator();
        });
    }
    menu.exec(m_list->viewport()->mapToGlobal(position));
    m_actions.drop->setEnabled(true);
}

void ListMenu::sortByColumn(int column) {
    m_proxy.cycleSort(column);
    showSortIndicator();
}

void ListMenu::showSortIndicator() {
    QHeaderView* header = m_list->horizontalHeader();
    header->setSortIndicatorShown(m_proxy.sortColumn() >= 0);
    header->setSortIndicator(m_proxy.sortColumn(), m_proxy.sortOrder());
}

} // namespace packshelf
