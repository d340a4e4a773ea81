#pragma once

#include <QDialog>

namespace packshelf {

struct PreviewContent;

// The selected file's picture or text at a larger size, in a window of its
// own: Space or Esc closes it.
class EntryPreviewWindow : public QDialog {
    Q_OBJECT
public:
    EntryPreviewWindow(const PreviewContent& content, const QString& name, QWidget* parent);
};

} // namespace packshelf
