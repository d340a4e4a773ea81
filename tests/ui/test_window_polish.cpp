#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColumnView>
#include <QDialog>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>

#include "core/Executor.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"
#include "tests/ui/WindowHarness.h"
#include "ui/ItemDescription.h"
#include "ui/PlatformServices.h"

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

namespace {

void dropOn(QWidget& window, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&window, &drop);
}

bool scrollBarShown(const QWidget* browser) {
    for (const QScrollBar* bar : browser->findChildren<QScrollBar*>())
        if (bar->isVisible())
            return true;
    return false;
}

} // namespace

// The settings sheet refuses folders that would harm one another, saying
// why before anything is saved; a typed folder that is not there yet is
// offered to be created; Refresh with no folder says what to set up.
TEST(WindowPolish, FoldersAreRefusedOrOfferedWithAReason) {
    WindowHarness window;
    ASSERT_TRUE(window.start());
    AppDelegate& app = window.app();
    auto* problem = window.window().findChild<QLabel*>("mConfigProblemField");
    ASSERT_TRUE(problem);
    app.openConfigSheet();
    enum Field { Source, Library, Work };
    const struct {
        Field field;
        QString answer;
        QString refusal; // the start of the sentence; empty: taken
    } cases[] = {
        {Library, window.source(), "The library cannot be the source folder"},
        {Library, window.source() + "/Library", "The library cannot be the source folder"},
        {Source, window.library(), "The library cannot be the source folder"},
        {Work, window.source(), "The work folder cannot be the source folder"},
        {Work, window.library() + "/scratch", "The work folder cannot be the library"},
        {Work, window.path("other work"), ""},
        {Library, window.path("library2"), ""},
    };
    for (const auto& [field, answer, refusal] : cases) {
        SCOPED_TRACE(answer.toStdString());
        QDir().mkpath(answer);
        QLabel* shown[] = {app.mSourcePathField(), app.mDestPathField(), app.mWorkPathField()};
        const QString before = shown[field]->text();
        const QByteArray stored = readFile(window.settingsFile());
        window.pickerAnswers = {answer};
        if (field == Source)
            app.setSourcePath();
        else if (field == Library)
            app.setDestPath();
        else
            app.setWorkPath();
        EXPECT_EQ(problem->isVisible(), !refusal.isEmpty());
        EXPECT_EQ(problem->text().left(refusal.size()), refusal);
        EXPECT_EQ(shown[field]->text(), refusal.isEmpty() ? answer : before);
        if (!refusal.isEmpty()) {
            EXPECT_EQ(readFile(window.settingsFile()), stored) << "nothing is saved";
        }
    }
    app.mConfigSheet()->hide();

    // The real picker, with a folder typed that does not exist yet.
    QObject owner;
    Executor executor;
    PlatformServices services = desktopServices(&owner, executor);
    QString chosen;
    services.pickFolder(&window.window(), "Library", window.path(""),
                        [&](const QString& folder) { chosen = folder; });
    auto* picker = window.window().findChild<QFileDialog*>();
    ASSERT_TRUE(picker);
    const QString typed = window.path("new/library");
    picker->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
    QString question;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        question = box->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text().contains("Create"))
                return button->click();
        box->reject();
    });
    static_cast<QDialog*>(picker)->accept();
    EXPECT_EQ(question, "The folder " + typed + " does not exist yet. Create it and use it?");
    EXPECT_TRUE(QFileInfo(typed).isDir());
    EXPECT_EQ(chosen, typed);

    // Refresh with no folder chosen says what to set up and offers the sheet.
    WindowHarness bare;
    bare.launch();
    bare.window().findChild<QAction*>("mRefreshItem")->trigger();
    EXPECT_TRUE(bare.statusText().startsWith("There is nothing to refresh yet"));
    EXPECT_TRUE(bare.app().mConfigSheet()->isVisible());
}

// Each line of the window says what is there now, with names as they are:
// every row does something and reads one line back.
TEST(WindowPolish, LinesSayWhatIsThereNow) {
    WindowHarness window(true);
    window.addArchive("a  Two Spaces.zip", {"Pack/Runtime/r.obj"});
    ZipWriter nested;
    nested.addFile("Inner.zip", zipOf({"Runtime/i.obj"}));
    nested.addFile("Readme.txt", "read me");
    nested.addFile("Runtime/n.obj", "n");
    writeFile(window.source() + "/b Nested.zip", nested.bytes());
    window.addArchive("c Loose.zip", {"Models/x.obj"});
    window.addArchive("d Dropped.zip", {"Runtime/d.obj"});
    writeFile(window.library() + "/Runtime/r.obj", "replaced by a  Two Spaces.zip");
    window.storeFolders();
    window.launch();
    AppDelegate& app = window.app();
    QAbstractItemModel* list = app.mContentList()->model();
    QColumnView* browser = app.mZIPBrowser();
    auto* libraryField = window.window().findChild<QLabel*>("mLibraryField");
    const QString downloads = window.path("downloads");
    const auto status = [&] { return window.statusText(); };
    // Waits, letting the held workers run.
    const auto waitFor = [&](const std::function<bool()>& done) {
        return QTest::qWaitFor(
            [&] {
                window.releaseAllWorkers();
                return done();
            },
            60000);
    };

    const struct {
        const char* what;
        std::function<QString()> line;
        QString expected;
    } rows[] = {
        {"a verdict while analysing",
         [&] { return list->index(0, ContentListModel::InfoColumn).data().toString(); },
         "Not analysed yet"},
        {"sizes below a kilobyte", [] { return readableSize(1) + ", " + readableSize(2); },
         "1 byte, 2 bytes"},
        {"the empty browser",
         [&] {
             EXPECT_TRUE(window.waitForIdle());
             return scrollBarShown(browser) ? "scroll bars" : "";
         },
         ""},
        {"the info box keeps spaces",
         [&] {
             window.selectRow(0);
             return app.mDirectoryInfoBox()->text();
         },
         "Will install from: a  Two Spaces.zip/Pack"},
        {"nested archives are rows like the others",
         [&] {
             // Icons as large as a desktop may ask for: not every icon has
             // a picture that large.
             browser->setIconSize(QSize(64, 64));
             window.selectRow(1);
             QStringList heights;
             auto* column = browser->findChild<QListView*>();
             for (int row = 0; row < browser->model()->rowCount(); ++row)
                 heights << QString::number(
                     column->sizeHintForIndex(browser->model()->index(row, 0)).height());
             heights.removeDuplicates();
             return QString::number(heights.size());
         },
         "1"},
        {"a refusal about the selection, then the filter changes",
         [&] {
             window.selectRow(2);
             click(window.window().findChild<QPushButton*>("mInstallSelectedButton"));
             EXPECT_TRUE(status().startsWith("None of the selected archives is ready"));
             window.window().filterField()->setText("a");
             const QString line = status();
             window.window().filterField()->setText("");
             return line;
         },
         ""},
        {"the library's comparison, then the library is gone",
         [&] {
             window.selectRow(0);
             EXPECT_TRUE(
                 QTest::qWaitFor([&] { return libraryField->text().contains("1 replaced"); }));
             QDir(window.library()).removeRecursively();
             (void)QTest::qWaitFor([&] { return libraryField->text().isEmpty(); }, 2000);
             const QString line = libraryField->text();
             QDir().mkpath(window.library());
             return line;
         },
         ""},
        {"a file dropped beside an archive",
         [&] {
             writeFile(downloads + "/notes.txt", "notes");
             writeFile(downloads + "/e New.zip", zipOf({"Runtime/e.obj"}));
             dropOn(window.window(), {downloads + "/notes.txt", downloads + "/e New.zip"});
             EXPECT_TRUE(waitFor([&] { return status().startsWith("Copied"); }));
             return status();
         },
         "Copied 1 archive into the source folder. Only zip, 7z and RAR archives can be added; "
         "not added: notes.txt."},
        {"the question about replacing comes after the drop returned",
         [&] {
             window.confirmAnswer = false;
             dropOn(window.window(), {downloads + "/e New.zip"});
             const QString during = QString::number(window.externalCalls.filter("ask").size());
             EXPECT_TRUE(waitFor([&] { return !window.externalCalls.filter("ask").isEmpty(); }));
             return during;
         },
         "0"},
        {"undo brings back what it took back, and only what is there",
         [&] {
             EXPECT_TRUE(window.waitForIdle());
             window.selectRow(3);
             EXPECT_EQ(app.mItemsArray().at(3).fileName(), "d Dropped.zip");
             click(app.mDropButton());
             QFile::remove(window.source() + "/c Loose.zip");
             window.confirmAnswer = true;
             click(app.mInstallButton());
             EXPECT_TRUE(window.confirmInstall());
             QDialog* summary = window.window().summarySheet();
             EXPECT_TRUE(waitFor([&] { return summary->isVisible(); }));
             const QString summaryText =
                 summary->findChild<QTextBrowser*>("mSummaryDetails")->toPlainText();
             EXPECT_TRUE(summaryText.contains("a  Two Spaces.zip")) << summaryText.toStdString();
             click(summary->findChild<QPushButton*>("mUndoInstallButton"));
             EXPECT_TRUE(waitFor([&] { return summary->windowTitle() == "Install Undone"; }));
             EXPECT_TRUE(waitFor([&] { return window.listed().size() == 3; }));
             EXPECT_TRUE(window.waitForIdle());
             QStringList names;
             for (const ArchiveItem& item : app.mItemsArray())
                 names << item.fileName();
             return names.join(", ");
         },
         "a  Two Spaces.zip, b Nested.zip, e New.zip"},
    };
    for (const auto& [what, line, expected] : rows)
        EXPECT_EQ(line(), expected) << what;
}
