#pragma once

#include <QString>
#include <QUrl>
#include <functional>

#include "analysis/Analyzer.h"

class QObject;
class QWidget;

namespace packshelf {

class Executor;

// What the controller needs from the desktop and the system, gathered in one
// place so that the tests can stand in for the parts that would reach
// outside the process (a browser, a speech engine, a dialog waiting for a
// person).
struct PlatformServices {
    using FolderChosen = std::function<void(const QString& folder)>;

    // Shows a window-modal folder picker on `sheetParent`, open at
    // `startFolder`, and returns at once; `chosen` runs later on the main
    // thread, only when the user confirmed a folder.
    std::function<void(QWidget* sheetParent, const QString& title, const QString& startFolder,
                       FolderChosen chosen)>
        pickFolder;
    // Hands an address to the desktop (a folder to the file manager, a web
    // address to the browser) without waiting; false when nothing on the
    // desktop takes it.
    std::function<bool(const QUrl& url)> openUrl;
    // Speaks a text without making the caller wait; nothing without a
    // speech engine.
    std::function<void(const QString& text)> speak;
    // The alert sound.
    std::function<void()> beep;
    // Asks a yes-or-no question in a window-modal box on `parent`; true
    // for yes.
    std::function<bool(QWidget* parent, const QString& title, const QString& question)> confirm;
    // Runs one job off the main thread (an analyzer worker, the installer,
    // a copy); `body` returns after its report has been taken in.
    std::function<void(std::function<void()> body)> startWorker;
};

// The real services: QFileDialog, QDesktopServices, QTextToSpeech (owned by
// `owner`, made on first use), QApplication::beep, QMessageBox and the
// application's `executor`.
PlatformServices desktopServices(QObject* owner, Executor& executor);

} // namespace packshelf
