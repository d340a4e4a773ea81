#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

// A hundred scans started back to back while the workers of earlier scans
// are still running: every report is counted off, the last scan's list is
// whole and correct, and the work folder is left empty.
TEST(WindowStress, HundredScansBackToBack) {
    WindowHarness window;
    for (int i = 0; i < 198; ++i)
        window.addArchive(QString("pack%1.zip").arg(i, 3, 10, QChar('0')), {"Runtime/a.obj"});
    // Two archives with the same base name, analysed side by side.
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
    ASSERT_EQ(app.mItemsArray().size(), 200u);
    for (int row = 0; row < 200; ++row)
        EXPECT_EQ(window.info(row), "OK") << row;
    // Upper case sorts first among names that differ only in case.
    const ArchiveItem& upperCase = app.mItemsArray().at(198);
    const ArchiveItem& lowerCase = app.mItemsArray().at(199);
    EXPECT_EQ(upperCase.fileName(), "twin.ZIP");
    EXPECT_EQ(upperCase.integer("HASDATA"), 1);
    EXPECT_FALSE(upperCase.contains("HASRUNTIME"));
    EXPECT_EQ(lowerCase.fileName(), "twin.zip");
    EXPECT_EQ(lowerCase.integer("HASRUNTIME"), 1);
    EXPECT_FALSE(lowerCase.contains("HASDATA"));
    EXPECT_EQ(listRecursive(window.work()), QStringList());
    EXPECT_EQ(FolderSnapshot::differences(outside, FolderSnapshot::of(window.source())),
              QStringList());
}
