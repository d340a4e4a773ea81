#include "ui/WindowOutlets.h"

#include "ui/MainWindow.h"
#include "ui_ConfigSheet.h"
#include "ui_InstallSheet.h"
#include "ui_MainWindow.h"
#include "ui_SummarySheet.h"

namespace packshelf {

WindowOutlets outletsOf(MainWindow& window) {
    WindowOutlets outlets;
    Ui::MainWindow& main = window.controls();
    Ui::ConfigSheet& config = window.configControls();
    Ui::InstallSheet& install = window.installControls();
    Ui::SummarySheet& summary = window.summaryControls();
    outlets.mWindow = &window;
    outlets.mToolbar = main.mToolbar;
    outlets.mConfigItem = main.mConfigItem;
    outlets.mContentList = main.mContentList;
    outlets.mInstallButton = main.mInstallButton;
    outlets.mInstallSelectedButton = main.mInstallSelectedButton;
    outlets.mListInfoField = main.mListInfoField;
    outlets.mSpinner = main.mSpinner;
    outlets.mZIPBrowser = main.mZIPBrowser;
    outlets.mBrowserPathField = main.mBrowserPathField;
    outlets.mSetRuntimeButton = main.mSetRuntimeButton;
    outlets.mSetDataButton = main.mSetDataButton;
    outlets.mDropButton = main.mDropButton;
    outlets.mForceDirButton = main.mForceDirButton;
    outlets.mDestinationButton = main.mDestinationButton;
    outlets.mDirectoryInfoBox = main.mDirectoryInfoBox;
    outlets.mDonateButton = main.mDonateButton;
    outlets.mConfigSheet = window.configSheet();
    outlets.mSourcePathField = config.mSourcePathField;
    outlets.mDestPathField = config.mDestPathField;
    outlets.mWorkPathField = config.mWorkPathField;
    outlets.mIgnoreDSCheckbox = config.mIgnoreDSCheckbox;
    outlets.mConfigProblemField = config.mConfigProblemField;
    outlets.mInstallSheet = window.installSheet();
    outlets.mInfoField = install.mInfoField;
    outlets.mPBar = install.mPBar;
    outlets.mProgressField = install.mProgressField;
    outlets.mStatusBar = main.mStatusBar;
    outlets.mRefreshItem = main.mRefreshItem;
    outlets.mListStack = main.mListStack;
    outlets.mEmptyStateField = main.mEmptyStateField;
    outlets.mEmptyStateButton = main.mEmptyStateButton;
    outlets.mItemDetailsField = main.mItemDetailsField;
    outlets.mLibraryField = main.mLibraryField;
    outlets.mFilterField = window.filterField();
    outlets.mDropItem = main.mDropItem;
    outlets.mInstallSelectedItem = main.mInstallSelectedItem;
    outlets.mCopyPathItem = main.mCopyPathItem;
    outlets.mShowInFolderItem = main.mShowInFolderItem;
    outlets.mMainSplitter = main.mainSplitter;
    outlets.mCancelInstallButton = install.mCancelInstallButton;
    outlets.mSummarySheet = window.summarySheet();
    outlets.mSummaryHeadline = summary.mSummaryHeadline;
    outlets.mSummaryDetails = summary.mSummaryDetails;
    outlets.mOpenLibraryButton = summary.mOpenLibraryButton;
    outlets.mUndoInstallButton = summary.mUndoInstallButton;
    return outlets;
}

} // namespace packshelf
