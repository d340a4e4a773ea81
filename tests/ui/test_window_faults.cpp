#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QColumnView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTest>

#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"
#include "ui/ArchiveColumnView.h"
#include "ui/EntryPreview.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

QRect placeIn(QWidget* window, QWidget* widget) {
    return QRect(widget->mapTo(window, QPoint()), widget->size());
}

} // namespace

// The info box, the browser and the buttons show the selected record as it
// is now: when its report comes in, after a rescan, after a drop.
TEST(WindowFaults, ThePanelFollowsTheSelectedRecord) {
    WindowHarness window(true);
    window.addArchive("a Dup.zip", {"A/Runtime/a", "B/Runtime/b"});
    window.addArchive("b Loose.zip", {"Models/rock.obj"});
    window.addArchive("c Ready.zip", {"Pack/Runtime/r"});
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();
    const auto panel = [&] {
        return QStringList{app.mDirectoryInfoBox()->text(), app.mBrowserPathField()->text(),
                           app.mDropButton()->isEnabled() ? "drop" : "-",
                           WindowHarness::shown(app.mForceDirButton()) ? "force" : "-"};
    };
    const QStringList waiting = {"", "Select an analysed archive to look inside it", "-", "-"};

    window.selectRow(2); // still being analysed
    EXPECT_EQ(panel(), waiting);
    ASSERT_TRUE(window.releaseWorker(2));
    EXPECT_EQ(panel(),
              QStringList({"Will install from:c Ready.zip/Pack", "c Ready.zip", "drop", "-"}));

    window.releaseAllWorkers();
    ASSERT_TRUE(window.waitForIdle());
    window.selectRow(1);
    EXPECT_EQ(panel().last(), "force");
    app.closeConfigSheet(); // a rescan: the same archive, not analysed yet
    EXPECT_EQ(panel(), waiting);
    EXPECT_EQ(window.state(1), ItemState::New);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.heldWorkers() == 6u; }));
    window.releaseAllWorkers();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(panel().mid(1), QStringList({"b Loose.zip", "drop", "force"}));

    click(app.mDropButton());
    EXPECT_EQ(app.mListInfoField()->text(), "Archives: 2");
    EXPECT_EQ(panel().first(), "Will install from:c Ready.zip/Pack") << "the next row is selected";
}

// A failed archive says why in its pin and in the info box; refused
// actions beep and say why in the status line.
TEST(WindowFaults, FailuresAndRefusalsSayWhy) {
    WindowHarness window;
    writeFile(window.source() + "/broken.zip", "PK\x03\x04 broken");
    window.addArchive("pack.zip", {"Pack/Runtime/r.obj", "Pack/readme.txt"});
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    auto* details = window.window().findChild<QLabel*>("mItemDetailsField");

    const QString reason = app.mItemsArray().at(0).text("REASON").value_or("");
    ASSERT_FALSE(reason.isEmpty());
    const QModelIndex pin = app.mContentList()->model()->index(0, 0);
    EXPECT_EQ(pin.data(Qt::ToolTipRole).toString(), "Unzip error: " + reason);
    EXPECT_EQ(pin.data(Qt::AccessibleTextRole).toString(), "Unzip error");
    window.selectRow(0);
    EXPECT_EQ(details->text(), "Why: " + reason);
    window.selectRow(1);
    EXPECT_EQ(details->text(), "2 files, 55 bytes");
    window.browse({"Pack", "readme.txt"});
    auto* browser = static_cast<ArchiveColumnView*>(app.mZIPBrowser());
    EXPECT_EQ(browser->preview()->sizeText(), "26 bytes");

    struct Refusal {
        int row;
        QString why;
    };
    const Refusal refusals[] = {
        {0, "broken.zip cannot be read, so nothing of it can be installed."},
        {-1, "Select an archive first, then choose where to install it."},
    };
    for (const Refusal& refusal : refusals) {
        window.externalCalls.clear();
        window.selectRow(refusal.row);
        click(app.mDestinationButton());
        EXPECT_EQ(window.externalCalls, QStringList{"beep"}) << refusal.row;
        EXPECT_EQ(window.statusText(), refusal.why);
        EXPECT_TRUE(window.pickerTitles.isEmpty());
    }
}

// At its smallest the window keeps its controls apart; the browser shows
// only whole columns; the list gets the larger part, and the splitter stays
// where the user leaves it.
TEST(WindowFaults, LayoutAtTheSmallestSizeAndTheSplitter) {
    WindowHarness window;
    window.addArchive("deep.zip", {"A/B/C/D/E/f.txt", "A/Runtime/r", "B/Runtime/r"});
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
    auto* splitter = window.window().findChild<QSplitter*>("mainSplitter");
    EXPECT_GT(splitter->sizes()[0], splitter->sizes()[1]);
    splitter->setSizes({250, 400});
    emit splitter->splitterMoved(250, 1);
    const QList<int> left = splitter->sizes();
    window.relaunch();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.window().findChild<QSplitter*>("mainSplitter")->sizes(), left);

    AppDelegate& app = window.app();
    MainWindow& main = window.window();
    window.selectRow(0);
    ASSERT_TRUE(WindowHarness::shown(app.mSetRuntimeButton()));
    main.resize(1, 1); // as small as it goes
    QCoreApplication::sendPostedEvents();
    const QRect browser = placeIn(&main, app.mZIPBrowser());
    const QRect infoBox = placeIn(&main, main.findChild<QWidget*>("infoBoxFrame"));
    for (QPushButton* button :
         {app.mSetRuntimeButton(), app.mSetDataButton(), app.mDestinationButton()}) {
        EXPECT_FALSE(placeIn(&main, button).intersects(browser))
            << button->objectName().toStdString();
        EXPECT_FALSE(placeIn(&main, button).intersects(infoBox))
            << button->objectName().toStdString();
    }

    window.browse({"A", "B", "C", "D", "E", "f.txt"});
    QTest::qWait(500); // the browser slides to the new column
    for (QAbstractItemView* column : app.mZIPBrowser()->findChildren<QAbstractItemView*>()) {
        const bool whole = column->x() >= 0 || column->x() + column->width() <= 0;
        EXPECT_TRUE(whole || !column->isVisible()) << column->x();
    }
}
