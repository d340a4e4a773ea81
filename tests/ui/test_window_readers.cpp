#include <gtest/gtest.h>

#include <QTest>

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
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
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
