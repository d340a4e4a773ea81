#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

#include "tests/support/HostileCorpus.h"
#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList rows(AppDelegate& app) {
    QStringList result;
    for (const ArchiveItem& item : app.mItemsArray())
        result << item.fileName() + ":" + QString::number(item.state());
    return result;
}

// Waits until the install sheet has closed again.
bool waitForInstall(AppDelegate& app) {
    return QTest::qWaitFor([&] { return app.mInstallSheet()->isHidden(); }, 120000);
}

} // namespace

TEST(WindowInstall, InstallsReadyArchivesAndReturnsTheFailedOnes) {
    WindowHarness window;
    window.addArchive("a Ready.zip", {"Pack/Runtime/r.obj", "Pack/Data/d.tex"});
    window.addArchive("b Dup.zip", {"Tower A/Runtime/a.obj", "Tower B/Runtime/b.obj"});
    window.addArchive("c Gone.zip", {"Runtime/g.obj"});
    window.addArchive("d Loose.zip", {"Models/x.obj"});
    writeFile(window.library() + "/Runtime/old.txt", "kept");
    writeFile(window.library() + "/Runtime/r.obj", "replaced");
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();

    window.selectRow(1);
    window.browse({"Tower B", "Runtime"});
    click(app.mSetRuntimeButton());
    ASSERT_EQ(window.state(1), ItemState::Ready);
    QFile::remove(window.source() + "/c Gone.zip");

    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    EXPECT_TRUE(window.window()
                    .findChild<QLabel*>("mConfirmProblemsField")
                    ->text()
                    .startsWith("c Gone.zip cannot be installed: "));
    EXPECT_EQ(rows(app), QStringList({"d Loose.zip:-1"})) << "ready records leave the list";
    EXPECT_FALSE(app.mInstallSheet()->isHidden());
    EXPECT_EQ(app.mPBar()->maximum(), 3);
    ASSERT_TRUE(waitForInstall(app));

    EXPECT_EQ(app.mPBar()->value(), 2) << "the archive that could not be opened posts no step";
    EXPECT_EQ(rows(app), QStringList({"d Loose.zip:-1", "c Gone.zip:-1"}));
    const ArchiveItem& gone = app.mItemsArray().at(1);
    EXPECT_EQ(gone.integer("ERROR"), 1);
    EXPECT_EQ(gone.text("INFO"), "Failed!");
    EXPECT_EQ(app.mListInfoField()->text(), "Archives: 2");

    EXPECT_EQ(listRecursive(window.library()),
              QStringList({"Data/", "Data/d.tex", "Runtime/", "Runtime/b.obj", "Runtime/old.txt",
                           "Runtime/r.obj"}));
    EXPECT_EQ(readFile(window.library() + "/Runtime/old.txt"), "kept");
    EXPECT_EQ(readFile(window.library() + "/Runtime/r.obj"), "content of Pack/Runtime/r.obj");
    EXPECT_EQ(listRecursive(window.work()), QStringList());
    EXPECT_TRUE(window.isIdle()) << "the window is back to idle";
}

TEST(WindowInstall, RefusesWithoutFoldersOrWithNothingReady) {
    WindowHarness window;
    window.addArchive("ready.zip", {"Runtime/r.obj"});
    window.addArchive("loose.zip", {"x.obj"});
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();

    // No library chosen, or one that is not there (an unplugged drive):
    // the configuration sheet opens and nothing else happens.
    const std::optional<QString> library = app.mDestPath();
    for (const std::optional<QString>& unusable :
         {std::optional<QString>(), std::optional<QString>(window.path("unplugged"))}) {
        window.externalCalls.clear();
        app.setMDestPath(unusable);
        click(app.mInstallButton());
        EXPECT_EQ(window.externalCalls, QStringList({"beep"}));
        EXPECT_FALSE(app.mConfigSheet()->isHidden()) << "the configuration sheet opens";
        EXPECT_TRUE(app.mInstallSheet()->isHidden() && window.window().confirmSheet()->isHidden());
        EXPECT_EQ(rows(app), QStringList({"loose.zip:-1", "ready.zip:5"}));
        app.mConfigSheet()->hide();
    }
    EXPECT_EQ(window.statusText(), "The library folder " + window.path("unplugged") +
                                       " does not exist: choose it again, or connect the drive "
                                       "that holds it.");
    app.setMDestPath(library);

    // Only the loose archive is left after a first install; a second one
    // is refused with a beep and a reason, and no sheet opens.
    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    ASSERT_TRUE(waitForInstall(app));
    EXPECT_EQ(rows(app), QStringList({"loose.zip:-1"}));
    click(app.mInstallButton());
    EXPECT_TRUE(app.mInstallSheet()->isHidden());
    EXPECT_EQ(window.externalCalls, QStringList({"beep", "beep"}));
    EXPECT_TRUE(window.statusText().startsWith("Nothing is ready to install"));
    EXPECT_EQ(rows(app), QStringList({"loose.zip:-1"}));
    EXPECT_TRUE(window.isIdle());
}

// Cancel leaves the archives as they were; the sheet names the archive
// being installed, not the one before it; the summary at the end lists each
// outcome with its reason and opens the library.
TEST(WindowInstall, CancelTheSheetAndTheSummary) {
    WindowHarness window(true);
    window.addArchive("a.zip", {"Runtime/a.obj"});
    window.addArchive("b.zip", {"Runtime/b.obj", "Runtime/broken.zip"});
    window.addArchive("c Gone.zip", {"Runtime/c.obj"});
    window.storeFolders();
    window.launch();
    window.releaseAllWorkers();
    ASSERT_TRUE(window.waitForIdle());
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
    EXPECT_EQ(rows(app), QStringList({"a.zip:5", "b.zip:5", "c Gone.zip:5"}));
    EXPECT_EQ(listRecursive(window.library()), QStringList());
    summary->accept();

    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    EXPECT_EQ(app.mInfoField()->text(), "Installing a.zip (1 of 3)…");
    app.copyStep("a.zip"); // as the installer posts them: a.zip is in, b.zip begins
    app.copyBegins("b.zip");
    EXPECT_EQ(app.mInfoField()->text(), "Installing b.zip (2 of 3)…");
    window.releaseAllWorkers();
    ASSERT_TRUE(waitForInstall(app));

    ASSERT_TRUE(summary->isVisible());
    const QString reason = app.mItemsArray().at(0).text("REASON").value_or("");
    ASSERT_FALSE(reason.isEmpty());
    EXPECT_EQ(headline->text(), "2 archives installed. 1 failed.");
    QStringList lines =
        summary->findChild<QTextBrowser*>()->toPlainText().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[3].startsWith("b.zip — ")) << "the nested failure, with the engine's words";
    lines[3] = "b.zip";
    EXPECT_EQ(lines, QStringList({"Failed", "c Gone.zip — " + reason,
                                  "Installed, with parts missing", "b.zip", "Installed", "a.zip"}));
    click(summary->findChild<QPushButton*>("mOpenLibraryButton"));
    EXPECT_EQ(window.externalCalls.last(),
              "open " + QUrl::fromLocalFile(window.library()).toString());
}

TEST(WindowInstall, TheSheetCannotBeDismissedWhileInstalling) {
    WindowHarness window(true);
    window.addArchive("ready.zip", {"Runtime/r.obj"});
    window.storeFolders();
    window.launch();
    ASSERT_TRUE(window.releaseWorker(0));
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();

    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    ASSERT_EQ(window.heldWorkers(), 2u) << "the installer thread is held";
    app.mInstallSheet()->reject();
    app.mInstallSheet()->close();
    QTest::keyClick(app.mInstallSheet(), Qt::Key_Escape);
    EXPECT_FALSE(app.mInstallSheet()->isHidden());

    window.releaseAllWorkers();
    ASSERT_TRUE(waitForInstall(app));
    EXPECT_TRUE(app.mItemsArray().empty());
    EXPECT_EQ(listRecursive(window.library()), QStringList({"Runtime/", "Runtime/r.obj"}));
}

// The hostile corpus through the real window: analysis gives each archive
// its verdict, install takes the ready ones, and nothing outside the work
// folder and the library changes; no symbolic link is ever made.
TEST(WindowInstall, HostileArchivesReachNothingOutsideTheLibrary) {
    WindowHarness window;
    const std::vector<HostileArchive> corpus = hostileCorpus(false);
    for (const HostileArchive& archive : corpus)
        writeFile(window.source() + "/" + archive.fileName, archive.bytes);
    writeFile(window.path("bystander/keep.txt"), "keep");
    window.storeFolders();
    const auto outsideTheLibrary = [&] {
        FolderSnapshot snapshot = FolderSnapshot::of(window.path(""));
        std::erase_if(snapshot.entries, [](const auto& entry) {
            return entry.first.startsWith("library") || entry.first.startsWith("settings");
        });
        return snapshot;
    };
    const FolderSnapshot before = outsideTheLibrary();
    window.launch();
    ASSERT_TRUE(window.waitForIdle());
    AppDelegate& app = window.app();

    QStringList refused;
    QStringList notInstalled; // refused, or damaged: found so at install
    for (const HostileArchive& archive : corpus) {
        if (archive.expect == HostileArchive::Expect::Refused)
            refused << archive.fileName;
        if (archive.expect != HostileArchive::Expect::Analysed)
            notInstalled << archive.fileName;
    }
    QStringList unzipErrors;
    for (int row = 0; row < int(app.mItemsArray().size()); ++row) {
        if (window.info(row) == "Unzip error")
            unzipErrors << app.mItemsArray().at(std::size_t(row)).fileName();
        else
            EXPECT_EQ(window.info(row), "OK") << row;
    }
    refused.sort();
    unzipErrors.sort();
    EXPECT_EQ(unzipErrors, refused);

    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    ASSERT_TRUE(waitForInstall(app));
    QStringList left;
    for (const ArchiveItem& item : app.mItemsArray())
        left << item.fileName();
    left.sort();
    notInstalled.sort();
    EXPECT_EQ(left, notInstalled) << "every sound ready archive was installed";

    EXPECT_EQ(FolderSnapshot::differences(before, outsideTheLibrary()), QStringList());
    EXPECT_EQ(listRecursive(window.work()), QStringList());
    QDirIterator it(window.path(""),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        EXPECT_FALSE(QFileInfo(it.next()).isSymLink()) << it.filePath().toStdString();
    EXPECT_EQ(readFile(window.library() + "/Runtime/ok.txt"), "ok");
}
