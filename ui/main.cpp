#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <cstdio>
#include <optional>

#include "core/Executor.h"
#include "readers/ReaderZygote.h"
#include "ui/AppDelegate.h"
#include "ui/AppResources.h"
#include "ui/MainWindow.h"
#include "ui/ScreenshotTour.h"
#include "ui/SystemLog.h"

namespace {

const char* const Help =
    "Usage: packshelf [OPTIONS]\n"
    "\n"
    "Opens the PackShelf window, which installs content packages delivered as\n"
    "zip archives into a content library. The folders are chosen in the window\n"
    "(Configure...) and kept in ~/.config/PackShelf/PackShelf.conf.\n"
    "\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "Qt's own options (-platform NAME, -style NAME, -reverse, ...) are taken too.\n"
    "'packshelf-cli --help' shows the command line without a window.\n";

// Parses the window's options. Single-dash words are whole options, so that
// Qt's own (-platform, -stylesheet) are never read as -h and more.
struct Options {
    QCommandLineParser parser;
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{QStringLiteral("version")};

    explicit Options(const QStringList& arguments) {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({help, version});
        valid = parser.parse(arguments) && parser.positionalArguments().isEmpty();
    }
    bool valid = false;
};

// --help and --version, answered before the window's application exists,
// so that they need no display. Nothing when the window is to open.
std::optional<int> answerWithoutWindow(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Qt's own options are not known yet: errors wait for the second parse.
    const Options options(arguments);
    if (options.parser.isSet(options.help)) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (options.parser.isSet(options.version)) {
        std::puts("packshelf " PACKSHELF_VERSION);
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> answered = answerWithoutWindow(argc, argv))
        return *answered;
    // The analysis forks its readers from a zygote, forked here while this
    // process has one thread and nothing open of its own.
    packshelf::ReaderZygote::startEarly();
    QCoreApplication::setOrganizationName(QStringLiteral("PackShelf"));
    QCoreApplication::setApplicationName(QStringLiteral("PackShelf"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PACKSHELF_VERSION));
    QApplication app(argc, argv);
    packshelf::SystemLog::install();
    // What is left once Qt has taken its own options.
    if (const Options options(QCoreApplication::arguments()); !options.valid) {
        const QString error = options.parser.errorText();
        std::fprintf(stderr, "packshelf: %s\n",
                     qPrintable(error.isEmpty()
                                    ? QStringLiteral("unexpected argument '%1' (see --help)")
                                          .arg(options.parser.positionalArguments()[0])
                                    : error));
        return 2;
    }
    QGuiApplication::setDesktopFileName(QStringLiteral("io.packshelf.PackShelf"));
    QApplication::setWindowIcon(packshelf::applicationIcon());
    packshelf::installAppTranslations(app);

    // The application's one executor; it outlives everything that hands it
    // work.
    packshelf::Executor executor;
    QSettings settings;
    packshelf::MainWindow window;
    window.rememberGeometry(packshelf::SettingsStore(settings));
    packshelf::AppDelegate delegate(window, settings, executor);
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
