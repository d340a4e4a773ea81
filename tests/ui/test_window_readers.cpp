#include <gtest/gtest.h>

#include <QTest>
#include <csignal>
#include <unistd.h>

#include "tests/support/ReaderProcesses.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

// Archives that took the reader down once (a RAR signature followed by zip
// records), in the source folder at start: each is an "Unzip error" with
// its reason, the archives beside them are analysed, and the window is
// still there to use.
TEST(WindowReaders, ArchivesThatCrashedTheReaderAreUnzipErrors) {
    WindowHarness window;
    const QByteArray zip = ZipWriter().addFile("Runtime/a.txt", "a").bytes();
    const QByteArray rarSignature("Rar!\x1a\x07", 6);
    ASSERT_TRUE(writeFile(window.source() + "/Crafted.rar", rarSignature + zip));
    ASSERT_TRUE(writeFile(window.source() + "/Crafted.7z", rarSignature + zip));
    window.addArchive("Good.zip", {"Runtime/a.txt"});
    ASSERT_TRUE(window.start());
    EXPECT_EQ(window.listed(),
              QStringList({"Crafted.7z:Unzip error", "Crafted.rar:Unzip error", "Good.zip:OK"}));
    for (int row : {0, 1})
        EXPECT_FALSE(
            window.app().mItemsArray()[std::size_t(row)].text("REASON").value_or("").isEmpty());
    EXPECT_TRUE(window.window().isVisible());
    window.selectRow(2);
    window.app().closeConfigSheet(); // and a second scan goes through them again
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.listed().size(), 3);
}

// A reader that crashes, or that is killed, in the middle of the window's
// analysis takes only its archive with it: that one is an "Unzip error"
// saying why, the others are analysed (by readers started again), the
// window goes on, and nothing is left in the work folder or the library.
// A reader holds no descriptor but its socket, /dev/null and standard
// error, and none outlives the window.
TEST(WindowReaders, AReaderThatStopsTakesOnlyItsArchive) {
    struct Row {
        const char* hook;
        bool killedByTheTest;
        QString reason;
    };
    const Row rows[] = {
        {"crash:Pack 2.zip", false, "the reader stopped (signal 11)"},
        {"stop:Pack 2.zip", true, "the reader stopped (signal 9)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hook);
        qputenv("PACKSHELF_READER_TEST", row.hook);
        QString work;
        {
            WindowHarness window;
            work = window.work();
            for (int i = 1; i <= 6; ++i)
                window.addArchive(QStringLiteral("Pack %1.zip").arg(i), {"Runtime/a.txt"});
            window.storeFolders();
            window.launch();
            if (row.killedByTheTest) {
                const pid_t stopped = waitForStoppedDescendant(::getpid(), 120000);
                ASSERT_NE(stopped, 0);
                const QStringList descriptors = descriptorsOf(stopped);
                EXPECT_EQ(descriptors.size(), 3) << descriptors.join(", ").toStdString();
                EXPECT_TRUE(descriptors.filter(window.library()).isEmpty());
                ::kill(stopped, SIGKILL);
            }
            ASSERT_TRUE(window.waitForIdle());
            QStringList expected;
            for (int i = 1; i <= 6; ++i)
                expected
                    << QStringLiteral("Pack %1.zip:%2").arg(i).arg(i == 2 ? "Unzip error" : "OK");
            EXPECT_EQ(window.listed(), expected);
            EXPECT_EQ(window.app().mItemsArray()[1].text("REASON"), row.reason);
            EXPECT_TRUE(window.window().isVisible());
            EXPECT_EQ(listRecursive(window.work()), QStringList());
            EXPECT_EQ(listRecursive(window.library()), QStringList());
            window.quit();
        }
        qunsetenv("PACKSHELF_READER_TEST");
        EXPECT_TRUE(noProcessNamingWithin(work, 10000));
    }
}
