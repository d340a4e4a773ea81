#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTreeView>

#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"
#include "ui/ItemDescription.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

QStringList shownNames(const QAbstractItemModel* view, int column) {
    QStringList names;
    for (int row = 0; row < view->rowCount(); ++row)
        names << view->index(row, column).data().toString();
    return names;
}

// `count` files of `package`'s Runtime folder.
QStringList runtimeFiles(const QString& package, int count) {
    QStringList files;
    for (int i = 0; i < count; ++i)
        files << QString("%1/Runtime/f%2.txt").arg(package).arg(i, 2, 10, QChar('0'));
    return files;
}

} // namespace

// The filter folds letter case and accents, matches names and verdicts,
// and the count line says how many of the list it shows, also while the
// list changes under it.
TEST(WindowPolish, TheFilterFoldsAndCounts) {
    WindowHarness window;
    for (const QString name : {"Café Terrace.zip", "cafe basic.zip", "Zürich Pack.zip"})
        window.addArchive(name, {"P/Runtime/r"});
    writeFile(window.source() + "/Harbour.zip", "PK\x03\x04 broken");
    ASSERT_TRUE(window.start());
    const QAbstractItemModel* view = window.app().mContentList()->model();
    QLabel* count = window.app().mListInfoField();
    const struct {
        QString filter;
        QStringList shown;
        QString count;
    } cases[] = {
        {"", {"cafe basic.zip", "Café Terrace.zip", "Harbour.zip", "Zürich Pack.zip"}, "4"},
        {"cafe", {"cafe basic.zip", "Café Terrace.zip"}, "2 of 4"},
        {"CAFÉ T", {"Café Terrace.zip"}, "1 of 4"},
        {"zurich", {"Zürich Pack.zip"}, "1 of 4"},
        {"unzip", {"Harbour.zip"}, "1 of 4"}, // the verdict
        {"xyz", {}, "No archive matches “xyz” (4 archives in the list)"},
    };
    for (const auto& [filter, shown, line] : cases) {
        window.window().filterField()->setText(filter);
        EXPECT_EQ(shownNames(view, 1), shown) << filter.toStdString();
        EXPECT_EQ(count->text(), line.startsWith("No") ? line : "Archives: " + line);
    }
    window.window().filterField()->setText("cafe");
    QFile::remove(window.source() + "/cafe basic.zip");
    window.app().refresh();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(count->text(), "Archives: 1 of 3");
}

// The installed view sorts by every column by value, filters by name, and
// after an uninstall selects the row that took the removed one's place.
// The confirmation fits its content and does not come back maximised.
TEST(WindowPolish, TheInstalledViewSortsFiltersAndKeepsItsPlace) {
    WindowHarness window;
    window.addArchive("A.zip", runtimeFiles("A", 10));
    window.addArchive("B.zip", runtimeFiles("B", 3));
    window.addArchive("C.zip", runtimeFiles("C", 40));
    ASSERT_TRUE(window.start());
    QDialog* confirm = window.window().confirmSheet();
    click(window.app().mInstallButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return confirm->isVisible(); }));
    confirm->showMaximized();
    confirm->reject();
    click(window.app().mInstallButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return confirm->isVisible(); }));
    EXPECT_FALSE(confirm->isMaximized());
    EXPECT_LT(confirm->height(), confirm->screen()->availableGeometry().height() / 2);
    ASSERT_TRUE(window.confirmInstall());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.window().summarySheet()->isVisible(); }));
    window.window().summarySheet()->accept();

    window.window().findChild<QAction*>("mInstalledItem")->trigger();
    auto* list = window.window().findChild<QTreeView*>("mInstalledList");
    const QAbstractItemModel* view = list->model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->rowCount() == 3; }));
    // Each file holds "content of X/Runtime/fNN.txt": 28 bytes.
    EXPECT_EQ(shownNames(view, 4),
              QStringList({readableSize(280), readableSize(84), readableSize(1120)}));
    enum { Archive, Installed, Files, Replaced, Size };
    const struct {
        int column;
        Qt::SortOrder order;
        QString filter;
        QStringList shown;
    } cases[] = {
        {Installed, Qt::AscendingOrder, "", {"A.zip", "B.zip", "C.zip"}},
        {Archive, Qt::DescendingOrder, "", {"C.zip", "B.zip", "A.zip"}},
        {Files, Qt::AscendingOrder, "", {"B.zip", "A.zip", "C.zip"}},
        {Size, Qt::DescendingOrder, "", {"C.zip", "A.zip", "B.zip"}},
        {Replaced, Qt::AscendingOrder, "", {"A.zip", "B.zip", "C.zip"}}, // ties: install order
        {Installed, Qt::DescendingOrder, "b", {"B.zip"}},
        {Installed, Qt::AscendingOrder, "", {"A.zip", "B.zip", "C.zip"}},
    };
    auto* filter = window.window().findChild<QLineEdit*>("mInstalledFilterField");
    for (const auto& [column, order, text, shown] : cases) {
        list->sortByColumn(column, order);
        filter->setText(text);
        EXPECT_EQ(shownNames(view, Archive), shown) << column << " " << text.toStdString();
    }

    list->setCurrentIndex(view->index(1, 0));
    click(window.window().findChild<QPushButton*>("mUninstallButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->rowCount() == 2; }));
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().data().toString(), "C.zip");
}
