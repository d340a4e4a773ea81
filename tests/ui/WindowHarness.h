#pragma once

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "core/Executor.h"
#include "tests/support/TestFolders.h"
#include "ui/AppDelegate.h"
#include "ui/MainWindow.h"

class QAbstractButton;
class QWidget;

namespace packshelf::test {

// The real window and controller on the offscreen platform, with a source,
// a library and a work folder in a temporary directory and a settings store
// of its own. What would leave the process is recorded instead: folder
// pickers answer from `pickerAnswers`, the browser, the speech and the beep
// are counted. Workers run the real analysis on threads of their own; with
// `holdWorkers` each one waits until the test releases it.
class WindowHarness {
public:
    explicit WindowHarness(bool holdWorkers = false);
    ~WindowHarness();

    QString source() const { return path("source"); }
    QString library() const { return path("library"); }
    QString work() const { return path("work"); }
    QString settingsFile() const { return path("settings/PackShelf.conf"); }
    QString path(const QString& relative) const { return m_root.filePath(relative); }

    // An archive in the source folder: "A/" is a folder, anything else a
    // file holding its own name.
    void addArchive(const QString& name, const QStringList& entries);
    // Points the store at the three folders (and the option) before launch.
    void storeFolders(bool ignoreDS = false);

    void launch();
    // Quits (waiting for the workers) and starts again on the same store.
    void relaunch();
    void quit();

    AppDelegate& app() { return *m_delegate; }
    MainWindow& window() { return *m_window; }

    // Waits until the sheet that asks before an install shows what the
    // install would do, and confirms it.
    bool confirmInstall();
    // Serves the event loop, letting held workers run, until the scan is
    // over and the window idle.
    bool waitForIdle();
    // storeFolders(), launch() and waitForIdle().
    bool start() {
        storeFolders();
        launch();
        return waitForIdle();
    }
    bool isIdle();
    std::size_t heldWorkers() const { return m_held.size(); }
    // Lets the i-th worker that was started run; answers once its report is in.
    bool releaseWorker(std::size_t i);
    void releaseAllWorkers();

    void selectRow(int row);
    // Selects the entries named, one per browser column.
    void browse(const QStringList& names);
    static bool shown(const QWidget* widget);
    qint64 state(int row) { return app().mItemsArray().at(std::size_t(row)).state(); }
    QString info(int row) {
        return app().mItemsArray().at(std::size_t(row)).text("INFO").value_or("");
    }

    // "name:verdict" of every record, in list order.
    QStringList listed();
    QStringList logLines() const;
    QString statusText();
    std::deque<std::optional<QString>> pickerAnswers; // nothing: the user cancels
    QStringList pickerTitles;
    QStringList pickerStarts;  // the folder each picker opened at
    QStringList externalCalls; // "open <url>", "say <text>", "beep", "ask <question>", in order
    bool confirmAnswer = true;
    // Runs once while the next question is open, before it is answered.
    std::function<void()> whileAsking;
    bool desktopOpens = true; // what the desktop answers a folder or address handed to it

private:
    void installStubs();

    QTemporaryDir m_root;
    bool m_holdWorkers;
    // Outlives the window: the controller's work runs here.
    Executor m_executor;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<AppDelegate> m_delegate;
    std::vector<std::function<void()>> m_held;
    std::vector<bool> m_released;
    int m_logStart = 0;
};

void click(QAbstractButton* button);

// Paths of a zip archive's entries, for building archives by hand.
QByteArray zipOf(const QStringList& entries);

// The lines the window logged under its category since the test program
// started. Those lines are all written on the main thread.
struct WindowLog {
    static void install();
    static QStringList lines();
};

} // namespace packshelf::test
