#include <gtest/gtest.h>

#include <QColumnView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "tests/support/TreeBuilder.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

const QStringList TreePaths = {"Alpha/Beta/Gamma/g.txt",
                               "Content/Runtime/r.txt",
                               "Content/Data/d.txt",
                               "Runtime/",
                               "readme.txt",
                               "Broken/-",
                               "Names/runtime/",
                               "Names/RUNTIME/",
                               "Names/Runtimes/",
                               "Names/Runtime /",
                               "Names/data/",
                               "Names/file.txt"};

ArchiveItem analysed(const QString& fileName, qint64 state, qint64 error = 0) {
    ArchiveItem item = ArchiveItem::create(fileName);
    item.setInteger("STATE", state);
    if (error)
        item.setInteger("ERROR", error);
    item.setTree("ZIP", std::make_shared<const ContentTree>(treeFromPaths(TreePaths)));
    return item;
}

struct BrowserWindow : WindowHarness {
    BrowserWindow() {
        launch();
        app().setMItemsArray({analysed("Tree.zip", 3)});
        selectRow(0);
    }
    QModelIndex at(const QStringList& names) {
        browse(names);
        return app().mZIPBrowser()->currentIndex();
    }
    std::pair<bool, bool> runtimeAndData() {
        return {app().mSetRuntimeButton()->isEnabled(), app().mSetDataButton()->isEnabled()};
    }
};

} // namespace

TEST(WindowBrowser, ShowsATreeOnlyForAnalysedArchivesThatExpanded) {
    WindowHarness window;
    window.launch();
    AppDelegate& app = window.app();
    ArchiveItem noTree = ArchiveItem::create("NoTree.zip");
    noTree.setInteger("STATE", 5);
    app.setMItemsArray({analysed("New.zip", 0), analysed("Unzip.zip", -1, 1),
                        analysed("Nothing.zip", -1, 2), analysed("Help.zip", 3),
                        analysed("Ready.zip", 5), analysed("Installed.zip", 9), noTree});
    const QAbstractItemModel* model = app.mZIPBrowser()->model();
    EXPECT_FALSE(app.rootItemForBrowser().has_value());
    const int topLevel = 6; // Alpha, Content, Runtime, readme.txt, Broken, Names
    const int expectedRows[] = {0, 0, topLevel, topLevel, topLevel, topLevel, 0};
    for (int row = 0; row < 7; ++row) {
        window.selectRow(row);
        EXPECT_EQ(model->rowCount(), expectedRows[row]) << row;
        EXPECT_EQ(app.rootItemForBrowser().has_value(), row >= 2) << row;
    }
    EXPECT_EQ(app.rootItemForBrowser()->dirName, "NoTree.zip");
    EXPECT_EQ(app.mBrowserPathField()->text(), "NoTree.zip");
}

TEST(WindowBrowser, PathsNameTheFolderHoldingTheSelection) {
    BrowserWindow window;
    AppDelegate& app = window.app();
    EXPECT_EQ(app.buildPathToSelectedNode(), std::nullopt);
    EXPECT_EQ(app.buildPathToSelectedNodeWithSelf(), std::nullopt);

    window.browse({"Runtime"});
    EXPECT_EQ(app.buildPathToSelectedNode(), "");
    EXPECT_EQ(app.buildPathToSelectedNodeWithSelf(), "Runtime");

    window.browse({"readme.txt"});
    EXPECT_EQ(app.buildPathToSelectedNode(), "");
    EXPECT_EQ(app.buildPathToSelectedNodeWithSelf(), "readme.txt");

    window.browse({"Content", "Runtime"});
    EXPECT_EQ(app.buildPathToSelectedNode(), "Content");
    EXPECT_EQ(app.buildPathToSelectedNodeWithSelf(), "Content");

    window.browse({"Alpha", "Beta", "Gamma"});
    EXPECT_EQ(app.buildPathToSelectedNode(), "Alpha/Beta");
    EXPECT_EQ(app.buildPathToSelectedNodeWithSelf(), "Alpha/Beta");
    EXPECT_EQ(app.mBrowserPathField()->text(), "Tree.zip  ›  Alpha  ›  Beta  ›  Gamma");
}

TEST(WindowBrowser, AClickedFolderEnablesTheMatchingButtons) {
    BrowserWindow window;
    AppDelegate& app = window.app();
    using Buttons = std::pair<bool, bool>;
    for (const QString name : {"runtime", "RUNTIME"}) {
        window.browse({"Names", name});
        EXPECT_EQ(window.runtimeAndData(), Buttons(true, false)) << name.toStdString();
        EXPECT_TRUE(app.mForceDirButton()->isEnabled());
    }
    for (const QString name : {"Runtimes", "Runtime "}) {
        window.browse({"Names", name});
        EXPECT_EQ(window.runtimeAndData(), Buttons(false, false)) << name.toStdString();
        EXPECT_TRUE(app.mForceDirButton()->isEnabled());
    }
    window.browse({"Names", "data"});
    EXPECT_EQ(window.runtimeAndData(), Buttons(false, true));
    window.browse({"Names", "file.txt"});
    EXPECT_EQ(window.runtimeAndData(), Buttons(false, false));
    EXPECT_FALSE(app.mForceDirButton()->isEnabled());

    // A real click in the first column does the same.
    window.browse({"readme.txt"});
    const QModelIndex runtime = window.at({"Runtime"});
    window.browse({"readme.txt"});
    QListView* firstColumn = nullptr;
    for (QListView* column : app.mZIPBrowser()->findChildren<QListView*>())
        if (column->isVisible() && !column->rootIndex().isValid())
            firstColumn = column;
    ASSERT_NE(firstColumn, nullptr);
    QTest::mouseClick(firstColumn->viewport(), Qt::LeftButton, {},
                      firstColumn->visualRect(runtime).center());
    EXPECT_EQ(window.runtimeAndData(), Buttons(true, false));

    window.selectRow(-1); // another selection rebuilds the browser
    EXPECT_EQ(window.runtimeAndData(), Buttons(false, false));
    EXPECT_FALSE(app.mForceDirButton()->isEnabled());
    EXPECT_EQ(app.mZIPBrowser()->model()->rowCount(), 0);
}

TEST(WindowBrowser, OnlyFilesAreLeavesAndAnEmptyFolderOpensAnEmptyColumn) {
    BrowserWindow window;
    const QAbstractItemModel* model = window.app().mZIPBrowser()->model();
    const QModelIndex file = window.at({"readme.txt"});
    EXPECT_FALSE(model->hasChildren(file));
    const QModelIndex broken = window.at({"Broken"});
    EXPECT_TRUE(model->hasChildren(broken));
    EXPECT_EQ(model->rowCount(broken), 0);
    EXPECT_TRUE(window.app().mForceDirButton()->isEnabled());
    bool emptyColumn = false;
    for (QListView* column : window.app().mZIPBrowser()->findChildren<QListView*>())
        emptyColumn |= column->rootIndex() == broken && column->model()->rowCount(broken) == 0;
    EXPECT_TRUE(emptyColumn);
    EXPECT_EQ(window.app().buildPathToSelectedNodeWithSelf(), "Broken");
}
