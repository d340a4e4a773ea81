#pragma once

#include <QColumnView>

namespace packshelf {

class EntryPreview;

// The archive browser: a column browser whose columns share the width
// evenly, so that it scrolls sideways only by whole columns and never shows
// a column cut off at the left; entries show their size, and a selected
// file its details in the last column (Space shows its picture or text
// larger). From the keyboard it is one Tab stop: the arrows move inside
// it, starting at the first entry.
class ArchiveColumnView : public QColumnView {
    Q_OBJECT
public:
    explicit ArchiveColumnView(QWidget* parent = nullptr);

    EntryPreview* preview() const { return m_preview; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool focusNextPrevChild(bool next) override;
    QAbstractItemView* createColumn(const QModelIndex& index) override;

private:
    void fitColumnsToWidth();

    EntryPreview* m_preview;
};

} // namespace packshelf
