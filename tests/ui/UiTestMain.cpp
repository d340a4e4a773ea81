#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tests/ui/WindowHarness.h"
#include "ui/AppResources.h"

namespace packshelf::test {

namespace {
QStringList windowLines;
QtMessageHandler previousHandler = nullptr;

void collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtInfoMsg && qstrcmp(context.category, "packshelf.ui") == 0) {
        windowLines << message;
        return;
    }
    if (type != QtInfoMsg && previousHandler)
        previousHandler(type, context, message);
}
} // namespace

void WindowLog::install() {
    previousHandler = qInstallMessageHandler(collect);
}

QStringList WindowLog::lines() {
    return windowLines;
}

} // namespace packshelf::test

// The window's tests run on the offscreen platform, and whatever per-user
// store Qt might reach lives in a folder of the test's own.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath("cache")));
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PackShelf");
    QCoreApplication::setApplicationName("PackShelf");
    QApplication app(argc, argv);
    packshelf::installAppTranslations(app);
    packshelf::test::WindowLog::install();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
