#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

QStringList fileNames(AppDelegate& app) {
    QStringList names;
    for (const ArchiveItem& item : app.mItemsArray())
        names << item.fileName();
    return names;
}

void addPackages(WindowHarness& window, int count) {
    for (int i = 0; i < count; ++i)
        window.addArchive(QString("pack%1.zip").arg(i, 2, 10, QChar('0')), {"Runtime/a.obj"});
}

} // namespace

TEST(WindowScan, ListsEveryZipEntryInListingOrder) {
    WindowHarness window;
    window.addArchive("c.Zip", {"Runtime/c"});
    window.addArchive("a.zip", {"Runtime/a"});
    window.addArchive("B.ZIP", {"Runtime/b"});
    window.addArchive("d.zip.txt", {"Runtime/d"});
    writeFile(QDir(window.source()).filePath("e"), "e");
    QDir(window.source()).mkpath("f.zip/Runtime");
    window.storeFolders();
    window.launch();

    EXPECT_EQ(fileNames(window.app()), QStringList({"a.zip", "B.ZIP", "c.Zip", "f.zip"}));
    EXPECT_EQ(window.app().mListInfoField()->text(), "Archives: 4");
    ASSERT_TRUE(window.waitForIdle());
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(window.info(row), "OK") << row;
    EXPECT_EQ(window.info(3), "Unzip error") << "a folder is no archive";
    EXPECT_EQ(listRecursive(window.work()), QStringList());
}

TEST(WindowScan, KeepsAtMostFourWorkersAndHandsRecordsOutInListOrder) {
    WindowHarness window(true);
    addPackages(window, 10);
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();

    EXPECT_EQ(app.mBatchID(), 1);
    EXPECT_EQ(window.heldWorkers(), 4u);
    EXPECT_EQ(app.mWorkers(), 4);
    EXPECT_TRUE(WindowHarness::shown(app.mSpinner()));
    EXPECT_FALSE(app.mInstallButton()->isEnabled());
    EXPECT_FALSE(WindowHarness::shown(app.mDropButton()));

    // Reports come back in any order; each one starts the next record, and
    // the n-th worker started was given row n.
    std::size_t reported = 0;
    for (std::size_t worker : {2u, 0u, 3u, 1u, 4u, 5u, 6u, 7u, 8u, 9u}) {
        ASSERT_TRUE(window.releaseWorker(worker)) << worker;
        ++reported;
        EXPECT_EQ(window.state(int(worker)), ItemState::Ready) << worker;
        EXPECT_EQ(window.heldWorkers(), std::min<std::size_t>(10, 4 + reported));
        EXPECT_EQ(app.mWorkers(), qint64(window.heldWorkers() - reported));
        EXPECT_LE(app.mWorkers(), 4);
    }
    EXPECT_TRUE(window.logLines().contains("Got result for index 2 for batchid 1"));
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_TRUE(WindowHarness::shown(app.mDropButton()));
    EXPECT_TRUE(WindowHarness::shown(app.mDonateButton()));
}

TEST(WindowScan, NewScanDropsTheReportsOfTheOldOne) {
    WindowHarness window(true);
    addPackages(window, 6);
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();
    app.openConfigSheet();
    app.closeConfigSheet(); // a second scan while the first four workers run

    ASSERT_EQ(app.mBatchID(), 2);
    ASSERT_EQ(window.heldWorkers(), 8u);
    const std::vector<ArchiveItem> fresh = app.mItemsArray();
    for (std::size_t oldWorker = 0; oldWorker < 4; ++oldWorker)
        ASSERT_TRUE(window.releaseWorker(oldWorker));
    EXPECT_EQ(app.mItemsArray(), fresh);
    EXPECT_EQ(app.mWorkers(), 4);
    EXPECT_EQ(window.heldWorkers(), 8u) << "a dropped report starts no worker";
    EXPECT_TRUE(window.logLines().contains("Got result for index 3 for batchid 1"));
    EXPECT_TRUE(WindowHarness::shown(app.mSpinner()));

    window.releaseAllWorkers();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.heldWorkers() == 10u; }));
    window.releaseAllWorkers();
    ASSERT_TRUE(window.waitForIdle());
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(window.info(row), "OK");
}

TEST(WindowScan, LastReportBeingStaleStillEndsTheScan) {
    WindowHarness window(true);
    addPackages(window, 2);
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();
    app.closeConfigSheet();
    ASSERT_EQ(window.heldWorkers(), 4u);

    ASSERT_TRUE(window.releaseWorker(2)); // the new scan's reports first
    ASSERT_TRUE(window.releaseWorker(3));
    EXPECT_FALSE(window.isIdle());
    ASSERT_TRUE(window.releaseWorker(0));
    ASSERT_TRUE(window.releaseWorker(1)); // the last one outstanding is stale
    EXPECT_TRUE(window.isIdle());
    EXPECT_TRUE(WindowHarness::shown(app.mDropButton()));
    EXPECT_TRUE(WindowHarness::shown(app.mDonateButton()));
}

TEST(WindowScan, EmptySourceFolderFinishesAtOnce) {
    WindowHarness window(true);
    window.storeFolders();
    window.launch();
    EXPECT_EQ(window.app().mBatchID(), 1);
    EXPECT_EQ(window.app().mContentList()->model()->rowCount(), 0);
    EXPECT_EQ(window.app().mListInfoField()->text(), "Archives: 0");
    EXPECT_EQ(window.heldWorkers(), 0u);
    EXPECT_TRUE(window.isIdle());
    EXPECT_TRUE(WindowHarness::shown(window.app().mDropButton()));
}

TEST(WindowScan, OptionClickReachesOnlyJobsMadeAfterIt) {
    WindowHarness window(true);
    for (int i = 0; i < 6; ++i)
        window.addArchive(QString("both%1.zip").arg(i), {"Runtime/r", "Data/d"});
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();
    ASSERT_FALSE(app.mIgnoreDSCheckbox()->isChecked());
    QTest::mouseClick(app.mIgnoreDSCheckbox(), Qt::LeftButton, {},
                      app.mIgnoreDSCheckbox()->rect().center());
    EXPECT_TRUE(app.mfIgnoreDS());

    window.releaseAllWorkers();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.heldWorkers() == 6u; }));
    window.releaseAllWorkers();
    ASSERT_TRUE(window.waitForIdle());
    for (int row = 0; row < 6; ++row) {
        const ArchiveItem& item = app.mItemsArray()[std::size_t(row)];
        EXPECT_EQ(item.integer("IGNORE_DS"), row < 4 ? 0 : 1) << row;
        EXPECT_EQ(item.flag("HASDATA"), row < 4) << row;
    }
}

TEST(WindowScan, QuittingDuringAScanWaitsForTheWorkersAndStartsNoMore) {
    WindowHarness window;
    addPackages(window, 12);
    window.storeFolders();
    window.launch();
    const QStringList source = listRecursive(window.source());
    window.quit();

    EXPECT_LE(window.logLines().size(), 4);
    EXPECT_EQ(listRecursive(window.work()), QStringList());
    EXPECT_EQ(listRecursive(window.source()), source);
}

// The list follows the source folder without the configuration sheet: an
// archive being written waits until it has settled, Refresh (F5) takes in
// removals and keeps choices, archives dropped from the list stay out, and
// archives dropped on the window are copied in (asking before replacing).
TEST(WindowScan, TheListFollowsTheFolder) {
    WindowHarness window;
    window.addArchive("b Dup.zip", {"A/Runtime/a", "B/Runtime/b"});
    window.addArchive("c Gone.zip", {"Runtime/c"});
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    window.selectRow(0);
    window.browse({"B", "Runtime"});
    app.setRuntimeFolder();
    const auto rows = [&] {
        QStringList names;
        for (const ArchiveItem& item : app.mItemsArray())
            names << item.fileName() + ":" + item.text("INFO").value_or("");
        return names;
    };

    const QByteArray whole = zipOf({"Runtime/a"});
    for (const QByteArray& written : {whole.left(10), whole}) {
        writeFile(window.source() + "/a New.zip", written);
        app.sourceWatcher().look();
        EXPECT_EQ(rows(), QStringList({"b Dup.zip:OK", "c Gone.zip:OK"})) << "still being written";
    }
    app.sourceWatcher().look(); // the same as at the last look: settled
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(rows(), QStringList({"a New.zip:OK", "b Dup.zip:OK", "c Gone.zip:OK"}));
    EXPECT_EQ(app.mItemsArray().at(1).text("RUNTIMEPATH"), "B") << "the choice is kept";

    QFile::remove(window.source() + "/c Gone.zip");
    window.selectRow(0);
    app.dropItem();
    window.window().findChild<QAction*>("mRefreshItem")->trigger();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(rows(), QStringList({"b Dup.zip:OK"}));

    const QString outside = window.path("downloads/d Dropped.zip");
    writeFile(outside, zipOf({"Runtime/d"}));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(outside)});
    const auto dropOnWindow = [&] {
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window.window(), &enter);
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window.window(), &drop);
    };
    dropOnWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows().size() == 2; }));
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(rows(), QStringList({"b Dup.zip:OK", "d Dropped.zip:OK"}));
    writeFile(outside, "a different archive");
    window.confirmAnswer = false;
    dropOnWindow();
    EXPECT_EQ(window.externalCalls.filter("ask").size(), 1);
    EXPECT_EQ(readFile(window.source() + "/d Dropped.zip"), zipOf({"Runtime/d"}));
}
