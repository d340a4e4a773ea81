#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/EntryPreviewWindow.h"
#include "ui/PreviewContent.h"

class QLabel;
class QModelIndex;
class QPlainTextEdit;

namespace packshelf {

// The archive browser's last column when a file is selected: the file's
// icon, its name and its size; once read, its picture (in place of the
// icon) or the start of its text, or a word on why it shows neither.
class EntryPreview : public QWidget {
    Q_OBJECT
public:
    explicit EntryPreview(QWidget* parent = nullptr);

    void showEntry(const QModelIndex& index);
    // Shows what was read of the file; an empty content shows the icon.
    void showContent(PreviewContent content);
    const PreviewContent& content() const { return m_content; }
    // Opens the picture or text larger, in a window of its own.
    void openLarger();
    EntryPreviewWindow* largerWindow() const { return m_window; }

    QString sizeText() const;
    QString detailText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPicture();

    QLabel* m_icon;
    QLabel* m_name;
    QLabel* m_size;
    QLabel* m_detail;
    QPlainTextEdit* m_text;
    QPixmap m_entryIcon;
    PreviewContent m_content;
    QPointer<EntryPreviewWindow> m_window;
};

} // namespace packshelf
