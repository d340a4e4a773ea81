#include "ui/FolderPicker.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace packshelf {

FolderPicker::FolderPicker(QWidget* parent, const QString& title, const QString& startFolder)
    : QFileDialog(parent, title, startFolder) {
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
}

void FolderPicker::accept() {
    const QStringList folders = selectedFiles();
    if (!folders.isEmpty() && !QFileInfo::exists(folders.first()) &&
        !offerToCreate(folders.first()))
        return;
    QFileDialog::accept();
}

bool FolderPicker::offerToCreate(const QString& folder) {
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    tr("The folder %1 does not exist yet. Create it and use it?").arg(folder),
                    QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    const QPushButton* create = box.addButton(tr("&Create Folder"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() != create)
        return false;
    if (QDir().mkpath(folder))
        return true;
    QMessageBox failed(QMessageBox::Warning, windowTitle(),
                       tr("The folder %1 cannot be created here. Choose a folder you may "
                          "write to.")
                           .arg(folder),
                       QMessageBox::Ok, this);
    failed.setTextFormat(Qt::PlainText);
    failed.exec();
    return false;
}

} // namespace packshelf
