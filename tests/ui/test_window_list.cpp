#include <gtest/gtest.h>

#include <QColumnView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

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

TEST(WindowList, IconsFollowTheStateTestedReadyThenHelpThenFailed) {
    WindowHarness window;
    window.launch();
    AppDelegate& app = window.app();
    for (const QIcon* icon :
         {&app.mDefaultIcon(), &app.mOKIcon(), &app.mBADIcon(), &app.mHELPIcon()}) {
        ASSERT_FALSE(icon->isNull());
        EXPECT_TRUE(icon->availableSizes().contains(QSize(16, 16)));
        EXPECT_TRUE(icon->availableSizes().contains(QSize(32, 32))) << "crisp at twice the size";
    }

    ArchiveItem noState = ArchiveItem::create("none.zip");
    noState.remove("STATE");
    noState.remove("INFO");
    app.setMItemsArray({record("ready.zip", 5), record("help.zip", 3), record("failed.zip", -1),
                        record("new.zip", 0), record("installed.zip", 9), record("odd.zip", 7),
                        noState});
    const QAbstractItemModel* model = app.mContentList()->model();
    ASSERT_EQ(model->rowCount(), 7);
    const qint64 expected[] = {app.mOKIcon().cacheKey(),      app.mHELPIcon().cacheKey(),
                               app.mBADIcon().cacheKey(),     app.mDefaultIcon().cacheKey(),
                               app.mDefaultIcon().cacheKey(), app.mDefaultIcon().cacheKey(),
                               app.mDefaultIcon().cacheKey()};
    for (int row = 0; row < 7; ++row) {
        const QVariant icon = model->index(row, app.mCL_IconColumn()).data(Qt::DecorationRole);
        EXPECT_EQ(icon.value<QIcon>().cacheKey(), expected[row]) << row;
    }
    EXPECT_EQ(model->index(1, app.mCL_FilenameColumn()).data().toString(), "help.zip");
    EXPECT_EQ(model->index(6, app.mCL_InfoColumn()).data().toString(), "");

    app.setMOKIcon(QIcon()); // a missing image shows no image
    EXPECT_FALSE(model->index(0, app.mCL_IconColumn()).data(Qt::DecorationRole).isValid());
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
