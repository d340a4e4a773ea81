#include "ui/PlatformServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextToSpeech>

#include "core/Executor.h"
#include "ui/FolderPicker.h"

namespace packshelf {

namespace {

void showFolderPicker(QWidget* sheetParent, const QString& title, const QString& startFolder,
                      PlatformServices::FolderChosen chosen) {
    auto* dialog = new FolderPicker(sheetParent, title, startFolder);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, chosen = std::move(chosen)](int result) {
                         const QStringList folders = dialog->selectedFiles();
                         if (result == QDialog::Accepted && !folders.isEmpty())
                             chosen(folders.first());
                     });
    dialog->open();
}

// One speech engine for the application's lifetime, made on first use;
// without any engine installed nothing is made and nothing is said.
void speakWith(QObject* owner, QPointer<QTextToSpeech>& engine, const QString& text) {
    if (!engine) {
        if (QTextToSpeech::availableEngines().isEmpty())
            return;
        engine = new QTextToSpeech(owner);
    }
    if (engine->state() != QTextToSpeech::Error)
        engine->say(text);
}

// Asks with the action's own verb on the button that goes ahead (the title
// names the action: "Uninstall", "Replace Archive"), and Cancel beside it,
// taken by Return and Esc.
bool askToGoAhead(QWidget* parent, const QString& title, const QString& question) {
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::NoButton, parent);
    box.setWindowModality(Qt::WindowModal);
    const QPushButton* goAhead = box.addButton(QLatin1Char('&') + title, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == goAhead;
}

} // namespace

PlatformServices desktopServices(QObject* owner, Executor& executor) {
    auto engine = std::make_shared<QPointer<QTextToSpeech>>();
    PlatformServices services;
    services.pickFolder = showFolderPicker;
    services.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    services.speak = [owner, engine](const QString& text) { speakWith(owner, *engine, text); };
    services.beep = [] { QApplication::beep(); };
    services.confirm = askToGoAhead;
    services.startWorker = [&executor](std::function<void()> body) {
        executor.start(std::move(body));
    };
    return services;
}

} // namespace packshelf
