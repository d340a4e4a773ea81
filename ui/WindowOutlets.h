#pragma once

#include "ui/ContentListModel.h"

class QAction;
class QCheckBox;
class QColumnView;
class QDialog;
class QLabel;
class QLineEdit;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QStatusBar;
class QTableView;
class QTextBrowser;
class QToolBar;

namespace packshelf {

class MainWindow;

// The controls of the window and its sheets that the controller works
// with. The window owns them; the controller only points at them.
struct WindowOutlets {
    QMainWindow* mWindow = nullptr;
    QToolBar* mToolbar = nullptr;
    QAction* mConfigItem = nullptr;
    QTableView* mContentList = nullptr;
    int mCL_IconColumn = ContentListModel::IconColumn;
    int mCL_FilenameColumn = ContentListModel::FilenameColumn;
    int mCL_InfoColumn = ContentListModel::InfoColumn;
    QPushButton* mInstallButton = nullptr;
    QPushButton* mInstallSelectedButton = nullptr;
    QLabel* mListInfoField = nullptr;
    QProgressBar* mSpinner = nullptr;
    QColumnView* mZIPBrowser = nullptr;
    QLabel* mBrowserPathField = nullptr; // the path of the browser's selection
    QPushButton* mSetRuntimeButton = nullptr;
    QPushButton* mSetDataButton = nullptr;
    QPushButton* mDropButton = nullptr;
    QPushButton* mForceDirButton = nullptr;
    QPushButton* mDestinationButton = nullptr;
    QLabel* mDirectoryInfoBox = nullptr;
    QPushButton* mDonateButton = nullptr;
    QDialog* mConfigSheet = nullptr;
    QLabel* mSourcePathField = nullptr;
    QLabel* mDestPathField = nullptr;
    QLabel* mWorkPathField = nullptr;
    QCheckBox* mIgnoreDSCheckbox = nullptr;
    QLabel* mConfigProblemField = nullptr; // why a folder chosen was not taken
    QDialog* mInstallSheet = nullptr;
    QLabel* mInfoField = nullptr;
    QProgressBar* mPBar = nullptr;
    QLabel* mProgressField = nullptr;
    // Beyond the controls above: the status line, refresh, the empty
    // list's page, the info box's details and what an install does to
    // the library, the filter, the list's actions, the splitter, Cancel
    // and the summary sheet.
    QStatusBar* mStatusBar = nullptr;
    QAction* mRefreshItem = nullptr;
    QStackedWidget* mListStack = nullptr;
    QLabel* mEmptyStateField = nullptr;
    QPushButton* mEmptyStateButton = nullptr;
    QLabel* mItemDetailsField = nullptr;
    QLabel* mLibraryField = nullptr;
    QLineEdit* mFilterField = nullptr;
    QAction* mDropItem = nullptr;
    QAction* mInstallSelectedItem = nullptr;
    QAction* mCopyPathItem = nullptr;
    QAction* mShowInFolderItem = nullptr;
    QSplitter* mMainSplitter = nullptr;
    QPushButton* mCancelInstallButton = nullptr;
    QDialog* mSummarySheet = nullptr;
    QLabel* mSummaryHeadline = nullptr;
    QTextBrowser* mSummaryDetails = nullptr;
    QPushButton* mOpenLibraryButton = nullptr;
    QPushButton* mUndoInstallButton = nullptr;
};

// The outlets of `window`.
WindowOutlets outletsOf(MainWindow& window);

} // namespace packshelf
