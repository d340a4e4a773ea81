#include <gtest/gtest.h>

#include <QApplication>
#include <QColumnView>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <functional>
#include <vector>

#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

QString focusedName() {
    const QWidget* focused = QApplication::focusWidget();
    return focused ? focused->accessibleName() : QStringLiteral("(nothing)");
}

// The names Tab (or Shift+Tab) visits, one press at a time, until it
// reaches where it began or has gone further than the window has controls.
QStringList walkFocus(Qt::Key key) {
    const QWidget* start = QApplication::focusWidget();
    QStringList visited;
    for (int press = 0; press < 20; ++press) {
        QTest::keyClick(QApplication::focusWidget(), key);
        visited << focusedName();
        if (QApplication::focusWidget() == start)
            break;
    }
    return visited;
}

} // namespace

// The window from the keyboard alone: Tab walks every control once and comes
// back around (the list is one stop), Esc empties the filter, Enter opens the
// current archive in the browser, Ctrl+Return asks to install, Ctrl+Q closes
// the window. Every control that takes focus has a name, and every push
// button a mnemonic of its own.
TEST(WindowKeyboard, ReachesEveryControlFromTheKeyboard) {
    WindowHarness window;
    window.addArchive("a Dup Data.zip", {"A/Data/a", "B/Data/b"});
    window.addArchive("b Ready.zip", {"Pack/Runtime/r"});
    ASSERT_TRUE(window.start());
    MainWindow& main = window.window();
    AppDelegate& app = window.app();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    window.selectRow(0);
    window.browse({"A", "Data"});

    main.filterField()->setFocus();
    const QStringList cycle = {"Archives",         "Contents of the selected archive",
                               "Set Data",         "Destination…",
                               "Donate…",          "Drop",
                               "Install Selected", "Install",
                               "Configure…",       "Refresh",
                               "Installed…",       "Filter archives"};
    EXPECT_EQ(walkFocus(Qt::Key_Tab), cycle);
    QStringList backwards(cycle.rbegin() + 1, cycle.rend());
    backwards << cycle.last();
    EXPECT_EQ(walkFocus(Qt::Key_Backtab), backwards);

    QTest::keyClicks(main.filterField(), "Ready");
    ASSERT_EQ(app.mContentList()->model()->rowCount(), 1);
    QTest::keyClick(main.filterField(), Qt::Key_Escape);
    EXPECT_EQ(main.filterField()->text(), "");
    EXPECT_EQ(app.mContentList()->model()->rowCount(), 2);

    QTableView* list = app.mContentList();
    list->setFocus();
    list->selectionModel()->setCurrentIndex(list->model()->index(1, 0),
                                            QItemSelectionModel::NoUpdate);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(1));
    EXPECT_EQ(app.mDirectoryInfoBox()->text(), "Will install from: b Ready.zip/Pack");
    EXPECT_EQ(QApplication::focusWidget(), app.mZIPBrowser());

    const QString installKey = QKeySequence("Ctrl+Return").toString(QKeySequence::NativeText);
    EXPECT_TRUE(app.mInstallButton()->toolTip().contains(installKey));
    QTest::keyClick(list, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return main.confirmSheet()->isVisible(); }));
    main.confirmSheet()->reject();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    QSet<QKeySequence> mnemonics;
    for (QWidget* control : main.findChildren<QWidget*>()) {
        if (control->window() != &main)
            continue;
        if (control->focusPolicy() & Qt::TabFocus) {
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
        }
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
            EXPECT_FALSE(mnemonic.isEmpty()) << qPrintable(button->text());
            EXPECT_TRUE(mnemonic.isEmpty() || !mnemonics.contains(mnemonic))
                << qPrintable(button->text());
            mnemonics.insert(mnemonic);
        }
    }

    QTest::keyClick(list, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(main.isVisible());
}

// The keys between the filter and the list, one path per row, each from a
// window with nothing selected and an empty filter.
TEST(WindowKeyboard, TheListAndItsFilterTakeTheKeysOfAFileManager) {
    WindowHarness window;
    window.addArchive("a Dup Data.zip", {"A/Data/a", "B/Data/b"});
    window.addArchive("b Ready.zip", {"Pack/Runtime/r"});
    window.addArchive("c Other.zip", {"Other/Runtime/o"});
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
    MainWindow& main = window.window();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTableView* list = window.app().mContentList();
    QLineEdit* filter = main.filterField();
    const auto selectedName = [&]() -> QString {
        const QModelIndexList rows = list->selectionModel()->selectedRows(1);
        return rows.size() == 1 ? rows.first().data().toString() : QStringLiteral("(none)");
    };
    struct Row {
        const char* path;
        std::function<void()> keys;
        QString selected; // the archive selected afterwards
        QString filterText;
        QWidget* focused;
    };
    const std::vector<Row> rows = {
        {"Down in the filter enters the list on the first row",
         [&] {
             filter->setFocus();
             QTest::keyClick(filter, Qt::Key_Down);
         },
         "a Dup Data.zip", "", list},
        {"Down in the filtered list selects the only row",
         [&] {
             filter->setFocus();
             QTest::keyClicks(filter, "Other");
             list->setFocus();
             QTest::keyClick(list, Qt::Key_Down);
         },
         "c Other.zip", "Other", list},
        {"Esc in the list empties the filter",
         [&] {
             filter->setFocus();
             QTest::keyClicks(filter, "Ready");
             QTest::keyClick(filter, Qt::Key_Down);
             QTest::keyClick(list, Qt::Key_Escape);
         },
         "b Ready.zip", "", list},
        {"typing a name's first letter goes to it",
         [&] {
             list->setFocus();
             QTest::keyClick(list, Qt::Key_C);
         },
         "c Other.zip", "", list},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        filter->clear();
        list->clearSelection();
        list->selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        row.keys();
        EXPECT_EQ(selectedName(), row.selected);
        EXPECT_EQ(filter->text(), row.filterText);
        EXPECT_EQ(QApplication::focusWidget(), row.focused);
    }
}
