#pragma once

#include <QFileDialog>

namespace packshelf {

// The folder picker of the configuration sheet. A typed folder that does
// not exist yet is not met with a bare "not found": the picker says so in
// PackShelf's words and offers to create it.
class FolderPicker : public QFileDialog {
    Q_OBJECT
public:
    FolderPicker(QWidget* parent, const QString& title, const QString& startFolder);

protected:
    void accept() override;

private:
    // Asks to create `folder` and creates it; false when the user declines
    // or it cannot be made, which the picker then says.
    bool offerToCreate(const QString& folder);
};

} // namespace packshelf
