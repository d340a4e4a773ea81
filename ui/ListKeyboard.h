#pragma once

#include <QObject>

class QLineEdit;
class QTableView;

namespace packshelf {

// The keys between the archive list and its filter, as in a file manager:
// Down in the filter enters the list; in the list, Esc empties the filter
// and typing a name's first letters goes to the first archive whose name
// begins so; an arrow that cannot move in a list where nothing is selected
// selects the current row (or the first).
class ListKeyboard : public QObject {
public:
    // `nameColumn`: the column that holds the archive's file name.
    ListKeyboard(QTableView* list, QLineEdit* filter, int nameColumn);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool enterList();
    bool selectWhereNothingIs();
    bool arrowWhereNothingIsSelected(int key);
    void searchByName();

    QTableView* m_list;
    QLineEdit* m_filter;
    int m_nameColumn;
};

} // namespace packshelf
