#include "ui/ArchiveColumnView.h"

#include <QResizeEvent>

#include "ui/BrowserEntryDelegate.h"
#include "ui/EntryPreview.h"

namespace packshelf {

namespace {
constexpr int PreferredColumnWidth = 230;
constexpr int MinimumColumnWidth = 120;
// More than any tree is deep: every column gets the same width.
constexpr int PlannedColumns = 64;
} // namespace

ArchiveColumnView::ArchiveColumnView(QWidget* parent)
    : QColumnView(parent)
    , m_preview(new EntryPreview(this)) {
    setItemDelegate(new BrowserEntryDelegate(this));
    setPreviewWidget(m_preview);
    connect(this, &QColumnView::updatePreviewWidget, m_preview, &EntryPreview::showEntry);
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

} // namespace packshelf
