#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QColumnView>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"
#include "tests/ui/WindowHarness.h"
#include "ui/ArchiveColumnView.h"
#include "ui/EntryPreview.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

// One archive of each kind the panel shows, analysed by the real workers.
struct PanelWindow : WindowHarness {
    enum Row { DupData, DupRuntime, Loose, Ready, Broken, Tree };

    explicit PanelWindow(bool holdWorkers = false)
        : WindowHarness(holdWorkers) {
        addArchive("a Dup Data.zip", {"A/Data/a", "B/Data/b"});
        addArchive("b Dup Runtime.zip",
                   {"Tower A/Runtime/a", "Tower B/Runtime/b", "Tower B/Data/c"});
        // An archive inside it, which the tree shows as a folder.
        ZipWriter loose;
        for (const QByteArray entry : {"Models/rock.obj", "notes.txt"})
            loose.addFile(entry, "content of " + entry);
        loose.addFile("Extras.zip", zipOf({"Maps/m.txt"}));
        writeFile(source() + "/c Loose.zip", loose.bytes());
        addArchive("d Ready.zip", {"Pack/Runtime/r", "Addons/x"});
        writeFile(source() + "/e Broken.zip", "PK\x03\x04 broken");
        addArchive("f Tree.zip", {"Runtime/r", "Lower/runtime/r", "Lower/data/d", "Lower/file.txt",
                                  "Upper/RUNTIME/r", "Plural/Runtimes/r", "Space/Runtime /r",
                                  "Empty/", "Deep/A/B/C/D/E/f.txt"});
        storeFolders();
        launch();
    }
    QStringList panel() {
        return {app().mDirectoryInfoBox()->text(), app().mBrowserPathField()->text(),
                app().mDropButton()->isEnabled() ? "drop" : "-",
                shown(app().mForceDirButton()) ? "force" : "-"};
    }
};

const QString NoPaths = "No folder has been chosen to install from this archive.";
const QStringList Waiting = {"", "Select an analysed archive to look inside it", "-", "-"};

} // namespace

// The info box, the browser and the buttons show the selected record as it
// is now: when its report comes in, after a rescan (when the record belongs
// to its worker again and choices for it are refused), after a drop.
TEST(WindowPanel, FollowsTheSelectedRecord) {
    PanelWindow window(true);
    AppDelegate& app = window.app();
    window.selectRow(PanelWindow::Ready); // still being analysed
    EXPECT_EQ(window.panel(), Waiting);
    ASSERT_TRUE(window.releaseWorker(PanelWindow::Ready));
    EXPECT_EQ(window.panel(),
              QStringList({"Will install from: d Ready.zip/Pack", "d Ready.zip", "drop", "-"}));
    ASSERT_TRUE(window.waitForIdle());

    window.selectRow(PanelWindow::Loose);
    EXPECT_EQ(window.panel(), QStringList({NoPaths, "c Loose.zip", "drop", "force"}));
    app.closeConfigSheet(); // a rescan: the same archive, not analysed yet
    EXPECT_EQ(window.panel(), Waiting);
    window.pickerAnswers = {window.path("elsewhere")};
    click(app.mDestinationButton());
    EXPECT_EQ(window.externalCalls, QStringList{"beep"});
    EXPECT_TRUE(window.pickerTitles.isEmpty());
    EXPECT_EQ(app.mItemsArray().at(PanelWindow::Loose),
              ArchiveItem::create("c Loose.zip", "c Loose.zip"));
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.panel(), QStringList({NoPaths, "c Loose.zip", "drop", "force"}));

    click(app.mDropButton());
    EXPECT_EQ(app.mListInfoField()->text(), "Archives: 5");
    EXPECT_EQ(window.panel().first(), "Will install from: d Ready.zip/Pack")
        << "the next row is selected";
    window.selectRow(4);
    click(app.mDropButton()); // the last row: the one above it is selected
    EXPECT_EQ(app.mListInfoField()->text(), "Archives: 4");
    EXPECT_EQ(window.panel().mid(1), QStringList({Waiting[1], "drop", "-"}));
    EXPECT_EQ(app.mContentList()->currentIndex().row(), 3);
    QFile::remove(window.source() + "/e Broken.zip");
    app.closeConfigSheet(); // the selected archive is gone: nothing is selected
    EXPECT_EQ(window.panel(), Waiting);
}

// A failed archive says why in its pin and in the info box; refused
// actions beep and say why in the status line.
TEST(WindowPanel, FailuresAndRefusalsSayWhy) {
    PanelWindow window;
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    auto* details = window.window().findChild<QLabel*>("mItemDetailsField");
    const QString reason = app.mItemsArray().at(PanelWindow::Broken).text("REASON").value_or("");
    ASSERT_FALSE(reason.isEmpty());
    const QModelIndex pin = app.contentListModel().index(PanelWindow::Broken, 0);
    EXPECT_EQ(pin.data(Qt::ToolTipRole).toString(), "Unzip error: " + reason);
    EXPECT_EQ(pin.data(Qt::AccessibleTextRole).toString(), "Unzip error");
    window.selectRow(PanelWindow::Broken);
    EXPECT_EQ(details->text(), "Why: " + reason);
    window.selectRow(PanelWindow::Ready);
    EXPECT_EQ(details->text(), "2 files, 44 bytes");
    window.browse({"Pack", "Runtime", "r"});
    auto* browser = static_cast<ArchiveColumnView*>(app.mZIPBrowser());
    EXPECT_EQ(browser->preview()->sizeText(), "25 bytes");

    struct Refusal {
        int row;
        QString why;
    };
    const Refusal refusals[] = {
        {PanelWindow::Broken, "e Broken.zip cannot be read, so nothing of it can be installed."},
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

// What the selected record's state allows: the choice buttons shown, the
// browser filled, the info box; a browser selection of the row before never
// lasts. In the browser a folder named Runtime or Data (in any case)
// enables its button, any folder the forced one, a file none.
TEST(WindowPanel, ButtonsFollowTheStateAndTheBrowser) {
    PanelWindow window(true);
    for (std::size_t worker = 0; worker < 5; ++worker)
        ASSERT_TRUE(window.releaseWorker(worker)); // the tree is still being analysed
    AppDelegate& app = window.app();
    const QAbstractItemModel* browser = app.mZIPBrowser()->model();
    const auto enabled = [&] {
        QString buttons;
        for (QPushButton* button :
             {app.mSetRuntimeButton(), app.mSetDataButton(), app.mForceDirButton()})
            buttons += button->isEnabled() ? "1" : "0";
        return buttons;
    };
    struct Selection {
        int row;
        bool drop, runtimeAndData, force;
        int browserRows;
        QString infoBox;
        QString details; // below it
    };
    // An archive with duplicates names the folders to choose from and what
    // each choice installs, rather than counting both versions as one.
    const Selection selections[] = {
        {-1, false, false, false, 0, "", ""},
        {PanelWindow::DupData, true, true, false, 2,
         "Will install from: a Dup Data.zip/(not chosen)",
         "Choose the Data folder: A/Data or B/Data\nA choice installs the folder that holds it: "
         "A (1 file, 19 bytes) or B (1 file, 19 bytes)"},
        {PanelWindow::Loose, true, false, true, 3, NoPaths, "3 files, 67 bytes"},
        {PanelWindow::Ready, true, false, false, 2, "Will install from: d Ready.zip/Pack",
         "2 files, 44 bytes"},
        {PanelWindow::Broken, true, false, false, 0, NoPaths, ""},
        {PanelWindow::Tree, false, false, false, 0, "", ""},
    };
    auto* details = window.window().findChild<QLabel*>("mItemDetailsField");
    for (const Selection& selection : selections) {
        window.selectRow(PanelWindow::DupRuntime);
        window.browse({"Tower A", "Runtime"});
        ASSERT_EQ(enabled(), "101");
        window.selectRow(selection.row);
        EXPECT_EQ(app.mDropButton()->isEnabled(), selection.drop) << selection.row;
        EXPECT_EQ(WindowHarness::shown(app.mSetRuntimeButton()), selection.runtimeAndData);
        EXPECT_EQ(WindowHarness::shown(app.mSetDataButton()), selection.runtimeAndData);
        EXPECT_EQ(WindowHarness::shown(app.mForceDirButton()), selection.force);
        EXPECT_EQ(browser->rowCount(), selection.browserRows);
        EXPECT_EQ(app.mDirectoryInfoBox()->text(), selection.infoBox);
        if (selection.row != PanelWindow::Broken) {
            EXPECT_EQ(details->text(), selection.details);
        }
        EXPECT_EQ(enabled(), "000") << selection.row;
    }
    window.selectRow(PanelWindow::DupRuntime);
    EXPECT_EQ(details->text(), "Choose the Runtime folder: Tower A/Runtime or Tower B/Runtime\n"
                               "A choice installs the folder that holds it: Tower A (1 file, 28 "
                               "bytes) or Tower B (2 files, 53 bytes)");

    // A nested archive shows as the archive it is; Force Folder says what
    // it takes from beside the folder selected.
    window.selectRow(PanelWindow::Loose);
    window.browse({"Extras.zip", "Maps"});
    EXPECT_EQ(app.mBrowserPathField()->text(), "c Loose.zip  ›  Extras.zip  ›  Maps");
    window.browse({"Extras.zip"});
    const QModelIndex nested = app.mZIPBrowser()->currentIndex();
    EXPECT_EQ(nested.data(Qt::AccessibleTextRole).toString(), "Extras.zip, nested archive");
    EXPECT_TRUE(nested.data(Qt::ToolTipRole).toString().contains("an archive inside the archive"));
    EXPECT_EQ(browser->index(1, 0).data(Qt::AccessibleTextRole).toString(), "Models");
    EXPECT_EQ(enabled(), "001");
    const QStringList forceTip = app.mForceDirButton()->toolTip().split('\n');
    EXPECT_EQ(forceTip.value(1), "Installs as they are: Extras.zip, Models/ and notes.txt");
    window.browse({"Extras.zip", "Maps"});
    EXPECT_EQ(forceTip.first(), app.mForceDirButton()->toolTip().split('\n').first());
    EXPECT_EQ(app.mForceDirButton()->toolTip().split('\n').value(1), "Installs as they are: Maps/");

    ASSERT_TRUE(window.waitForIdle());
    window.selectRow(PanelWindow::Tree);
    const std::pair<QStringList, QString> folders[] = {
        {{"Lower", "runtime"}, "101"},
        {{"Upper", "RUNTIME"}, "101"},
        {{"Plural", "Runtimes"}, "001"},
        {{"Space", "Runtime "}, "001"},
        {{"Lower", "data"}, "011"},
        {{"Lower", "file.txt"}, "000"},
        {{"Empty"}, "001"},
    };
    for (const auto& [path, buttons] : folders) {
        window.browse(path);
        EXPECT_EQ(enabled(), buttons) << path.join('/').toStdString();
        EXPECT_EQ(browser->hasChildren(app.mZIPBrowser()->currentIndex()), buttons.endsWith('1'));
    }
    EXPECT_EQ(browser->rowCount(app.mZIPBrowser()->currentIndex()), 0) << "an empty folder";
    window.browse({"Lower", "data"});
    EXPECT_EQ(app.mBrowserPathField()->text(), "f Tree.zip  ›  Lower  ›  data");

    // A real click in the first column does the same.
    window.browse({"Lower"});
    QListView* firstColumn = nullptr;
    for (QListView* column : app.mZIPBrowser()->findChildren<QListView*>())
        if (column->isVisible() && !column->rootIndex().isValid())
            firstColumn = column;
    ASSERT_NE(firstColumn, nullptr);
    const QModelIndex runtime = browser
                                    ->match(browser->index(0, 0), Qt::DisplayRole, "Runtime", 1,
                                            Qt::MatchExactly | Qt::MatchCaseSensitive)
                                    .value(0);
    QTest::mouseClick(firstColumn->viewport(), Qt::LeftButton, {},
                      firstColumn->visualRect(runtime).center());
    EXPECT_EQ(enabled(), "101");
    window.selectRow(-1);
    EXPECT_EQ(enabled(), "000");
    EXPECT_EQ(browser->rowCount(), 0);
}

// A choice in the browser makes the record ready and the info box says what
// will be installed from where; a destination is chosen with or without a
// browser selection, and a cancelled picker changes nothing.
TEST(WindowPanel, ChoicesMakeArchivesReady) {
    PanelWindow window;
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();
    const QString target = window.path("elsewhere");
    struct Choice {
        int row;
        QString browse; // the path selected in the browser
        QPushButton* button;
        std::optional<QString> picked;
        QString infoBox, verdict;
        QString details = {}; // when it says more than the counts
    };
    const Choice choices[] = {
        {PanelWindow::DupRuntime, "Tower B/Runtime", app.mSetRuntimeButton(), std::nullopt,
         "Will install from: b Dup Runtime.zip/Tower B", "OK"},
        {PanelWindow::DupData, "B/Data", app.mSetDataButton(), std::nullopt,
         "Will install from: a Dup Data.zip/B", "OK"},
        {PanelWindow::Loose, "Models", app.mForceDirButton(), std::nullopt,
         "Will install from: c Loose.zip/", "OK",
         "3 files, 67 bytes\nInstalls as they are: Extras.zip, Models/ and notes.txt\nInstalled as "
         "archive files and unpacked into folders of their names: Extras.zip"},
        {PanelWindow::Ready, "", app.mDestinationButton(), target,
         "Will install (not chosen) into: " + target, "Manually set"},
        {PanelWindow::Ready, "Pack/Runtime", app.mDestinationButton(), target + "2",
         "Will install Pack into: " + target + "2", "Manually set"},
        {PanelWindow::Ready, "Addons", app.mDestinationButton(), std::nullopt,
         "Will install Pack into: " + target + "2", "Manually set"},
    };
    for (const Choice& choice : choices) {
        window.selectRow(choice.row);
        window.browse(choice.browse.split('/', Qt::SkipEmptyParts));
        window.pickerAnswers = {choice.picked};
        click(choice.button);
        EXPECT_EQ(app.mDirectoryInfoBox()->text(), choice.infoBox);
        const QString details = window.window().findChild<QLabel*>("mItemDetailsField")->text();
        if (!choice.details.isEmpty()) {
            EXPECT_EQ(details, choice.details);
        }
        EXPECT_FALSE(details.contains("Choose the")) << details.toStdString();
        EXPECT_EQ(window.info(choice.row), choice.verdict);
        EXPECT_EQ(window.state(choice.row), ItemState::Ready);
    }
    EXPECT_EQ(window.logLines().filter("@"),
              QStringList({"Runtime @ Tower B", "Data @ B", "Forced @ ", "DirectPath @ " + target,
                           "DirectPath @ " + target + "2"}));
    EXPECT_FALSE(QDir(target).exists()) << "choosing a destination writes nothing";

    // The choices outlive a fresh scan and a restart while the archives
    // are unchanged; a changed archive and Analyse Again forget them.
    const QStringList chosen = window.listed();
    app.closeConfigSheet();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.listed(), chosen) << "after a fresh scan";
    window.relaunch();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.listed(), chosen) << "after a restart";
    window.selectRow(PanelWindow::Ready);
    EXPECT_EQ(window.app().mDirectoryInfoBox()->text(), choices[4].infoBox);

    QFile data(window.source() + "/a Dup Data.zip");
    ASSERT_TRUE(data.open(QIODevice::ReadWrite));
    ASSERT_TRUE(data.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                 QFileDevice::FileModificationTime));
    data.close();
    window.selectRow(PanelWindow::DupRuntime);
    window.app().analyseSelectionAgain();
    window.app().refresh();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.state(PanelWindow::DupData), ItemState::NeedsHelp);
    EXPECT_EQ(window.state(PanelWindow::DupRuntime), ItemState::NeedsHelp);
    EXPECT_EQ(window.info(PanelWindow::Loose), "OK");
    window.relaunch();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.state(PanelWindow::DupData), ItemState::NeedsHelp);
    EXPECT_EQ(window.state(PanelWindow::DupRuntime), ItemState::NeedsHelp);
    EXPECT_EQ(window.info(PanelWindow::Ready), "Manually set");
}

// Sorting and filtering change what the view shows, never the list, whose
// order is the install order. The context actions copy paths of the rows
// shown; several rows are dropped at once.
TEST(WindowPanel, TheViewSortsAndFiltersWhileTheListKeepsItsOrder) {
    PanelWindow window;
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
    QStringList reversed = listOrder;
    std::reverse(reversed.begin(), reversed.end());
    QHeaderView* header = app.mContentList()->horizontalHeader();
    for (const QStringList& expected : {listOrder, reversed, listOrder}) {
        emit header->sectionClicked(1);
        EXPECT_EQ(shown(), expected);
    }
    emit header->sectionClicked(2); // by verdict: "Unzip error" comes last
    EXPECT_EQ(shown().last(), "e Broken.zip");
    QStringList listed = window.listed();
    EXPECT_EQ(listed.replaceInStrings(QRegularExpression(":.*"), ""), listOrder);

    window.window().filterField()->setText("UNZIP");
    EXPECT_EQ(shown(), QStringList{"e Broken.zip"});
    window.selectRow(PanelWindow::Broken);
    window.window().findChild<QAction*>("mCopyPathItem")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), window.source() + "/e Broken.zip");
    window.window().findChild<QAction*>("mShowInFolderItem")->trigger();
    EXPECT_EQ(window.externalCalls.last(),
              "open " + QUrl::fromLocalFile(window.source()).toString());
    window.desktopOpens = false; // a desktop with no file manager says so
    window.window().findChild<QAction*>("mShowInFolderItem")->trigger();
    EXPECT_EQ(window.window().findChild<QStatusBar*>()->currentMessage(),
              "Nothing on this desktop opens " + window.source() + ".");
    EXPECT_EQ(window.externalCalls.last(), "beep");
    window.desktopOpens = true;

    window.window().filterField()->clear();
    emit header->sectionClicked(2);
    emit header->sectionClicked(2); // back to list order
    window.selectRow(1);
    app.mContentList()->selectionModel()->select(view->index(2, 0), QItemSelectionModel::Select |
                                                                        QItemSelectionModel::Rows);
    click(app.mDropButton());
    EXPECT_EQ(app.mItemsArray().size(), 4u);
    EXPECT_EQ(app.mListInfoField()->text(), "Archives: 4");
}

// The splitter and the window stay where the user leaves them. At its
// smallest the window keeps its controls apart, and the browser shows only
// whole columns.
TEST(WindowPanel, TheSplitterAndTheSmallestWindow) {
    PanelWindow window;
    ASSERT_TRUE(window.waitForIdle());
    auto* splitter = window.window().findChild<QSplitter*>("mainSplitter");
    EXPECT_GT(splitter->sizes()[0], splitter->sizes()[1]);
    const QRect placed(40, 50, 900, 640);
    window.window().setGeometry(placed);
    QCoreApplication::processEvents();
    splitter->setSizes({250, 300});
    emit splitter->splitterMoved(250, 1);
    const QList<int> left = splitter->sizes();
    window.relaunch();
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(window.window().findChild<QSplitter*>("mainSplitter")->sizes(), left);
    EXPECT_EQ(window.window().geometry(), placed);

    AppDelegate& app = window.app();
    MainWindow& main = window.window();
    window.selectRow(PanelWindow::DupRuntime);
    ASSERT_TRUE(WindowHarness::shown(app.mSetRuntimeButton()));
    main.resize(1, 1); // as small as it goes
    QCoreApplication::sendPostedEvents();
    const auto placeIn = [&](QWidget* widget) {
        return QRect(widget->mapTo(&main, QPoint()), widget->size());
    };
    const QRect browser = placeIn(app.mZIPBrowser());
    const QRect infoBox = placeIn(main.findChild<QWidget*>("infoBoxFrame"));
    for (QPushButton* button :
         {app.mSetRuntimeButton(), app.mSetDataButton(), app.mDestinationButton()}) {
        EXPECT_FALSE(placeIn(button).intersects(browser)) << button->objectName().toStdString();
        EXPECT_FALSE(placeIn(button).intersects(infoBox)) << button->objectName().toStdString();
    }
    window.selectRow(PanelWindow::Tree);
    window.browse({"Deep", "A", "B", "C", "D", "E", "f.txt"});
    QTest::qWait(500); // the browser slides to the new column
    for (QAbstractItemView* column : app.mZIPBrowser()->findChildren<QAbstractItemView*>()) {
        const bool whole = column->x() >= 0 || column->x() + column->width() <= 0;
        EXPECT_TRUE(whole || !column->isVisible()) << column->x();
    }
}
