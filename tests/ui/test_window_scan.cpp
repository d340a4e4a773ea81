#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
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

// Reports come back in any order; each one stored hands out the next
// record, so that at most four workers run per scan. A report of an earlier
// scan is dropped and starts nothing; when such a report is the last one
// outstanding, the scan still ends. The option reaches only the jobs made
// after it was clicked.
TEST(WindowScan, FourWorkersAndStaleReports) {
    WindowHarness window(true);
    for (int i = 0; i < 6; ++i)
        window.addArchive(QString("pack%1.zip").arg(i), {"Runtime/r", "Data/d"});
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();
    EXPECT_EQ(window.heldWorkers(), 4u);
    EXPECT_TRUE(WindowHarness::shown(app.mSpinner()));
    EXPECT_FALSE(app.mInstallButton()->isEnabled());
    EXPECT_FALSE(WindowHarness::shown(app.mDropButton()));
    for (std::size_t worker : {2u, 0u}) { // the n-th worker started was given row n
        ASSERT_TRUE(window.releaseWorker(worker));
        EXPECT_EQ(window.state(int(worker)), ItemState::Ready) << worker;
    }
    EXPECT_EQ(window.heldWorkers(), 6u);
    EXPECT_EQ(app.mWorkers(), 4);

    app.closeConfigSheet(); // a second scan while workers 1, 3, 4 and 5 run
    ASSERT_EQ(app.mBatchID(), 2);
    ASSERT_EQ(window.heldWorkers(), 10u);
    click(app.mIgnoreDSCheckbox());
    const std::vector<ArchiveItem> fresh = app.mItemsArray();
    ASSERT_TRUE(window.releaseWorker(1));
    ASSERT_TRUE(window.releaseWorker(3));
    EXPECT_EQ(app.mItemsArray(), fresh);
    EXPECT_EQ(window.heldWorkers(), 10u) << "a dropped report starts no worker";
    EXPECT_TRUE(window.logLines().contains("Got result for index 3 for batchid 1"));

    for (std::size_t worker = 6; worker < 12; ++worker)
        ASSERT_TRUE(window.releaseWorker(worker)) << worker;
    EXPECT_FALSE(window.isIdle());
    ASSERT_TRUE(window.releaseWorker(4));
    ASSERT_TRUE(window.releaseWorker(5)); // the last one outstanding is stale
    EXPECT_TRUE(window.isIdle());
    EXPECT_TRUE(WindowHarness::shown(app.mDropButton()));
    for (int row = 0; row < 6; ++row) {
        const ArchiveItem& item = app.mItemsArray()[std::size_t(row)];
        EXPECT_EQ(item.text("INFO"), "OK") << row;
        EXPECT_EQ(item.integer("IGNORE_DS"), row < 4 ? 0 : 1) << row;
    }
}

// A worker's report finds its archive's record by the archive's file name,
// not by the row it was handed out from: the list replaced in the middle of
// a scan (through the controller's accessor) has moved every record, and
// each report still lands on its own.
TEST(WindowScan, ReportsFindTheirRecordWhereverTheListMovedIt) {
    WindowHarness window(true);
    window.addArchive("a.zip", {"Runtime/r"});
    window.addArchive("b.zip", {"Docs/readme"});
    window.addArchive("c.zip", {"Data/d"});
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();
    ASSERT_EQ(window.heldWorkers(), 3u);
    app.setMItemsArray({app.mItemsArray().rbegin(), app.mItemsArray().rend()});
    for (std::size_t worker : {0u, 1u, 2u})
        ASSERT_TRUE(window.releaseWorker(worker)) << worker;
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.listed(), QStringList({"c.zip:OK", "b.zip:No Runtime", "a.zip:OK"}));
}

// Quitting cancels what runs and ends once it has ended: during a scan no
// more workers start; during the comparison behind the confirmation and
// during an install nothing is left behind, and the install's archive is
// either rolled back or whole.
TEST(WindowScan, QuittingCancelsWhatRunsAndLeavesNothingBehind) {
    enum class Phase { Scan, Confirmation, Install };
    for (const Phase phase : {Phase::Scan, Phase::Confirmation, Phase::Install}) {
        SCOPED_TRACE(int(phase));
        WindowHarness window;
        for (int i = 0; i < 12; ++i)
            window.addArchive(QString("pack%1.zip").arg(i), {"Runtime/a.obj"});
        QStringList many;
        for (int i = 0; i < 3000; ++i)
            many << QString("Runtime/big/file%1.txt").arg(i);
        window.addArchive("pack_big.zip", many);
        window.storeFolders();
        window.launch();
        if (phase != Phase::Scan) {
            ASSERT_TRUE(window.waitForIdle());
            window.app().beginInstall();
        }
        if (phase == Phase::Install) {
            ASSERT_TRUE(window.confirmInstall());
            ASSERT_TRUE(QTest::qWaitFor([&] { return window.app().mInstallSheet()->isVisible(); }));
        }
        const QStringList source = listRecursive(window.source());
        window.quit();

        if (phase == Phase::Scan) {
            EXPECT_LE(window.logLines().size(), 4);
        }
        EXPECT_EQ(listRecursive(window.work()), QStringList());
        EXPECT_EQ(listRecursive(window.source()), source);
        const QStringList library = listRecursive(window.library());
        EXPECT_EQ(library.filter(".packshelf-partial-"), QStringList());
        EXPECT_EQ(library.filter("journal-"), QStringList());
        const qsizetype big = library.filter("Runtime/big/").size();
        EXPECT_TRUE(big == 0 || big == many.size()) << big;
    }
}

// The list follows the source folder without the configuration sheet: an
// archive being written waits until it has settled, also while another one
// settles and is taken in; Refresh takes in removals and keeps choices,
// archives dropped from the list stay out, and archives dropped on the
// window are copied in (asking before replacing).
TEST(WindowScan, TheListFollowsTheFolder) {
    WindowHarness window;
    window.addArchive("b Dup.zip", {"A/Runtime/a", "B/Runtime/b"});
    window.addArchive("c Gone.zip", {"Runtime/c"});
    ASSERT_TRUE(window.start());
    AppDelegate& app = window.app();
    window.selectRow(0);
    window.browse({"B", "Runtime"});
    app.setRuntimeFolder();

    const QByteArray whole = zipOf({"Runtime/a"});
    const QStringList before = window.listed();
    writeFile(window.source() + "/a New.zip", whole.left(10));
    for (int written : {10, 20, 30}) {
        if (written == 20)
            writeFile(window.source() + "/a New.zip", whole);
        writeFile(window.source() + "/e Late.zip", whole.left(written));
        app.sourceWatcher().look();
        if (written < 30) {
            EXPECT_EQ(window.listed(), before) << "still being written";
        }
    }
    // a New.zip has settled, e Late.zip has not
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.listed(), QStringList({"a New.zip:OK", "b Dup.zip:OK", "c Gone.zip:OK"}));
    EXPECT_EQ(app.mItemsArray().at(1).text("RUNTIMEPATH"), "B") << "the choice is kept";
    writeFile(window.source() + "/e Late.zip", whole);
    app.sourceWatcher().look();
    app.sourceWatcher().look(); // the same as at the last look: settled
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.listed().last(), "e Late.zip:OK");

    QFile::remove(window.source() + "/c Gone.zip");
    window.selectRow(0);
    app.dropItem();
    window.window().findChild<QAction*>("mRefreshItem")->trigger();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.listed(), QStringList({"b Dup.zip:OK", "e Late.zip:OK"}));

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
    // A drop is a copy: a drag that offers only a move is refused, and a move
    // proposed beside a copy is taken as a copy, so no source deletes the file.
    for (const Qt::DropActions offered :
         {Qt::DropActions(Qt::MoveAction), Qt::DropActions(Qt::CopyAction | Qt::MoveAction)}) {
        QDragEnterEvent enter(QPoint(20, 20), offered, &mime, Qt::LeftButton, {});
        enter.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(&window.window(), &enter);
        EXPECT_EQ(enter.isAccepted(), bool(offered & Qt::CopyAction));
        // The list is outlined while archives it takes are over the window.
        EXPECT_EQ(app.mContentList()->property("dropTarget").toBool(),
                  bool(offered & Qt::CopyAction));
        QDropEvent drop(QPointF(20, 20), offered, &mime, Qt::LeftButton, {});
        drop.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(&window.window(), &drop);
        EXPECT_EQ(drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction,
                  offered & Qt::CopyAction ? Qt::CopyAction : Qt::IgnoreAction);
        EXPECT_FALSE(app.mContentList()->property("dropTarget").toBool());
        ASSERT_TRUE(window.waitForIdle());
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.listed().size() == 3; }));
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.listed(), QStringList({"b Dup.zip:OK", "d Dropped.zip:OK", "e Late.zip:OK"}));
    // A file that is not an archive is refused, saying why.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.statusText().startsWith("Copied"); }));
    const QString notes = window.path("downloads/notes.txt");
    writeFile(notes, "not an archive");
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(notes)});
    QDragEnterEvent entering(QPoint(20, 20), Qt::CopyAction, &other, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&window.window(), &entering);
    EXPECT_FALSE(app.mContentList()->property("dropTarget").toBool());
    QDropEvent refused(QPointF(20, 20), Qt::CopyAction, &other, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&window.window(), &refused);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return window.statusText() ==
               "Only zip, 7z and RAR archives can be added; not added: notes.txt";
    })) << window.statusText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(window.source() + "/notes.txt"));
    writeFile(outside, "a different archive");
    window.confirmAnswer = false;
    dropOnWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.externalCalls.filter("ask").size() == 1; }));
    EXPECT_EQ(readFile(window.source() + "/d Dropped.zip"), zipOf({"Runtime/d"}));
}

// Install takes the archives that are ready while the rest are analysed:
// it is offered once one is ready, the question names only those (an
// archive that becomes ready while it is asked waits for the next
// install), and the analysis goes on with every other archive, none passed
// over when the installed rows leave the list.
TEST(WindowScan, InstallTakesWhatIsReadyWhileTheRestIsAnalysed) {
    WindowHarness window(true);
    QStringList rest;
    for (int i = 0; i < 10; ++i) {
        window.addArchive(QString("pack%1.zip").arg(i), {QString("Runtime/p%1.obj").arg(i)});
        if (i > 0)
            rest << QString("pack%1.zip:OK").arg(i);
    }
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();
    ASSERT_EQ(window.heldWorkers(), 4u);
    EXPECT_FALSE(app.mInstallButton()->isEnabled()) << "nothing is ready yet";
    ASSERT_TRUE(window.releaseWorker(0));
    EXPECT_TRUE(app.mInstallButton()->isEnabled()) << "pack0.zip is ready";

    click(app.mInstallButton());
    QDialog* confirm = window.window().confirmSheet();
    ASSERT_TRUE(QTest::qWaitFor([&] { return confirm->isVisible(); }));
    EXPECT_EQ(confirm->findChild<QLabel*>("mConfirmArchivesField")->text(),
              "To install: pack0.zip");
    const QString leftOut = confirm->findChild<QLabel*>("mConfirmProblemsField")->text();
    EXPECT_TRUE(leftOut.contains("pack1.zip (not analysed yet)")) << leftOut.toStdString();
    EXPECT_TRUE(leftOut.contains("pack9.zip (not analysed yet)")) << leftOut.toStdString();
    ASSERT_TRUE(window.releaseWorker(1)); // ready while the question is open
    ASSERT_TRUE(window.confirmInstall());
    ASSERT_TRUE(window.waitForIdle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.mInstallSheet()->isHidden(); }));

    EXPECT_EQ(listRecursive(window.library()), QStringList({"Runtime/", "Runtime/p0.obj"}));
    EXPECT_EQ(window.listed(), rest);
}

// A hundred scans started back to back while the workers of earlier scans
// are still running: every report is counted off, the last scan's list is
// whole and correct, and nothing but the work folder is written to. Among
// the archives are two whose names differ only in case, analysed side by
// side, and names a shell would take apart.
TEST(WindowStress, HundredScansBackToBack) {
    WindowHarness window;
    const QStringList strange = {"with  two  spaces .zip", "it's \"quoted\" `$HOME`.zip",
                                 QString::fromUtf8("Ünïcødé Пакет 日本.zip"), "semi;colon&amp.zip"};
    for (const QString& name : strange)
        window.addArchive(name, {"Pack/Runtime/" + name, "Pack/Data/d"});
    for (int i = 0; i < 194; ++i)
        window.addArchive(QString("pack%1.zip").arg(i, 3, 10, QChar('0')), {"Runtime/a.obj"});
    window.addArchive("twin.zip", {"Runtime/lower.obj"});
    window.addArchive("twin.ZIP", {"Data/upper.tex"});
    window.storeFolders();
    window.launch();
    const FolderSnapshot outside = FolderSnapshot::of(window.source());

    AppDelegate& app = window.app();
    for (int scan = 0; scan < 100; ++scan) {
        app.launchAnalyzer();
        // Serve a few reports of earlier scans between the starts.
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(window.waitForIdle());

    EXPECT_EQ(app.mBatchID(), 101);
    EXPECT_EQ(app.mWorkers(), 0) << "every report was counted off";
    const QStringList listed = window.listed();
    ASSERT_EQ(listed.size(), 200);
    for (const QString& row : listed)
        EXPECT_TRUE(row.endsWith(":OK")) << qPrintable(row);
    // Upper case sorts first among names that differ only in case.
    const int upper = int(listed.indexOf("twin.ZIP:OK"));
    ASSERT_EQ(listed.indexOf("twin.zip:OK"), upper + 1);
    EXPECT_EQ(app.mItemsArray().at(std::size_t(upper)).integer("HASDATA"), 1);
    EXPECT_EQ(app.mItemsArray().at(std::size_t(upper) + 1).integer("HASRUNTIME"), 1);
    for (const QString& name : strange) {
        window.selectRow(int(listed.indexOf(name + ":OK")));
        EXPECT_EQ(app.mDirectoryInfoBox()->text(), "Will install from: " + name + "/Pack");
    }
    EXPECT_EQ(listRecursive(window.work()), QStringList());
    EXPECT_EQ(listRecursive(window.library()), QStringList());
    EXPECT_EQ(FolderSnapshot::differences(outside, FolderSnapshot::of(window.source())),
              QStringList());
}
