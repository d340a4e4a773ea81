#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class QWidget;

namespace packshelf {

class AppDelegate;
class MainWindow;

// Photographs the window for the documentation, then quits. Without a
// source folder it saves the first launch. Otherwise, once the list shows
// rows in every pin state, it opens the tree of an archive that needs help
// and saves the window; after the analysis it asks to install what is
// ready and saves the confirmation with its details over the window, then
// installs and saves the summary, the installed packages and the
// configuration sheet. Only
// made when the variable PACKSHELF_SCREENSHOTS names the folder for the
// pictures.
class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    ScreenshotTour(AppDelegate& delegate, MainWindow& window, QString folder);

    static std::unique_ptr<ScreenshotTour> fromEnvironment(AppDelegate& delegate,
                                                           MainWindow& window);

private:
    enum class Step {
        Start,
        SettleFirstLaunch,
        WaitForRows,
        SettleBrowser,
        WaitForIdle,
        WaitForConfirmation,
        SettleConfirmation,
        WaitForProgress,
        WaitForSummary,
        WaitForInstalled,
        SettleSheet,
        Done
    };

    void advance();
    bool showsEveryState() const;
    bool scanFinished() const;
    bool confirmationReady() const;
    void openTreeOfArchiveNeedingHelp();
    void save(QWidget* widget, const QString& name);
    // The window with a sheet drawn over its top, as the sheet appears.
    void saveWithSheet(QWidget* sheet, const QString& name);
    void moveTo(Step step);
    void finish();

    AppDelegate& m_delegate;
    MainWindow& m_window;
    QString m_folder;
    QTimer m_timer;
    QElapsedTimer m_inStep;
    Step m_step = Step::Start;
};

} // namespace packshelf
