#pragma once

#include <QWidget>

class QLabel;
class QModelIndex;

namespace packshelf {

// The archive browser's last column when a file is selected: the file's
// icon, its name and its size.
class EntryPreview : public QWidget {
    Q_OBJECT
public:
    explicit EntryPreview(QWidget* parent = nullptr);

    void showEntry(const QModelIndex& index);
    QString sizeText() const;

private:
    QLabel* m_icon;
    QLabel* m_name;
    QLabel* m_size;
};

} // namespace packshelf
