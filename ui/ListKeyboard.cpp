#include "ui/ListKeyboard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

namespace packshelf {

ListKeyboard::ListKeyboard(QTableView* list, QLineEdit* filter, int nameColumn)
    : QObject(list)
    , m_list(list)
    , m_filter(filter)
    , m_nameColumn(nameColumn) {
    m_list->installEventFilter(this);
    m_filter->installEventFilter(this);
}

// Focus moves into the list, onto the row selected, or else the first.
bool ListKeyboard::enterList() {
    if (m_list->model()->rowCount() == 0)
        return false;
    m_list->setFocus(Qt::OtherFocusReason);
    selectWhereNothingIs();
    return true;
}

// With nothing selected, the current row (or the first) is selected.
bool ListKeyboard::selectWhereNothingIs() {
    QItemSelectionModel* selection = m_list->selectionModel();
    if (!selection || selection->hasSelection() || m_list->model()->rowCount() == 0)
        return false;
    const QModelIndex current = selection->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    m_list->setCurrentIndex(m_list->model()->index(row, m_nameColumn));
    return true;
}

// An arrow that moves the current row selects where it lands; one that
// cannot move it (no current row yet, or the end of the list, as in a list
// of one) would select nothing, so it selects the current row, or the first.
bool ListKeyboard::arrowWhereNothingIsSelected(int key) {
    QItemSelectionModel* selection = m_list->selectionModel();
    if (!selection || selection->hasSelection())
        return false;
    const QModelIndex current = selection->currentIndex();
    const int last = m_list->model()->rowCount() - 1;
    const bool stays = !current.isValid() || (key == Qt::Key_Down && current.row() >= last) ||
                       (key == Qt::Key_Up && current.row() <= 0);
    return stays && selectWhereNothingIs();
}

// Type-ahead matches from the current row in the column of the current
// index: it is kept on the names' column, whatever column was clicked.
void ListKeyboard::searchByName() {
    QItemSelectionModel* selection = m_list->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && current.column() == m_nameColumn)
        return;
    const int row = current.isValid() ? current.row() : 0;
    selection->setCurrentIndex(m_list->model()->index(row, m_nameColumn),
                               QItemSelectionModel::NoUpdate);
}

bool ListKeyboard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (watched == m_filter)
        return plain && key->key() == Qt::Key_Down && enterList();
    if (watched != m_list || !plain)
        return false;
    switch (key->key()) {
    case Qt::Key_Escape:
        if (m_filter->text().isEmpty())
            return false;
        m_filter->clear();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        return arrowWhereNothingIsSelected(key->key());
    default:
        if (!key->text().isEmpty() && key->text().at(0).isPrint())
            searchByName();
        return false;
    }
}

} // namespace packshelf
