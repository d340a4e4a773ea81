#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>

#include "core/Executor.h"
#include "install/records/LibraryRecords.h"
#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"
#include "ui/ContentListModel.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

template <typename Widget> Widget* control(WindowHarness& window, const char* name) {
    return window.window().findChild<Widget*>(name);
}

// Waits until the install sheet has closed again.
bool waitForInstall(AppDelegate& app) {
    return QTest::qWaitFor([&] { return app.mInstallSheet()->isHidden(); }, 120000);
}

QString filesLine(int added, int replaced, int same) {
    return QString("Files: %1 added, %2 replaced, %3 already the same")
        .arg(added)
        .arg(replaced)
        .arg(same);
}

} // namespace

// Without a usable library the configuration sheet opens; an install takes
// the ready archives and gives back the failed ones, which say why; with
// nothing ready an install is refused with a beep and a reason.
TEST(WindowInstall, InstallsReadyArchivesAndReturnsTheFailedOnes) {
    WindowHarness window;
    window.addArchive("a Ready.zip", {"Pack/Runtime/r.obj", "Pack/Data/d.tex"});
    window.addArchive("b Dup.zip", {"Tower A/Runtime/a.obj", "Tower B/Runtime/b.obj"});
    window.addArchive("c Gone.zip", {"Runtime/g.obj"});
    window.addArchive("d Loose.zip", {"Models/x.obj"});
    window.addArchive("e Twin.zip", {"T1/Runtime/x.obj", "T2/Runtime/y.obj"});
    writeFile(window.source() + "/f Junk.zip", "not an archive");
    writeFile(window.library() + "/Runtime/old.txt", "kept");
    writeFile(window.library() + "/Runtime/r.obj", "replaced");
    ASSERT_TRUE(window.start());
    AppDelegate& app = window.app();
    const QStringList analysed = window.listed();

    const std::optional<QString> library = app.mDestPath();
    for (const std::optional<QString>& unusable :
         {std::optional<QString>(), std::optional<QString>(window.path("unplugged"))}) {
        window.externalCalls.clear();
        app.setMDestPath(unusable);
        click(app.mInstallButton());
        EXPECT_EQ(window.externalCalls, QStringList({"beep"}));
        EXPECT_FALSE(app.mConfigSheet()->isHidden()) << "the configuration sheet opens";
        EXPECT_TRUE(app.mInstallSheet()->isHidden() && window.window().confirmSheet()->isHidden());
        EXPECT_EQ(window.listed(), analysed);
        app.mConfigSheet()->hide();
    }
    EXPECT_EQ(window.statusText(), "The library folder " + window.path("unplugged") +
                                       " does not exist: choose it again, or connect the drive "
                                       "that holds it.");
    app.setMDestPath(library);

    window.selectRow(1);
    window.browse({"Tower B", "Runtime"});
    click(app.mSetRuntimeButton());
    QFile::remove(window.source() + "/c Gone.zip");
    window.selectRow(3); // stays selected while the rows above it leave
    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    EXPECT_EQ(control<QLabel>(window, "mConfirmArchivesField")->text(),
              "To install: a Ready.zip, b Dup.zip");
    const QStringList problemLines =
        control<QLabel>(window, "mConfirmProblemsField")->text().split('\n');
    ASSERT_EQ(problemLines.size(), 2);
    EXPECT_TRUE(problemLines[0].startsWith(
        "Cannot be installed: d Loose.zip (no Runtime folder), e Twin.zip (several Runtime "
        "folders: choose the folders first), f Junk.zip (damaged"))
        << "the confirmation names what it leaves out, and why: " << problemLines[0].toStdString();
    EXPECT_TRUE(problemLines[1].startsWith("c Gone.zip cannot be installed: "));
    const QStringList notReady{"d Loose.zip:No Runtime", "e Twin.zip:Duplicates",
                               "f Junk.zip:Unzip error"};
    EXPECT_EQ(window.listed(), notReady) << "ready records leave the list";
    const QModelIndexList selected =
        app.mContentList()->selectionModel()->selectedRows(ContentListModel::FilenameColumn);
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front().data().toString(), "d Loose.zip");
    ASSERT_TRUE(waitForInstall(app));

    // The bar fills with the bytes of the batch and counts the archives
    // installed.
    EXPECT_EQ(app.mPBar()->text(), "2 of 3 archives installed")
        << "the archive that could not be opened posts no step";
    EXPECT_GT(app.mPBar()->value(), 0);
    EXPECT_LT(app.mPBar()->value(), app.mPBar()->maximum()) << "the archive that failed is last";
    EXPECT_EQ(window.listed(), notReady + QStringList{"c Gone.zip:Failed!"});
    EXPECT_EQ(app.mListInfoField()->text(), "Archives: 4");
    const QString reason = app.mItemsArray().at(3).text("REASON").value_or("");
    ASSERT_FALSE(reason.isEmpty());
    EXPECT_EQ(app.contentListModel().index(3, 0).data(Qt::ToolTipRole).toString(),
              "Failed!: " + reason);
    window.selectRow(3);
    EXPECT_TRUE(control<QLabel>(window, "mItemDetailsField")->text().endsWith("\nWhy: " + reason));
    EXPECT_EQ(listRecursive(window.library()),
              QStringList({"Data/", "Data/d.tex", "Runtime/", "Runtime/b.obj", "Runtime/old.txt",
                           "Runtime/r.obj"}));
    EXPECT_EQ(readFile(window.library() + "/Runtime/old.txt"), "kept");
    EXPECT_EQ(readFile(window.library() + "/Runtime/r.obj"), "content of Pack/Runtime/r.obj");
    EXPECT_EQ(listRecursive(window.work()), QStringList());

    window.externalCalls.clear();
    window.window().summarySheet()->accept();
    click(app.mInstallButton());
    EXPECT_EQ(window.externalCalls, QStringList({"beep"}));
    EXPECT_TRUE(window.statusText().startsWith("Nothing is ready to install"));
    EXPECT_TRUE(window.window().confirmSheet()->isHidden());
    EXPECT_TRUE(window.isIdle());
}

// Cancel leaves the archives as they were; the sheet cannot be dismissed
// while the installer runs and names the archive being installed, not the
// one before it; the summary lists each outcome with its reason and opens
// the library.
TEST(WindowInstall, CancelTheSheetAndTheSummary) {
    WindowHarness window(true);
    window.addArchive("a.zip", {"Runtime/a.obj", "Runtime/a2.obj"});
    window.addArchive("b.zip", {"Runtime/b.obj", "Runtime/broken.zip"});
    window.addArchive("c Gone.zip", {"Runtime/c.obj"});
    ASSERT_TRUE(window.start());
    AppDelegate& app = window.app();
    QFile::remove(window.source() + "/c Gone.zip");
    QDialog* summary = window.window().summarySheet();
    auto* headline = summary->findChild<QLabel*>("mSummaryHeadline");

    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    click(app.mInstallSheet()->findChild<QPushButton*>("mCancelInstallButton"));
    window.releaseAllWorkers();
    ASSERT_TRUE(waitForInstall(app));
    EXPECT_EQ(headline->text(),
              "0 archives installed. 3 not installed: the install was cancelled.");
    EXPECT_EQ(window.listed(), QStringList({"a.zip:OK", "b.zip:OK", "c Gone.zip:OK"}));
    EXPECT_EQ(listRecursive(window.library()), QStringList());
    summary->accept();

    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    EXPECT_EQ(app.mInfoField()->text(), "Installing a.zip (1 of 3)…");
    app.mInstallSheet()->reject();
    app.mInstallSheet()->close();
    QTest::keyClick(app.mInstallSheet(), Qt::Key_Escape);
    EXPECT_FALSE(app.mInstallSheet()->isHidden()) << "the installer thread is held";
    app.copyStep("a.zip"); // as the installer posts them: a.zip is in, b.zip begins
    app.copyBegins("b.zip");
    EXPECT_EQ(app.mInfoField()->text(), "Installing b.zip (2 of 3)…");
    // The bar has a.zip's share of the batch's bytes (49 of 97), not a third.
    EXPECT_EQ(app.mPBar()->text(), "1 of 3 archives installed");
    EXPECT_NEAR(double(app.mPBar()->value()) / app.mPBar()->maximum(), 49.0 / 97, 0.002);
    window.releaseAllWorkers();
    ASSERT_TRUE(waitForInstall(app));

    ASSERT_TRUE(summary->isVisible());
    const QString reason = app.mItemsArray().at(0).text("REASON").value_or("");
    ASSERT_FALSE(reason.isEmpty());
    // b.zip's nested archive cannot be read: it is written as the file it
    // is, and its warning says so; nothing of b.zip was left out.
    EXPECT_EQ(headline->text(), "2 archives installed. 1 with warnings. 1 failed.");
    const auto summaryLines = [&] {
        return summary->findChild<QTextBrowser*>()->toPlainText().split('\n', Qt::SkipEmptyParts);
    };
    QStringList lines = summaryLines();
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines[6].startsWith("b.zip — a nested archive that cannot be read"))
        << "the warning, with the engine's words";
    lines[6] = "b.zip";
    EXPECT_EQ(lines, QStringList({"Failed", "c Gone.zip — " + reason, "Installed", "a.zip", "b.zip",
                                  "Installed with warnings", "b.zip"}));
    click(summary->findChild<QPushButton*>("mOpenLibraryButton"));
    EXPECT_EQ(window.externalCalls.last(),
              "open " + QUrl::fromLocalFile(window.library()).toString());
    summary->accept();

    // Listed again by a fresh scan, the installed archives are left alone.
    app.closeConfigSheet();
    ASSERT_TRUE(window.waitForIdle());
    ASSERT_EQ(window.listed(), QStringList({"a.zip:OK", "b.zip:OK"}));
    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    EXPECT_EQ(window.window().confirmSheet()->findChild<QLabel*>("mConfirmArchivesField")->text(),
              "Left alone, already installed and unchanged: a.zip, b.zip");
    EXPECT_EQ(window.window().confirmSheet()->findChild<QLabel*>("mConfirmHeadline")->text(),
              "Install 0 archives into " + window.library() + "?")
        << "archives left alone are not counted as installed";
    window.releaseAllWorkers();
    ASSERT_TRUE(waitForInstall(app));
    EXPECT_EQ(headline->text(), "0 archives installed. 2 already installed and unchanged, left "
                                "alone.");
    EXPECT_EQ(summaryLines(),
              QStringList({"Already installed, unchanged: left alone", "a.zip", "b.zip"}));
}

// A round trip through the library: the info box and the confirmation say
// what an install would do, Cancel changes nothing, the install then does
// just that; archives installed with the same content are marked; the
// installed view uninstalls them, gives back the library's own file and
// keeps the one the user changed.
TEST(WindowInstall, ConfirmMarkAndUninstall) {
    WindowHarness window;
    window.addArchive("A.zip", {"A/Runtime/shared.txt", "A/Runtime/a.txt"});
    window.addArchive("B.zip", {"B/Runtime/shared.txt"});
    writeFile(window.library() + "/Runtime/shared.txt", "original");
    ASSERT_TRUE(window.start());
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
    // shared.txt is written by both: once in the totals, as replaced.
    EXPECT_EQ(shown, filesLine(1, 1, 0) + "; 1 written by several of these archives, the one "
                                          "later in the list kept");
    const QAbstractItemModel* details = control<QTreeView>(window, "mConfirmDetailsView")->model();
    // Every file in one vocabulary: added, replacing its owner's, the same
    // as its owner's, or written before by an earlier archive of this
    // install.
    const auto detailRows = [&] {
        QStringList files;
        for (int archive = 0; archive < details->rowCount(); ++archive) {
            const QModelIndex parent = details->index(archive, 0);
            for (int row = 0; row < details->rowCount(parent); ++row) {
                const QModelIndex file = details->index(row, 0, parent);
                files << QStringList({parent.data().toString().section(" — ", 0, 0),
                                      file.data().toString(),
                                      file.siblingAtColumn(1).data().toString(),
                                      file.siblingAtColumn(2).data().toString()})
                             .join('|');
            }
        }
        files.sort();
        return files;
    };
    EXPECT_EQ(detailRows(),
              QStringList({"A.zip|Add|Runtime/a.txt|",
                           "A.zip|Replace|Runtime/shared.txt|replaces a file no package "
                           "installed; written again by B.zip, later in this install",
                           "B.zip|Replace|Runtime/shared.txt|written before by A.zip, "
                           "earlier in this install"}));
    click(control<QPushButton>(window, "mConfirmCancelButton"));
    EXPECT_TRUE(window.window().confirmSheet()->isHidden() && app.mInstallSheet()->isHidden());
    EXPECT_EQ(app.mItemsArray().size(), 2u) << "Cancel leaves the list as it was";
    EXPECT_EQ(FolderSnapshot::of(window.library()), before);

    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    ASSERT_TRUE(waitForInstall(app));
    // Each path by what its first writer did to the library.
    int did[3] = {};
    QSet<QString> written;
    int several = 0;
    Executor executor;
    const Result<RecordsRead> read = LibraryRecords(window.library(), executor).load();
    ASSERT_TRUE(read.ok());
    for (const Manifest& manifest : read->manifests) {
        for (const Manifest::File& file : manifest.files) {
            if (written.contains(file.path))
                ++several;
            else
                ++did[int(file.action)];
            written.insert(file.path);
        }
    }
    EXPECT_EQ(filesLine(did[0], did[1], did[2]) +
                  QString("; %1 written by several of these archives, the one later in the list "
                          "kept")
                      .arg(several),
              shown)
        << "the install did what was shown";
    // The line under the bar named a file written and the bytes of the total.
    const QString progress = app.mInstallSheet()->findChild<QLabel*>("mProgressField")->text();
    EXPECT_TRUE(QRegularExpression(
                    "^Runtime/\\w+\\.txt — [1-9]\\d* bytes of [1-9]\\d* bytes(, about .+ left)?$")
                    .match(progress)
                    .hasMatch())
        << progress.toStdString();

    // A fresh scan lists both again: A.zip is what was installed, B.zip
    // changed since.
    window.addArchive("B.zip", {"B/Runtime/other.txt"});
    window.addArchive("C.zip", {"A/Runtime/a.txt"}); // A's file, byte for byte
    app.closeConfigSheet();
    ASSERT_TRUE(window.waitForIdle());
    const auto verdictTip = [&](int row) {
        return app.contentListModel().index(row, 2).data(Qt::ToolTipRole).toString();
    };
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return verdictTip(0).contains("\nInstalled in the library on "); }));
    EXPECT_EQ(verdictTip(1), "OK");
    click(app.mInstallButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return confirm->isEnabled(); }));
    EXPECT_TRUE(detailRows().contains("C.zip|Same|Runtime/a.txt|the same as the file of A.zip"))
        << detailRows().join('\n').toStdString();
    click(control<QPushButton>(window, "mConfirmCancelButton"));

    writeFile(window.library() + "/Runtime/a.txt", "edited by the user");
    writeFile(window.library() + "/.packshelf/torn.json", "{");
    control<QAction>(window, "mInstalledItem")->trigger();
    auto* packages = control<QTreeView>(window, "mInstalledList")->model();
    auto* unreadable = control<QLabel>(window, "mInstalledProblemsField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return unreadable->text().contains("torn.json"); }));
    QStringList rows;
    for (int row = 0; row < packages->rowCount(); ++row) {
        for (int column : {0, 2, 3})
            rows << packages->index(row, column).data().toString();
    }
    EXPECT_EQ(rows, QStringList({"A.zip", "2", "1", "B.zip", "1", "1"}));

    control<QTreeView>(window, "mInstalledList")->selectAll();
    click(control<QPushButton>(window, "mUninstallButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return packages->rowCount() == 0; }));
    EXPECT_EQ(window.externalCalls.filter("ask Uninstall 2 packages: B.zip, A.zip?").size(), 1);
    EXPECT_EQ(control<QLabel>(window, "mUninstallResultField")->text(),
              "B.zip uninstalled. 0 files removed. 1 file put back as it was before.\n"
              "A.zip uninstalled. 0 files removed. 1 file put back as it was before.\n"
              "Kept, changed since the install: " +
                  window.library() + "/Runtime/a.txt");
    EXPECT_EQ(readFile(window.library() + "/Runtime/shared.txt"), "original");
    EXPECT_EQ(readFile(window.library() + "/Runtime/a.txt"), "edited by the user");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !verdictTip(0).contains("Installed"); }));

    // Install Selected, from the list's menu, asks for and installs the
    // selected ready archive alone; the other stays listed.
    app.mContentList()->clearSelection();
    window.selectRow(1);
    ASSERT_EQ(app.mContentList()->selectionModel()->selectedRows().size(), 1);
    control<QAction>(window, "mInstallSelectedItem")->trigger();
    ASSERT_TRUE(window.confirmInstall());
    EXPECT_EQ(control<QLabel>(window, "mConfirmHeadline")->text(),
              "Install 1 archive into " + window.library() + "?");
    EXPECT_EQ(control<QLabel>(window, "mConfirmArchivesField")->text(), "To install: B.zip");
    ASSERT_TRUE(waitForInstall(app));
    EXPECT_EQ(window.listed(), QStringList({"A.zip:OK", "C.zip:OK"}));
    EXPECT_EQ(readFile(window.library() + "/Runtime/other.txt"), "content of B/Runtime/other.txt");
    EXPECT_EQ(readFile(window.library() + "/Runtime/a.txt"), "edited by the user");
}

// After an install, Verify in the installed view marks the package whose
// file the user changed and names the file; Repair writes it again from the
// archive, keeping the user's version; Undo Install takes the run back, and
// its archives come back into the list.
TEST(WindowInstall, VerifyRepairAndUndoFromTheWindow) {
    WindowHarness window;
    window.addArchive("A.zip", {"A/Runtime/a.txt", "A/Runtime/shared.txt"});
    window.addArchive("B.zip", {"B/Runtime/b.txt"});
    writeFile(window.library() + "/Runtime/shared.txt", "original");
    ASSERT_TRUE(window.start());
    AppDelegate& app = window.app();
    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    ASSERT_TRUE(waitForInstall(app));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.window().summarySheet()->isVisible(); }));
    writeFile(window.library() + "/Runtime/a.txt", "the user's own");

    window.window().findChild<QAction*>("mInstalledItem")->trigger();
    auto* verify = control<QPushButton>(window, "mVerifyButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return verify->isEnabled(); }));
    click(verify);
    auto* result = control<QLabel>(window, "mUninstallResultField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return result->text().contains("not as installed"); }));
    EXPECT_EQ(result->text(), "A.zip is not as installed: 1 changed. Runtime/a.txt (changed)");
    const QAbstractItemModel* packages = control<QTreeView>(window, "mInstalledList")->model();
    QStringList marked;
    for (int row = 0; row < packages->rowCount(); ++row) {
        const QModelIndex archive = packages->index(row, 0);
        if (!archive.data(Qt::ToolTipRole).toString().isEmpty())
            marked << archive.data().toString();
    }
    EXPECT_EQ(marked, QStringList{"A.zip"});

    // Repair writes A's file again from its archive and keeps the user's.
    auto* list = control<QTreeView>(window, "mInstalledList");
    list->selectionModel()->select(packages->index(0, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (packages->index(0, 0).data().toString() != "A.zip")
        list->selectionModel()->select(packages->index(1, 0), QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
    auto* repair = control<QPushButton>(window, "mRepairButton");
    ASSERT_TRUE(repair->isEnabled());
    click(repair);
    ASSERT_TRUE(QTest::qWaitFor([&] { return result->text().contains("written again"); }));
    EXPECT_TRUE(result->text().startsWith("A.zip: 1 file written again.\nYour version of "))
        << result->text().toStdString();
    EXPECT_EQ(readFile(window.library() + "/Runtime/a.txt"), "content of A/Runtime/a.txt");
    window.window().installedSheet()->reject();

    click(control<QPushButton>(window, "mUndoInstallButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.mItemsArray().size() == 2 && window.isIdle(); }));
    EXPECT_EQ(control<QLabel>(window, "mSummaryHeadline")->text(),
              "2 packages uninstalled, latest first.");
    QStringList left = listRecursive(window.library());
    left.erase(std::remove_if(left.begin(), left.end(),
                              [](const QString& path) { return path.startsWith(".packshelf"); }),
               left.end());
    EXPECT_EQ(left, QStringList({"Runtime/", "Runtime/shared.txt"}));
    EXPECT_EQ(readFile(window.library() + "/Runtime/shared.txt"), "original");
}
