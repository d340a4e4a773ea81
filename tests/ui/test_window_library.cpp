#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "install/LibraryRecords.h"
#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

template <typename Widget> Widget* control(WindowHarness& window, const char* name) {
    return window.window().findChild<Widget*>(name);
}

void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

QString filesLine(int added, int replaced, int same) {
    return QString("Files: %1 added, %2 replaced, %3 already the same")
        .arg(added)
        .arg(replaced)
        .arg(same);
}

} // namespace

// A round trip through the library: the info box and the confirmation say
// what an install would do, Cancel changes nothing, the install then does
// just that; archives installed with the same content are marked; the
// installed view uninstalls them, gives back the library's own file and
// keeps the one the user changed.
TEST(WindowLibrary, ConfirmInstallMarkAndUninstall) {
    WindowHarness window;
    window.addArchive("A.zip", {"A/Runtime/shared.txt", "A/Runtime/a.txt"});
    window.addArchive("B.zip", {"B/Runtime/shared.txt"});
    writeFile(window.library() + "/Runtime/shared.txt", "original");
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    auto* libraryField = control<QLabel>(window, "mLibraryField");
    window.selectRow(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return libraryField->text().startsWith("Files:"); }));
    EXPECT_EQ(libraryField->text(), filesLine(1, 1, 0) + "\nWrites the same files as B.zip in "
                                                         "this install; the archive later in "
                                                         "the list wins");

    const FolderSnapshot before = FolderSnapshot::of(window.library());
    click(app.mInstallButton());
    auto* confirm = control<QPushButton>(window, "mConfirmInstallButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return confirm->isEnabled(); }));
    const QString shown = control<QLabel>(window, "mConfirmTotalsField")->text();
    EXPECT_EQ(shown, filesLine(1, 2, 0));
    EXPECT_EQ(control<QLabel>(window, "mConfirmConflictsField")->text(),
              "Archives of this install that write the same files (the one later in the list "
              "wins): A.zip, B.zip");
    const QAbstractItemModel* details = control<QTreeView>(window, "mConfirmDetailsView")->model();
    const QModelIndex ofB = details->index(0, 0, details->index(1, 0));
    EXPECT_EQ(QStringList({ofB.data().toString(), ofB.siblingAtColumn(1).data().toString(),
                           ofB.siblingAtColumn(2).data().toString()}),
              QStringList({"Replace", "Runtime/shared.txt",
                           "replaces the file of A.zip (this "
                           "install)"}));
    click(control<QPushButton>(window, "mConfirmCancelButton"));
    EXPECT_TRUE(window.window().confirmSheet()->isHidden() && app.mInstallSheet()->isHidden());
    EXPECT_EQ(app.mItemsArray().size(), 2u) << "Cancel leaves the list as it was";
    EXPECT_EQ(FolderSnapshot::of(window.library()), before);

    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.mInstallSheet()->isHidden(); }));
    QStringList problems;
    int did[3] = {};
    for (const Manifest& manifest : LibraryRecords(window.library()).load(&problems)) {
        for (const Manifest::File& file : manifest.files)
            ++did[int(file.action)];
    }
    EXPECT_EQ(filesLine(did[0], did[1], did[2]), shown) << "the install did what was shown";

    // A fresh scan lists both again: A.zip is what was installed, B.zip
    // changed since.
    window.addArchive("B.zip", {"B/Runtime/other.txt"});
    app.closeConfigSheet();
    ASSERT_TRUE(window.waitForIdle());
    const auto verdictTip = [&](int row) {
        return app.contentListModel().index(row, 2).data(Qt::ToolTipRole).toString();
    };
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return verdictTip(0).contains("\nInstalled in the library on "); }));
    EXPECT_EQ(verdictTip(1), "OK");
    EXPECT_EQ(window.state(0), ItemState::Ready) << "the record's state stays";

    writeFile(window.library() + "/Runtime/a.txt", "edited by the user");
    writeFile(window.library() + "/.packshelf/torn.json", "{");
    control<QAction>(window, "mInstalledItem")->trigger();
    auto* packages = control<QTreeWidget>(window, "mInstalledList");
    auto* unreadable = control<QLabel>(window, "mInstalledProblemsField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return unreadable->text().contains("torn.json"); }));
    QStringList rows;
    for (int row = 0; row < packages->topLevelItemCount(); ++row) {
        for (int column : {0, 2, 3})
            rows << packages->topLevelItem(row)->text(column);
    }
    EXPECT_EQ(rows, QStringList({"A.zip", "2", "1", "B.zip", "1", "1"}));

    packages->selectAll();
    click(control<QPushButton>(window, "mUninstallButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return packages->topLevelItemCount() == 0; }));
    EXPECT_EQ(window.externalCalls.filter("ask Uninstall 2 packages: B.zip, A.zip?").size(), 1);
    EXPECT_EQ(control<QLabel>(window, "mUninstallResultField")->text(),
              "B.zip uninstalled. 0 files removed. 1 file put back as it was before.\n"
              "A.zip uninstalled. 0 files removed. 1 file put back as it was before.\n"
              "Kept, changed since the install: " +
                  window.library() + "/Runtime/a.txt");
    EXPECT_EQ(readFile(window.library() + "/Runtime/shared.txt"), "original");
    EXPECT_EQ(readFile(window.library() + "/Runtime/a.txt"), "edited by the user");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !verdictTip(0).contains("Installed"); }));
}
