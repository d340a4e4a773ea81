#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "core/Executor.h"
#include "install/InstallUndo.h"
#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

QPushButton* undoButton(WindowHarness& window) {
    return window.window().summarySheet()->findChild<QPushButton*>("mUndoInstallButton");
}

// The files in the library, its records left aside.
QStringList libraryFiles(WindowHarness& window) {
    QStringList files = listRecursive(window.library());
    files.removeIf(
        [](const QString& path) { return path.startsWith(".packshelf") || path.endsWith('/'); });
    return files;
}

// Install of everything ready, with workers held until `duringInstall` has
// run (Cancel, say); answers once the summary is up.
bool install(WindowHarness& window, const std::function<void()>& duringInstall = {}) {
    AppDelegate& app = window.app();
    window.window().summarySheet()->hide();
    click(app.mInstallButton());
    if (!window.confirmInstall())
        return false;
    if (duringInstall)
        duringInstall();
    window.releaseAllWorkers();
    return QTest::qWaitFor([&] { return app.mInstallSheet()->isHidden(); }, 60000) &&
           QTest::qWaitFor([&] { return window.window().summarySheet()->isVisible(); });
}

// A fresh scan of the source folder, as closing the settings starts.
bool rescan(WindowHarness& window) {
    window.window().summarySheet()->hide();
    window.app().closeConfigSheet();
    return window.waitForIdle();
}

} // namespace

// Undo is offered after an install that changed the library, and only then:
// after one that was cancelled, failed or left everything alone, the button
// would take back the earlier install, which that summary does not name.
TEST(WindowUndo, OfferedOnlyAfterAnInstallThatInstalled) {
    struct Row {
        const char* label;
        // Runs after a first install of "a.zip"; prepares the second.
        std::function<void(WindowHarness&)> prepare;
        std::function<void(WindowHarness&)> duringInstall;
        bool offered;
    };
    const std::vector<Row> rows = {
        {"a new archive installed",
         [](WindowHarness& window) { window.addArchive("b.zip", {"Runtime/b.obj"}); },
         {},
         true},
        {"cancelled before anything was installed",
         [](WindowHarness& window) { window.addArchive("b.zip", {"Runtime/b.obj"}); },
         [](WindowHarness& window) {
             click(window.app().mInstallSheet()->findChild<QPushButton*>("mCancelInstallButton"));
         },
         false},
        {"every archive failed",
         [](WindowHarness& window) { window.addArchive("b.zip", {"Runtime/b.obj"}); },
         [](WindowHarness& window) { QFile::remove(window.source() + "/b.zip"); }, false},
        {"every archive already installed and unchanged", [](WindowHarness&) {}, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        WindowHarness window(true);
        window.addArchive("a.zip", {"Runtime/a.obj"});
        ASSERT_TRUE(window.start());
        ASSERT_TRUE(install(window));
        EXPECT_TRUE(undoButton(window)->isVisible()) << "after the first install";

        row.prepare(window);
        ASSERT_TRUE(rescan(window));
        ASSERT_TRUE(install(window, [&] {
            if (row.duringInstall)
                row.duringInstall(window);
        }));
        EXPECT_EQ(window.window().summarySheet()->windowTitle(), "Install Finished");
        EXPECT_EQ(undoButton(window)->isVisible(), row.offered);
    }
}

// The question names the run it takes back (how many packages, which, and
// when), and the undo takes back that run only: when another process takes
// it back while the question is open, the window's undo leaves the earlier
// run alone. Its result has a title of its own.
TEST(WindowUndo, TakesBackOnlyTheRunItNamed) {
    WindowHarness window(true);
    window.addArchive("a.zip", {"Runtime/a.obj"});
    ASSERT_TRUE(window.start());
    ASSERT_TRUE(install(window));
    window.addArchive("b.zip", {"Runtime/b.obj"});
    window.addArchive("c.zip", {"Runtime/c.obj"});
    ASSERT_TRUE(rescan(window));
    ASSERT_TRUE(install(window));
    ASSERT_EQ(libraryFiles(window),
              QStringList({"Runtime/a.obj", "Runtime/b.obj", "Runtime/c.obj"}));
    QDialog* summary = window.window().summarySheet();
    auto* headline = summary->findChild<QLabel*>("mSummaryHeadline");

    // Declined: the question named b.zip and c.zip, not a.zip.
    window.confirmAnswer = false;
    window.externalCalls.clear();
    click(undoButton(window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.externalCalls.isEmpty(); }));
    const QString question = window.externalCalls.first();
    EXPECT_TRUE(question.startsWith("ask Take back the install of 2 packages into " +
                                    window.library() + " on "))
        << question.toStdString();
    EXPECT_TRUE(question.contains("b.zip") && question.contains("c.zip")) << question.toStdString();
    EXPECT_FALSE(question.contains("a.zip")) << question.toStdString();
    QTest::qWait(100);
    EXPECT_EQ(libraryFiles(window).size(), 3) << "declined: nothing changes";

    // Someone else takes the named run back while the question is open.
    window.confirmAnswer = true;
    Executor executor;
    window.whileAsking = [&] {
        UndoReport report;
        ASSERT_TRUE(undoLastInstall(window.library(), executor, &report));
    };
    window.externalCalls.clear();
    click(undoButton(window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return summary->windowTitle() == "Install Undone"; }));
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(libraryFiles(window), QStringList({"Runtime/a.obj"}))
        << "the earlier run, which the question did not name, stays";
    EXPECT_TRUE(headline->text().startsWith("The library cannot be changed"))
        << headline->text().toStdString();
    EXPECT_FALSE(undoButton(window)->isVisible());

    // Asked again, the question names a.zip's run, and the undo takes it.
    window.externalCalls.clear();
    summary->hide();
    for (QAction* action : window.window().actions())
        if (action->shortcut() == QKeySequence::Undo)
            action->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return libraryFiles(window).isEmpty(); }));
    ASSERT_FALSE(window.externalCalls.isEmpty());
    EXPECT_TRUE(window.externalCalls.first().startsWith(
        "ask Take back the install of 1 package into " + window.library() + " on "))
        << window.externalCalls.first().toStdString();
    EXPECT_TRUE(window.externalCalls.first().contains(": a.zip?"))
        << window.externalCalls.first().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return summary->isVisible(); }));
    EXPECT_EQ(summary->windowTitle(), "Install Undone");
    EXPECT_EQ(headline->text(), "1 package uninstalled.");
}
