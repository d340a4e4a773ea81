#include "ui/ArchiveColumnView.h"

#include <QResizeEvent>
#include <QShortcut>
#include <algorithm>

#include "ui/BrowserEntryDelegate.h"
#include "ui/EntryPreview.h"

namespace packshelf {

namespace {
constexpr int PreferredColumnWidth = 230;
constexpr int MinimumColumnWidth = 120;
// More than any tree is deep: every column gets the same width.
constexpr int PlannedColumns = 64;

// A control outside the browser that Tab may stop at.
bool isTabStopBeside(const QWidget* control, const QWidget* browser) {
    return control != browser && !browser->isAncestorOf(control) &&
           control->window() == browser->window() && control->isVisible() && control->isEnabled() &&
           (control->focusPolicy() & Qt::TabFocus);
}
} // namespace

ArchiveColumnView::ArchiveColumnView(QWidget* parent)
    : QColumnView(parent)
    , m_preview(new EntryPreview(this)) {
    setItemDelegate(new BrowserEntryDelegate(this));
    setPreviewWidget(m_preview);
    // Qt's preview column, which holds the preview in its viewport, takes
    // the focus only until it first shows an entry; with the top of the
    // browser always a folder it may never have, so it takes none from the
    // start, like every column.
    if (QWidget* viewport = m_preview->parentWidget())
        if (QWidget* previewColumn = viewport->parentWidget())
            previewColumn->setFocusPolicy(Qt::NoFocus);
    connect(this, &QColumnView::updatePreviewWidget, m_preview, &EntryPreview::showEntry);
    // Space shows the selected file's picture or text larger, as a file
    // manager's quick look does.
    new QShortcut(QKeySequence(Qt::Key_Space), this, m_preview, &EntryPreview::openLarger,
                  Qt::WidgetWithChildrenShortcut);
}

// As many whole columns as the width holds, each of the same width: the
// browser then scrolls by whole columns.
void ArchiveColumnView::fitColumnsToWidth() {
    const int available = viewport()->width();
    const int fitting = std::max(1, available / PreferredColumnWidth);
    const int width = std::max(MinimumColumnWidth, available / fitting);
    m_preview->setMinimumWidth(width);
    setColumnWidths(QList<int>(PlannedColumns, width));
}

void ArchiveColumnView::resizeEvent(QResizeEvent* event) {
    fitColumnsToWidth();
    QColumnView::resizeEvent(event);
}

// Qt's column browser leaves the vertical keys to the column that has the
// focus, and no column has it before anything is current or while the
// browser scrolls to a new column: the browser itself then moves within the
// current entry's column (from nothing: to the first entry).
QModelIndex ArchiveColumnView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    const QModelIndex parent = current.isValid() ? current.parent() : rootIndex();
    const int rows = model() ? model()->rowCount(parent) : 0;
    if (rows == 0)
        return QColumnView::moveCursor(action, modifiers);
    const int row = current.isValid() ? current.row() : -1;
    switch (action) {
    case MoveUp:
        return model()->index(std::max(row - 1, 0), 0, parent);
    case MoveDown:
        return model()->index(std::min(row + 1, rows - 1), 0, parent);
    case MoveHome:
    case MovePageUp:
        return model()->index(0, 0, parent);
    case MoveEnd:
    case MovePageDown:
        return model()->index(rows - 1, 0, parent);
    default:
        return QColumnView::moveCursor(action, modifiers);
    }
}

// A new column takes its place in the Tab order right after the browser,
// not at the end of the window's: Shift+Tab from the control after the
// browser then comes back to the column that has the browser's focus.
QAbstractItemView* ArchiveColumnView::createColumn(const QModelIndex& index) {
    QAbstractItemView* column = QColumnView::createColumn(index);
    setTabOrder(this, column);
    // Qt's columns always show their scroll bar, also when empty; this
    // browser's show it when their entries do not fit.
    column->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return column;
}

// The column that has the focus is a child of the browser and would be a
// Tab stop of its own: Tab and Shift+Tab from any column go to the control
// after or before the browser instead.
bool ArchiveColumnView::focusNextPrevChild(bool next) {
    QWidget* control = this;
    do {
        control = next ? control->nextInFocusChain() : control->previousInFocusChain();
    } while (control != this && !isTabStopBeside(control, this));
    if (control == this)
        return false;
    control->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

} // namespace packshelf
