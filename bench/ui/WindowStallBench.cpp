// Analyses a library of 200 archives in the real window and measures how
// long the main thread is kept from its event loop: a 5 ms timer records the
// gap between its ticks, the window is repainted and a row is clicked every
// 100 ms, and the figures are printed at the end.
//
//     packshelf-bench-window [ARCHIVES]

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
#include "ui/AppDelegate.h"
#include "ui/AppResources.h"
#include "ui/MainWindow.h"

using namespace packshelf;

namespace {

constexpr int TickMs = 5;
constexpr int ClickMs = 100;

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

bool makeLibrary(const QString& folder, int count) {
    QTemporaryDir scratch;
    const QString nestedPath = scratch.filePath(QStringLiteral("nested.zip"));
    if (!bench::writeArchive(nestedPath, {{QStringLiteral("Extras/readme.txt"), "extras"}}))
        return false;
    QFile nestedFile(nestedPath);
    if (!nestedFile.open(QIODevice::ReadOnly))
        return false;
    const QByteArray nested = nestedFile.readAll();
    for (int i = 0; i < count; ++i) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("Package %1.zip").arg(i, 3, 10, QChar('0')));
        if (!bench::writeArchive(path, packageFiles(i, nested)))
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

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installAppTranslations(app);
    QLoggingCategory::setFilterRules(QStringLiteral("packshelf.*.info=false"));
    const int archives = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200;

    QTemporaryDir root;
    const QString source = root.filePath(QStringLiteral("source"));
    const QString work = root.filePath(QStringLiteral("work"));
    QDir().mkpath(source);
    QDir().mkpath(work);
    std::printf("writing %d archives...\n", archives);
    if (!makeLibrary(source, archives))
        return 1;

    QSettings settings(root.filePath(QStringLiteral("PackShelf.conf")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("SOURCEPATH"), source);
    settings.setValue(QStringLiteral("WORKPATH"), work);
    MainWindow window;
    AppDelegate delegate(window, settings);
    window.show();

    std::vector<double> gaps;
    std::vector<double> clicks;
    QElapsedTimer sinceTick;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        gaps.push_back(double(sinceTick.nsecsElapsed()) / 1e6);
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
        clicks.push_back(double(handling.nsecsElapsed()) / 1e6);
    });
    QElapsedTimer scan;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (delegate.mWorkers() == 0 &&
            delegate.mCurrentIndex() >= qint64(delegate.mItemsArray().size()))
            QCoreApplication::quit();
    });

    sinceTick.start();
    ticker.start(TickMs);
    clicker.start(ClickMs);
    watcher.start(20);
    scan.start();
    delegate.applicationDidFinishLaunching();
    QApplication::exec();
    const double seconds = double(scan.elapsed()) / 1000.0;

    int ready = 0;
    for (const ArchiveItem& item : delegate.mItemsArray())
        ready += item.state() == ItemState::Ready;
    gaps.erase(gaps.begin()); // the first tick also counts the start-up
    std::printf("archives analysed        %d (%d ready) in %.2f s, %.1f archives/s\n",
                int(delegate.mItemsArray().size()), ready, seconds, archives / seconds);
    std::printf("timer ticks (every %d ms) %zu\n", TickMs, gaps.size());
    std::printf("main-thread gap          median %.2f ms, p99 %.2f ms, longest %.2f ms\n",
                percentile(gaps, 0.5), percentile(gaps, 0.99), percentile(gaps, 1.0));
    std::printf("click + repaint          %zu done, median %.2f ms, longest %.2f ms\n",
                clicks.size(), percentile(clicks, 0.5), percentile(clicks, 1.0));
    return ready == archives ? 0 : 1;
}
