// Analyses generated libraries in the real window on the offscreen platform
// and prints two figures:
//  - with ARCHIVES packages of some weight (default 1,000): how long the
//    main thread is kept from its event loop, from the start of the scan to
//    its end. A 5 ms timer records the gap between its ticks while the
//    window is repainted and a row is clicked every 100 ms; the median, p99
//    and longest gap are printed.
//  - with SMALL small archives (default 10,000): how long the window takes
//    from start to a finished analysis.
//
//     packshelf-bench-window [ARCHIVES [SMALL]]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/CorpusGenerator.h"
#include "core/Executor.h"
#include "ui/AppDelegate.h"
#include "ui/AppResources.h"
#include "ui/MainWindow.h"

using namespace packshelf;

namespace {

constexpr int TickMs = 5;
constexpr int ClickMs = 100;
constexpr int WatchMs = 20;
constexpr int SettleMs = 300;

// A package of some weight: a Runtime and a Data folder a few levels down,
// forty files of 16 KiB, and a nested archive.
bench::FileList packageFiles(int number, const QByteArray& nested) {
    bench::FileList files;
    const QString root = QStringLiteral("Package %1/").arg(number);
    for (int i = 0; i < 40; ++i) {
        const QString folder =
            i % 2 ? QStringLiteral("Runtime/Models/") : QStringLiteral("Data/Textures/");
        files.append({root + folder + QStringLiteral("part%1.bin").arg(i),
                      QByteArray(16 * 1024, char('a' + (number + i) % 26))});
    }
    files.append({root + QStringLiteral("Extras.zip"), nested});
    return files;
}

// A small package: four short files beside a Runtime folder.
bench::FileList smallFiles(int number) {
    const QString root = QStringLiteral("Small %1/").arg(number);
    return {{root + QStringLiteral("Runtime/a.txt"), "a"},
            {root + QStringLiteral("Runtime/b.txt"), "b"},
            {root + QStringLiteral("Data/c.txt"), "c"},
            {root + QStringLiteral("readme.txt"), "read me"}};
}

QString archivePath(const QString& folder, const QString& stem, int number) {
    return QDir(folder).filePath(
        QStringLiteral("%1 %2.zip").arg(stem).arg(number, 5, 10, QChar('0')));
}

bool makeHeavyLibrary(const QString& folder, int count) {
    QTemporaryDir scratch;
    const QString nestedPath = scratch.filePath(QStringLiteral("nested.zip"));
    if (!bench::writeArchive(nestedPath, {{QStringLiteral("Extras/readme.txt"), "extras"}}))
        return false;
    QFile nestedFile(nestedPath);
    if (!nestedFile.open(QIODevice::ReadOnly))
        return false;
    const QByteArray nested = nestedFile.readAll();
    for (int i = 0; i < count; ++i) {
        if (!bench::writeArchive(archivePath(folder, QStringLiteral("Package"), i),
                                 packageFiles(i, nested)))
            return false;
    }
    return true;
}

bool makeSmallLibrary(const QString& folder, int count) {
    for (int i = 0; i < count; ++i) {
        if (!bench::writeArchive(archivePath(folder, QStringLiteral("Small"), i), smallFiles(i)))
            return false;
    }
    return true;
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

struct WindowRun {
    double seconds = 0;
    int archives = 0;
    int ready = 0;
    std::vector<double> gaps;   // ms between the ticks of a 5 ms timer
    std::vector<double> clicks; // ms to click a row and repaint
};

// Starts the window on `source` and serves its event loop until the
// analysis has finished.
WindowRun analyseInWindow(const QTemporaryDir& root, const QString& source) {
    QSettings settings(root.filePath(QStringLiteral("PackShelf.conf")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("SOURCEPATH"), source);
    settings.setValue(QStringLiteral("WORKPATH"), root.filePath(QStringLiteral("work")));
    Executor executor;
    MainWindow window;
    AppDelegate delegate(window, settings, executor);
    window.show();

    WindowRun run;
    QElapsedTimer sinceTick;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        run.gaps.push_back(double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    QTimer clicker;
    int row = 0;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        QElapsedTimer handling;
        handling.start();
        const int rows = delegate.mContentList()->model()->rowCount();
        if (rows > 0)
            delegate.mContentList()->selectRow(row++ % rows);
        window.repaint();
        run.clicks.push_back(double(handling.nsecsElapsed()) / 1e6);
    });
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (delegate.mWorkers() == 0 &&
            delegate.mCurrentIndex() >= qint64(delegate.mItemsArray().size()))
            QCoreApplication::quit();
    });

    // The window is shown and painted first; the measure starts with the
    // scan.
    QElapsedTimer scan;
    QTimer::singleShot(SettleMs, [&] {
        sinceTick.start();
        ticker.start(TickMs);
        clicker.start(ClickMs);
        watcher.start(WatchMs);
        scan.start();
        delegate.applicationDidFinishLaunching();
    });
    QApplication::exec();
    run.seconds = double(scan.elapsed()) / 1000.0;
    run.archives = int(delegate.mItemsArray().size());
    for (const ArchiveItem& item : delegate.mItemsArray())
        run.ready += item.state() == ItemState::Ready;
    return run;
}

void printRun(const char* title, const WindowRun& run) {
    std::printf("%s\n", title);
    std::printf("  archives analysed        %d (%d ready) in %.2f s, %.0f archives/s\n",
                run.archives, run.ready, run.seconds, run.archives / run.seconds);
    std::printf("  main-thread gap          median %.2f ms, p99 %.2f ms, longest %.2f ms"
                " (%zu ticks of %d ms)\n",
                percentile(run.gaps, 0.5), percentile(run.gaps, 0.99), percentile(run.gaps, 1.0),
                run.gaps.size(), TickMs);
    std::printf("  click + repaint          %zu done, median %.2f ms, longest %.2f ms\n",
                run.clicks.size(), percentile(run.clicks, 0.5), percentile(run.clicks, 1.0));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installAppTranslations(app);
    QLoggingCategory::setFilterRules(QStringLiteral("packshelf.*.info=false"));
    const int heavy = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    const int small = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 10000;

    QTemporaryDir root;
    const QString heavySource = root.filePath(QStringLiteral("heavy"));
    const QString smallSource = root.filePath(QStringLiteral("small"));
    for (const QString& folder : {heavySource, smallSource, root.filePath(QStringLiteral("work"))})
        QDir().mkpath(folder);
    std::printf("writing %d packages and %d small archives...\n", heavy, small);
    if (!makeHeavyLibrary(heavySource, heavy) || !makeSmallLibrary(smallSource, small))
        return 1;

    const WindowRun smooth = analyseInWindow(root, heavySource);
    printRun("packages, window kept smooth:", smooth);
    const WindowRun many = analyseInWindow(root, smallSource);
    printRun("small archives, time to analyse them all:", many);
    return smooth.ready == heavy && many.ready == small ? 0 : 1;
}
