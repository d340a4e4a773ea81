#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "tests/support/TestFolders.h"
#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

QVariant stored(WindowHarness& window, const char* key) {
    return QSettings(window.settingsFile(), QSettings::IniFormat).value(key);
}

// Takes the permission-bypassing capabilities from this thread for the
// lifetime of the object, so that a folder without permissions stops root as
// it stops everyone else. Other threads keep theirs.
class PermissionsApply {
public:
    PermissionsApply() {
        syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &m_header, lowered);
    }
    ~PermissionsApply() { syscall(SYS_capset, &m_header, m_saved); }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};

} // namespace

// The first launch says what to do and offers the configuration sheet; a
// source folder that is not there is named, an empty one says so; an option
// that is neither true nor false reads as its default.
TEST(WindowSettings, FirstLaunchSaysWhatToDoAndAMissingFolderIsNamed) {
    WindowHarness window;
    QSettings(window.settingsFile(), QSettings::IniFormat).setValue("IGNORE_DS", "maybe");
    const QByteArray stored = readFile(window.settingsFile());
    window.launch();
    AppDelegate& app = window.app();
    for (QLabel* field : {app.mSourcePathField(), app.mDestPathField(), app.mWorkPathField()})
        EXPECT_EQ(field->text(), "Not chosen yet");
    EXPECT_FALSE(app.mIgnoreDSCheckbox()->isChecked());
    EXPECT_EQ(app.mListInfoField()->text(), "Archives: 0");
    EXPECT_FALSE(app.mInstallButton()->isEnabled());
    EXPECT_FALSE(WindowHarness::shown(app.mDropButton()));
    EXPECT_FALSE(WindowHarness::shown(app.mDonateButton()));
    EXPECT_EQ(app.mBatchID(), 0);
    auto* hint = window.window().findChild<QLabel*>("mEmptyStateField");
    ASSERT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().startsWith(
        "Choose the folder that holds your downloaded archives (zip, 7z or RAR)"));
    click(window.window().findChild<QPushButton*>("mEmptyStateButton"));
    EXPECT_TRUE(app.mConfigSheet()->isVisible());
    EXPECT_EQ(readFile(window.settingsFile()), stored) << "reading writes nothing";

    window.pickerAnswers = {window.path("gone")};
    app.setSourcePath();
    app.closeConfigSheet();
    EXPECT_EQ(app.mListInfoField()->text(),
              "The source folder " + window.path("gone") + " does not exist");
    EXPECT_TRUE(hint->text().contains(window.path("gone") + " does not exist"));

    window.pickerAnswers = {window.source()};
    app.setSourcePath();
    app.closeConfigSheet();
    EXPECT_EQ(app.mListInfoField()->text(), "Archives: 0");
    EXPECT_TRUE(hint->text().startsWith("There are no zip archives in " + window.source()));
    EXPECT_TRUE(window.isIdle()) << "an empty folder is scanned at once";
    EXPECT_EQ(window.pickerStarts, QStringList({QDir::homePath(), QDir::homePath()}))
        << "without a folder, or with one that is gone, the picker opens at home";
}

TEST(WindowSettings, ChoicesAreStoredAtOnceAndLoadedAtTheNextStart) {
    WindowHarness window;
    window.addArchive("one.zip", {"Runtime/r"});
    window.launch();
    AppDelegate& app = window.app();
    app.openConfigSheet();
    ASSERT_TRUE(app.mConfigSheet()->isVisible());
    ASSERT_EQ(app.mConfigSheet()->windowModality(), Qt::WindowModal);

    window.pickerAnswers = {window.source(), window.library(), std::nullopt};
    app.setSourcePath();
    app.setDestPath();
    app.setWorkPath(); // cancelled: nothing changes
    click(app.mIgnoreDSCheckbox());
    EXPECT_EQ(stored(window, "SOURCEPATH"), window.source());
    EXPECT_EQ(stored(window, "DESTPATH"), window.library());
    EXPECT_FALSE(stored(window, "WORKPATH").isValid());
    EXPECT_EQ(stored(window, "IGNORE_DS").toBool(), true);
    EXPECT_EQ(app.mDestPathField()->text(), window.library());
    EXPECT_EQ(app.mWorkPathField()->text(), "Not chosen yet");
    EXPECT_EQ(app.mBatchID(), 0) << "choosing a folder starts no scan";

    window.relaunch(); // quit without closing the sheet
    AppDelegate& again = window.app();
    EXPECT_EQ(again.mSourcePathField()->text(), window.source());
    EXPECT_EQ(again.mDestPath(), window.library());
    EXPECT_FALSE(again.mWorkPath().has_value());
    EXPECT_TRUE(again.mIgnoreDSCheckbox()->isChecked());
    window.pickerStarts.clear();
    window.pickerAnswers = {std::nullopt, std::nullopt};
    again.setSourcePath();
    again.setWorkPath();
    EXPECT_EQ(window.pickerStarts, QStringList({window.source(), QDir::homePath()}))
        << "a picker opens at the folder chosen";
    EXPECT_EQ(again.mBatchID(), 1);
    ASSERT_TRUE(window.waitForIdle());
    EXPECT_EQ(again.mItemsArray().at(0).integer("IGNORE_DS"), 1);

    again.openConfigSheet();
    click(window.window().findChild<QPushButton*>("mCloseButton"));
    EXPECT_FALSE(again.mConfigSheet()->isVisible());
    EXPECT_EQ(again.mBatchID(), 2) << "closing the sheet scans again, changed or not";
    EXPECT_TRUE(window.waitForIdle());
}

TEST(WindowSettings, BadFoldersLeaveTheWindowUsable) {
    WindowHarness window;
    window.addArchive("kept.zip", {"Runtime/r"});
    window.storeFolders();
    {
        QSettings store(window.settingsFile(), QSettings::IniFormat);
        store.setValue("SOURCEPATH", window.path("gone/source"));
        store.setValue("WORKPATH", window.path("gone/work"));
    }
    window.launch();
    AppDelegate& app = window.app();
    EXPECT_EQ(app.mSourcePathField()->text(), window.path("gone/source"));
    EXPECT_EQ(app.mBatchID(), 0);
    EXPECT_TRUE(window.externalCalls.isEmpty());

    window.pickerAnswers = {window.source(), window.work()};
    app.setSourcePath();
    app.setWorkPath();
    app.closeConfigSheet();
    ASSERT_TRUE(window.waitForIdle());
    ASSERT_EQ(app.mItemsArray().size(), 1u);
    const std::vector<ArchiveItem> analysed = app.mItemsArray();

    // A source that is a file: silently nothing, the list stays.
    writeFile(window.path("plain.zip"), "not a folder");
    window.pickerAnswers = {window.path("plain.zip")};
    app.setSourcePath();
    app.closeConfigSheet();
    EXPECT_EQ(app.mBatchID(), 1);
    EXPECT_EQ(app.mItemsArray(), analysed);
    EXPECT_TRUE(window.externalCalls.isEmpty());
    EXPECT_TRUE(window.logLines().filter("contentsOfDirectoryAtPath").isEmpty());

    // A folder that cannot be read: one log line and one beep, the list stays.
    window.pickerAnswers = {window.path("locked")};
    QDir().mkpath(window.path("locked"));
    QFile::setPermissions(window.path("."),
                          QFile::permissions(window.path(".")) | QFileDevice::ExeOther);
    QFile::setPermissions(window.path("locked"), QFileDevice::Permissions());
    app.setSourcePath();
    {
        PermissionsApply permissions;
        app.closeConfigSheet();
    }
    QFile::setPermissions(window.path("locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(window.externalCalls, QStringList{"beep"});
    const QStringList failures = window.logLines().filter("contentsOfDirectoryAtPath gave:");
    ASSERT_EQ(failures.size(), 1);
    EXPECT_GT(failures[0].size(), QString("contentsOfDirectoryAtPath gave:").size());
    EXPECT_EQ(app.mBatchID(), 1);
    EXPECT_EQ(app.mItemsArray(), analysed);
}
