#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace packshelf {

class AppDelegate;
class MainWindow;

// Photographs the window for the documentation: once the list shows rows in
// every icon state it selects an archive that needs help, opens its tree in
// the browser and saves the window; after the scan it saves the window again
// and then the configuration sheet, and quits. Only made when the variable
// PACKSHELF_SCREENSHOTS names the folder for the pictures.
class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    ScreenshotTour(AppDelegate& delegate, MainWindow& window, QString folder);

    static std::unique_ptr<ScreenshotTour> fromEnvironment(AppDelegate& delegate,
                                                           MainWindow& window);

private:
    enum class Step { WaitForRows, SettleBrowser, WaitForIdle, SettleSheet, Done };

    void advance();
    bool showsEveryState() const;
    bool scanFinished() const;
    void openTreeOfArchiveNeedingHelp();
    void save(QWidget* widget, const QString& name);
    void moveTo(Step step);

    AppDelegate& m_delegate;
    MainWindow& m_window;
    QString m_folder;
    QTimer m_timer;
    QElapsedTimer m_inStep;
    Step m_step = Step::WaitForRows;
};

} // namespace packshelf
