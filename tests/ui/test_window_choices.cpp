#include <gtest/gtest.h>

#include <QColumnView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// A library with one archive of each kind the choices apply to, analysed.
struct ChoiceWindow : WindowHarness {
    enum Row { DuplicateData, DuplicateRuntime, Loose, Ready, Unzip };

    ChoiceWindow() {
        addArchive("a Dup Data.zip", {"A/Data/a", "B/Data/b"});
        addArchive("b Dup Runtime.zip",
                   {"Tower A/Runtime/a", "Tower B/Runtime/b", "Tower B/Data/c"});
        addArchive("c Loose.zip", {"Models/rock.obj", "notes.txt"});
        addArchive("d Ready.zip", {"Pack/Runtime/r", "Addons/x"});
        writeFile(QDir(source()).filePath("e Unzip.zip"), "PK\x03\x04 broken");
        storeFolders();
        launch();
    }
    const ArchiveItem& item(Row row) { return app().mItemsArray().at(std::size_t(row)); }
};

} // namespace

TEST(WindowChoices, RuntimeAndDataChoicesSettleDuplicates) {
    ChoiceWindow window;
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    ASSERT_EQ(window.info(ChoiceWindow::DuplicateRuntime), "Duplicates");

    window.selectRow(ChoiceWindow::DuplicateRuntime);
    window.browse({"Tower B", "Runtime"});
    ASSERT_TRUE(app.mSetRuntimeButton()->isEnabled());
    click(app.mSetRuntimeButton());
    const ArchiveItem& runtime = window.item(ChoiceWindow::DuplicateRuntime);
    EXPECT_EQ(runtime.text("RUNTIMEPATH"), "Tower B");
    EXPECT_EQ(runtime.state(), ItemState::Ready) << "Runtime alone suffices without IGNORE_DS";
    EXPECT_EQ(window.info(ChoiceWindow::DuplicateRuntime), "OK");
    EXPECT_EQ(window.logLines().last(), "Runtime @ Tower B");
    EXPECT_EQ(app.mDirectoryInfoBox()->text(), "Will install from:b Dup Runtime.zip/Tower B");

    window.selectRow(ChoiceWindow::DuplicateData);
    window.browse({"B", "Data"});
    click(app.mSetDataButton());
    const ArchiveItem& data = window.item(ChoiceWindow::DuplicateData);
    EXPECT_EQ(data.text("DATAPATH"), "B");
    EXPECT_EQ(data.integer("HASDATA"), 1);
    EXPECT_FALSE(data.contains("HASRUNTIME"));
    EXPECT_EQ(data.state(), ItemState::Ready);
    EXPECT_EQ(window.logLines().last(), "Data @ B");
    EXPECT_EQ(app.mDirectoryInfoBox()->text(), "Will install from:a Dup Data.zip/B");
    const QVariant icon = app.mContentList()->model()->index(0, 0).data(Qt::DecorationRole);
    EXPECT_EQ(icon.value<QIcon>().cacheKey(), app.mOKIcon().cacheKey());
}

TEST(WindowChoices, ForcedFolderMakesARejectedArchiveReady) {
    ChoiceWindow window;
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    window.selectRow(ChoiceWindow::Loose);
    ASSERT_TRUE(WindowHarness::shown(app.mForceDirButton()));
    ASSERT_FALSE(app.mForceDirButton()->isEnabled());
    window.browse({"Models"});
    click(app.mForceDirButton());

    const ArchiveItem& loose = window.item(ChoiceWindow::Loose);
    EXPECT_EQ(loose.text("FORCEDPATH"), "");
    EXPECT_EQ(loose.integer("HASFORCED"), 1);
    EXPECT_EQ(loose.integer("ERROR"), 2);
    EXPECT_EQ(window.info(ChoiceWindow::Loose), "OK");
    EXPECT_EQ(window.logLines().last(), "Forced @ ");
    EXPECT_EQ(app.mDirectoryInfoBox()->text(), "Will install from:c Loose.zip/");
}

TEST(WindowChoices, DestinationChoiceTakesTheBrowserSelection) {
    ChoiceWindow window;
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    const QString target = window.path("elsewhere");

    window.selectRow(ChoiceWindow::Loose); // nothing selected in the browser
    window.pickerAnswers = {target};
    click(app.mDestinationButton());
    const ArchiveItem& loose = window.item(ChoiceWindow::Loose);
    EXPECT_EQ(loose.text("DIRECTPATH"), target);
    EXPECT_FALSE(loose.contains("DIRECTPATHSRC"));
    EXPECT_EQ(loose.integer("HASDIRECT"), 1);
    EXPECT_EQ(loose.state(), ItemState::Ready);
    EXPECT_EQ(window.info(ChoiceWindow::Loose), "Manually set");
    EXPECT_EQ(window.logLines().last(), "DirectPath @ " + target);
    EXPECT_EQ(app.mDirectoryInfoBox()->text(), "Will install (not chosen) into:" + target);

    window.selectRow(ChoiceWindow::Ready);
    window.browse({"Addons"});
    window.pickerAnswers = {target};
    click(app.mDestinationButton());
    EXPECT_EQ(window.item(ChoiceWindow::Ready).text("DIRECTPATHSRC"), "Addons");
    EXPECT_FALSE(window.item(ChoiceWindow::Ready).contains("HASRUNTIME"));

    window.browse({"Pack", "Runtime"});
    window.pickerAnswers = {target + "2"};
    click(app.mDestinationButton());
    EXPECT_EQ(window.item(ChoiceWindow::Ready).text("DIRECTPATHSRC"), "Pack");
    EXPECT_EQ(window.item(ChoiceWindow::Ready).text("DIRECTPATH"), target + "2");

    const ArchiveItem before = window.item(ChoiceWindow::Ready);
    window.pickerAnswers = {std::nullopt}; // cancelled
    click(app.mDestinationButton());
    EXPECT_EQ(window.item(ChoiceWindow::Ready), before);
    EXPECT_EQ(window.pickerTitles.size(), 4);
    EXPECT_FALSE(QDir(target).exists()) << "choosing a destination writes nothing";
}

TEST(WindowChoices, RecordsStillBeingAnalysedAreLeftAlone) {
    WindowHarness window(true);
    window.addArchive("loose.zip", {"Models/rock.obj"});
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();
    ASSERT_TRUE(window.releaseWorker(0));
    window.selectRow(0);
    window.browse({"Models"});
    ASSERT_TRUE(app.mForceDirButton()->isEnabled());

    app.closeConfigSheet(); // a new scan: the selected row is being analysed again
    ASSERT_EQ(window.state(0), ItemState::New);
    click(app.mForceDirButton());
    window.pickerAnswers = {window.path("elsewhere")};
    click(app.mDestinationButton());
    EXPECT_TRUE(window.pickerTitles.isEmpty());
    EXPECT_EQ(window.externalCalls, QStringList{"beep"});
    EXPECT_EQ(app.mItemsArray().at(0), ArchiveItem::create("loose.zip", "loose.zip"));

    ASSERT_TRUE(window.releaseWorker(1));
    EXPECT_EQ(window.info(0), "No Runtime") << "the report is taken in untouched";
}

TEST(WindowChoices, DropRemovesTheRowAndTheNextOneTakesItsPlace) {
    ChoiceWindow window;
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    const QStringList source = listRecursive(window.source());
    window.selectRow(ChoiceWindow::Loose);
    click(app.mDropButton());

    ASSERT_EQ(app.mItemsArray().size(), 4u);
    EXPECT_EQ(app.mContentList()->model()->rowCount(), 4);
    EXPECT_EQ(app.mItemsArray()[2].fileName(), "d Ready.zip");
    EXPECT_EQ(app.mDirectoryInfoBox()->text(), "Will install from:d Ready.zip/Pack");
    EXPECT_FALSE(WindowHarness::shown(app.mForceDirButton()));
    EXPECT_EQ(listRecursive(window.source()), source);

    window.selectRow(3);
    click(app.mDropButton()); // the last row: the table selects the one above it
    EXPECT_EQ(app.mItemsArray().size(), 3u);
    EXPECT_TRUE(app.mDropButton()->isEnabled());
    EXPECT_EQ(app.mDirectoryInfoBox()->text(), "Will install from:d Ready.zip/Pack");
}
