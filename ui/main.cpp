#include <QApplication>
#include <QSettings>

#include "ui/AppDelegate.h"
#include "ui/AppResources.h"
#include "ui/MainWindow.h"
#include "ui/ScreenshotTour.h"

int main(int argc, char* argv[]) {
    QCoreApplication::setOrganizationName(QStringLiteral("PackShelf"));
    QCoreApplication::setApplicationName(QStringLiteral("PackShelf"));
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("packshelf"));
    QApplication::setWindowIcon(packshelf::applicationIcon());
    packshelf::installAppTranslations(app);

    QSettings settings;
    packshelf::MainWindow window;
    packshelf::AppDelegate delegate(window, settings);
    window.show();
    const auto tour = packshelf::ScreenshotTour::fromEnvironment(delegate, window);
    delegate.applicationDidFinishLaunching();

    const int result = QApplication::exec();
    delegate.applicationWillTerminate();
    // Workers still running report to the controller and remove their
    // expansion folders; the window and the controller outlive them.
    delegate.waitForOutstandingWorkers();
    return result;
}
