#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QColumnView>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "tests/support/TestFolders.h"
#include "tests/support/TreeBuilder.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

ArchiveItem record(const QString& fileName, qint64 state,
                   std::initializer_list<std::pair<const char*, qint64>> integers = {},
                   std::initializer_list<std::pair<const char*, const char*>> texts = {}) {
    ArchiveItem item = ArchiveItem::create(fileName);
    item.setInteger("STATE", state);
    for (const auto& [name, value] : integers)
        item.setInteger(name, value);
    for (const auto& [name, value] : texts)
        item.setText(name, value);
    return item;
}

QString infoBoxFor(WindowHarness& window, const ArchiveItem& item) {
    window.app().setMItemsArray({item});
    window.selectRow(-1);
    window.selectRow(0);
    return window.app().mDirectoryInfoBox()->text();
}

} // namespace

// Sorting and filtering change what the view shows, never the list, whose
// order is the install order. Several rows are dropped at once; the
// context actions copy paths and open the source folder.
TEST(WindowList, TheViewSortsAndFiltersWhileTheListKeepsItsOrder) {
    WindowHarness window;
    for (const QString name : {"Pack 10.zip", "Pack 2.zip", "Unicode.zip", "Ünïcode Päck.zip"})
        window.addArchive(name, {"Runtime/r"});
    writeFile(window.source() + "/Broken.zip", "PK broken");
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    const QAbstractItemModel* view = app.mContentList()->model();
    const auto shown = [&] {
        QStringList names;
        for (int row = 0; row < view->rowCount(); ++row)
            names << view->index(row, 1).data().toString();
        return names;
    };
    const QStringList listOrder = shown();
    EXPECT_LT(listOrder.indexOf("Pack 2.zip"), listOrder.indexOf("Pack 10.zip"));
    EXPECT_EQ(std::abs(listOrder.indexOf("Unicode.zip") - listOrder.indexOf("Ünïcode Päck.zip")),
              1);

    QHeaderView* header = app.mContentList()->horizontalHeader();
    QStringList reversed = listOrder;
    std::reverse(reversed.begin(), reversed.end());
    for (const QStringList& expected : {listOrder, reversed, listOrder}) {
        emit header->sectionClicked(1);
        EXPECT_EQ(shown(), expected);
    }
    emit header->sectionClicked(2); // by verdict: "OK" before "Unzip error"
    EXPECT_EQ(shown().last(), "Broken.zip");
    QStringList installOrder;
    for (const ArchiveItem& item : app.mItemsArray())
        installOrder << item.fileName();
    EXPECT_EQ(installOrder, listOrder);

    window.window().filterField()->setText("UNZIP");
    EXPECT_EQ(shown(), QStringList{"Broken.zip"});
    window.selectRow(0);
    window.window().findChild<QAction*>("mCopyPathItem")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), window.source() + "/Broken.zip");
    window.window().findChild<QAction*>("mShowInFolderItem")->trigger();
    EXPECT_EQ(window.externalCalls.last(),
              "open " + QUrl::fromLocalFile(window.source()).toString());

    window.window().filterField()->clear();
    emit header->sectionClicked(2);
    emit header->sectionClicked(2); // back to list order
    window.selectRow(1);
    app.mContentList()->selectionModel()->select(view->index(2, 0), QItemSelectionModel::Select |
                                                                        QItemSelectionModel::Rows);
    app.mDropButton()->click();
    EXPECT_EQ(app.mItemsArray().size(), 3u);
    EXPECT_EQ(app.mListInfoField()->text(), "Archives: 3");
}

TEST(WindowList, SelectionShowsAndEnablesTheChoiceButtonsByState) {
    WindowHarness window;
    window.launch();
    AppDelegate& app = window.app();
    const ContentTreePtr tree =
        std::make_shared<const ContentTree>(treeFromPaths({"Pack/Runtime/", "Pack/x.txt"}));
    std::vector<ArchiveItem> items = {
        record("new.zip", 0),
        record("help.zip", 3, {{"HASRUNTIME", 1}}),
        record("nothing.zip", -1, {{"ERROR", 2}}),
        record("unzip.zip", -1, {{"ERROR", 1}}),
        record("ready.zip", 5, {{"HASRUNTIME", 1}}, {{"RUNTIMEPATH", "Pack"}}),
        record("odd.zip", 7)};
    for (ArchiveItem& item : items)
        item.setTree("ZIP", tree);
    app.setMItemsArray(items);

    struct Expected {
        int row;
        bool drop, runtimeAndData, force, infoBox;
    };
    const Expected table[] = {{-1, false, false, false, false}, {0, false, false, false, false},
                              {1, true, true, false, true},     {2, true, false, true, true},
                              {3, true, false, false, true},    {4, true, false, false, true},
                              {5, true, false, false, true}};
    for (const Expected& row : table) {
        window.browse({"Pack", "Runtime"}); // the previous row's browser selection must not last
        window.selectRow(row.row);
        EXPECT_EQ(app.mDropButton()->isEnabled(), row.drop) << row.row;
        EXPECT_EQ(WindowHarness::shown(app.mSetRuntimeButton()), row.runtimeAndData) << row.row;
        EXPECT_EQ(WindowHarness::shown(app.mSetDataButton()), row.runtimeAndData) << row.row;
        EXPECT_EQ(WindowHarness::shown(app.mForceDirButton()), row.force) << row.row;
        EXPECT_EQ(!app.mDirectoryInfoBox()->text().isEmpty(), row.infoBox) << row.row;
        for (QPushButton* button :
             {app.mSetRuntimeButton(), app.mSetDataButton(), app.mForceDirButton()})
            EXPECT_FALSE(button->isEnabled()) << row.row;
        EXPECT_TRUE(app.mDestinationButton()->isEnabled());
    }
}

TEST(WindowList, InfoBoxSaysWhatWouldBeInstalled) {
    WindowHarness window;
    window.launch();
    EXPECT_EQ(infoBoxFor(window, record("Both.zip", 5, {{"HASRUNTIME", 1}, {"HASDATA", 1}},
                                        {{"RUNTIMEPATH", ""}, {"DATAPATH", ""}})),
              "Will install from:Both.zip/");
    EXPECT_EQ(infoBoxFor(window, record("Same.zip", 5, {{"HASRUNTIME", 1}, {"HASDATA", 1}},
                                        {{"RUNTIMEPATH", "Pack"}, {"DATAPATH", "Pack"}})),
              "Will install from:Same.zip/Pack");
    EXPECT_EQ(infoBoxFor(window, record("Apart.zip", 5, {{"HASRUNTIME", 1}, {"HASDATA", 1}},
                                        {{"RUNTIMEPATH", "A"}, {"DATAPATH", "B/C"}})),
              "Will install from:Apart.zip/A\nand from:Apart.zip/B/C");
    EXPECT_EQ(infoBoxFor(window, record("Run.zip", 5, {{"HASRUNTIME", 1}, {"HASDATA", 0}},
                                        {{"RUNTIMEPATH", "R"}, {"DATAPATH", "D"}})),
              "Will install from:Run.zip/R");
    EXPECT_EQ(infoBoxFor(window, record("Data.zip", 5, {{"HASDATA", 1}}, {{"DATAPATH", "D"}})),
              "Will install from:Data.zip/D");
    EXPECT_EQ(infoBoxFor(window, record("Both.zip", 5, {{"HASRUNTIME", 1}, {"HASFORCED", 1}},
                                        {{"RUNTIMEPATH", "R"}, {"FORCEDPATH", "F"}})),
              "Will install from:Both.zip/R");
    EXPECT_EQ(infoBoxFor(window, record("Forced.zip", 5, {{"HASFORCED", 1}}, {{"FORCEDPATH", ""}})),
              "Will install from:Forced.zip/");
    EXPECT_EQ(infoBoxFor(window, record("Direct.zip", 5, {{"HASDIRECT", 1}},
                                        {{"DIRECTPATHSRC", "Addons"}, {"DIRECTPATH", "/lib/x"}})),
              "Will install Addons into:/lib/x");
    // Flags hold only when they are 1; the text then comes from "AppStrings".
    EXPECT_EQ(infoBoxFor(window, record("Flags.zip", -1, {{"HASRUNTIME", 2}, {"HASDATA", 0}},
                                        {{"RUNTIMEPATH", "R"}})),
              "No folder has been chosen to install from this archive.");
}
