#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/AnalysisScheduler.h"
#include "analysis/Analyzer.h"
#include "analysis/ArchiveItem.h"
#include "analysis/ManualChoice.h"
#include "core/MainThreadCall.h"
#include "install/InstallJob.h"
#include "readers/ReaderPool.h"
#include "ui/ArchiveBrowser.h"
#include "ui/ArchiveBrowserModel.h"
#include "ui/ChoiceActions.h"
#include "ui/ChoiceMemory.h"
#include "ui/ConfigurationSheet.h"
#include "ui/ContentListModel.h"
#include "ui/ContentListProxy.h"
#include "ui/DropImport.h"
#include "ui/EntryPreviewLoader.h"
#include "ui/FileStamp.h"
#include "ui/InstallSession.h"
#include "ui/LibraryJobs.h"
#include "ui/LibraryStatus.h"
#include "ui/ListMenu.h"
#include "ui/ListSelection.h"
#include "ui/ListedArchives.h"
#include "ui/PlatformServices.h"
#include "ui/SettingsStore.h"
#include "ui/SourceWatcher.h"
#include "ui/WindowOutlets.h"

class QAction;
class QCheckBox;
class QColumnView;
class QDialog;
class QLabel;
class QLineEdit;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QSettings;
class QSplitter;
class QStackedWidget;
class QStatusBar;
class QTableView;
class QTextBrowser;
class QToolBar;

namespace packshelf {

class Executor;
class MainWindow;
struct SourceScan;

// The controller of the window: it owns the list of archives, the three
// folders and the option, and the scan's scheduler, and it runs every
// action of the window. All of it lives on the main thread; analyzer
// workers reach it only through reportAnalyze(), which hands their report
// to the main thread and waits there until gotReport() has taken it in.
// Its work runs on the application's executor.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // The controls of the window and its sheets. The window owns them; the
    // controller only points at them.
    using Outlets = WindowOutlets;

    // Takes the window's controls as outlets, wires their actions and loads
    // the state icons. Nothing is read from the settings until
    // applicationDidFinishLaunching().
    AppDelegate(MainWindow& window, QSettings& settings, Executor& executor,
                QObject* parent = nullptr);
    // Waits for outstanding workers first: each of them still reports here.
    ~AppDelegate() override;

    // What the controller uses of the desktop; tests replace parts of it.
    PlatformServices& services() { return m_services; }

    // Start-up and quit.
    void applicationDidFinishLaunching();
    void applicationWillTerminate() {}
    // Quitting: hands out no more work, cancels what runs, and runs the
    // hand-overs of the work under way until every worker has reported (and
    // so removed its expansion folder), a running install has ended and the
    // library's jobs are in. The destructor does it when nobody did.
    void waitForOutstandingWorkers();

    // Scan and scheduling. launchAnalyzer() lists the source folder afresh;
    // refresh() follows it instead: archives that arrived or changed are
    // added and analysed, those gone are removed, the rest keep their
    // analysis and choices, and archives installed or dropped stay away.
    void launchAnalyzer();
    void refresh();
    void launchWorkers();
    // Called on a worker's thread; returns once gotReport() has run.
    void reportAnalyze(ArchiveItem record, qint64 index, qint64 batchid);
    void gotReport(AnalyzerReport report);

    // Content list and info box.
    qint64 numberOfRowsInTableView() const { return qint64(m_listModel.records().size()); }
    void listClick();
    // Enter (or a double click) on a row: that archive alone is selected, so
    // the info box shows it, and the keys go on in its browser.
    void openListRow(const QModelIndex& index);
    void updateInfobox(const ArchiveItem& item);

    // Archive browser.
    std::optional<BrowserRoot> rootItemForBrowser() const;
    void zipbrowserAction();
    // Reads the selected file for the browser's last column, off the main
    // thread; stops the read of the one selected before.
    void previewSelectedEntry();
    // The path of the folder that holds the browser's selection; nothing
    // when no archive or no entry is selected.
    std::optional<QString> buildPathToSelectedNode() const;
    // The selected entry's own name in the first column, else the same path
    // as buildPathToSelectedNode(); nothing when no entry is selected.
    std::optional<QString> buildPathToSelectedNodeWithSelf() const;

    // Manual choices.
    void setRuntimeFolder();
    void setDataFolder();
    void forceDirectory();
    void defineDestinaton();
    void dropItem();

    // Configuration sheet and donation.
    void setSourcePath();
    void setDestPath();
    void setWorkPath();
    void ignoreDSClick();
    void openConfigSheet();
    void closeConfigSheet();
    void doDonate();

    // Install: asks first, on a sheet that shows what the ready archives
    // would do to the library; once the user confirms, takes every Ready
    // record out of the list and hands them to one installer thread behind
    // the install sheet; copyBegins(), copyStep() and copyDone() bring its
    // progress and its end back to the main thread.
    void beginInstall();
    // Install Selected: the same for the selected ready archives alone, in
    // list order.
    void beginInstallSelected();
    void copyBegins(const QString& fileName);
    void copyStep(const QString& fileName);
    void copyDone(std::vector<ArchiveItem> items);
    // Rolls back the archive being installed and leaves the rest as they
    // are.
    void cancelInstall();
    void openLibrary();
    // The library's installed packages, with Uninstall.
    void showInstalledPackages();

    // Copies archives dropped on the window into the source folder (after
    // asking before one replaces a file) and then refreshes the list; the
    // other files dropped with them are named as not added.
    void importArchives(const QStringList& archives, const QStringList& others);
    // The list's context actions. Analyse Again forgets the choices made by
    // hand in the selected archives and analyses them afresh.
    void analyseSelectionAgain();
    void copySelectedPaths();
    void showSelectionInFolder();

    // Outlets.
    QMainWindow* mWindow() const { return m_ui.mWindow; }
    void setMWindow(QMainWindow* value) { m_ui.mWindow = value; }
    QToolBar* mToolbar() const { return m_ui.mToolbar; }
    void setMToolbar(QToolBar* value) { m_ui.mToolbar = value; }
    QAction* mConfigItem() const { return m_ui.mConfigItem; }
    void setMConfigItem(QAction* value) { m_ui.mConfigItem = value; }
    QTableView* mContentList() const { return m_ui.mContentList; }
    void setMContentList(QTableView* value) { m_ui.mContentList = value; }
    int mCL_IconColumn() const { return m_ui.mCL_IconColumn; }
    void setMCL_IconColumn(int value) { m_ui.mCL_IconColumn = value; }
    int mCL_FilenameColumn() const { return m_ui.mCL_FilenameColumn; }
    void setMCL_FilenameColumn(int value) { m_ui.mCL_FilenameColumn = value; }
    int mCL_InfoColumn() const { return m_ui.mCL_InfoColumn; }
    void setMCL_InfoColumn(int value) { m_ui.mCL_InfoColumn = value; }
    QPushButton* mInstallButton() const { return m_ui.mInstallButton; }
    void setMInstallButton(QPushButton* value) { m_ui.mInstallButton = value; }
    QLabel* mListInfoField() const { return m_ui.mListInfoField; }
    void setMListInfoField(QLabel* value) { m_ui.mListInfoField = value; }
    QProgressBar* mSpinner() const { return m_ui.mSpinner; }
    void setMSpinner(QProgressBar* value) { m_ui.mSpinner = value; }
    QColumnView* mZIPBrowser() const { return m_ui.mZIPBrowser; }
    void setMZIPBrowser(QColumnView* value) { m_ui.mZIPBrowser = value; }
    QLabel* mBrowserPathField() const { return m_ui.mBrowserPathField; }
    void setMBrowserPathField(QLabel* value) { m_ui.mBrowserPathField = value; }
    QPushButton* mSetRuntimeButton() const { return m_ui.mSetRuntimeButton; }
    void setMSetRuntimeButton(QPushButton* value) { m_ui.mSetRuntimeButton = value; }
    QPushButton* mSetDataButton() const { return m_ui.mSetDataButton; }
    void setMSetDataButton(QPushButton* value) { m_ui.mSetDataButton = value; }
    QPushButton* mDropButton() const { return m_ui.mDropButton; }
    void setMDropButton(QPushButton* value) { m_ui.mDropButton = value; }
    QPushButton* mForceDirButton() const { return m_ui.mForceDirButton; }
    void setMForceDirButton(QPushButton* value) { m_ui.mForceDirButton = value; }
    QPushButton* mDestinationButton() const { return m_ui.mDestinationButton; }
    void setMDestinationButton(QPushButton* value) { m_ui.mDestinationButton = value; }
    QLabel* mDirectoryInfoBox() const { return m_ui.mDirectoryInfoBox; }
    void setMDirectoryInfoBox(QLabel* value) { m_ui.mDirectoryInfoBox = value; }
    QPushButton* mDonateButton() const { return m_ui.mDonateButton; }
    void setMDonateButton(QPushButton* value) { m_ui.mDonateButton = value; }
    QDialog* mConfigSheet() const { return m_ui.mConfigSheet; }
    void setMConfigSheet(QDialog* value) { m_ui.mConfigSheet = value; }
    QLabel* mSourcePathField() const { return m_ui.mSourcePathField; }
    void setMSourcePathField(QLabel* value) { m_ui.mSourcePathField = value; }
    QLabel* mDestPathField() const { return m_ui.mDestPathField; }
    void setMDestPathField(QLabel* value) { m_ui.mDestPathField = value; }
    QLabel* mWorkPathField() const { return m_ui.mWorkPathField; }
    void setMWorkPathField(QLabel* value) { m_ui.mWorkPathField = value; }
    QCheckBox* mIgnoreDSCheckbox() const { return m_ui.mIgnoreDSCheckbox; }
    void setMIgnoreDSCheckbox(QCheckBox* value) { m_ui.mIgnoreDSCheckbox = value; }
    QDialog* mInstallSheet() const { return m_ui.mInstallSheet; }
    void setMInstallSheet(QDialog* value) { m_ui.mInstallSheet = value; }
    QLabel* mInfoField() const { return m_ui.mInfoField; }
    void setMInfoField(QLabel* value) { m_ui.mInfoField = value; }
    QProgressBar* mPBar() const { return m_ui.mPBar; }
    void setMPBar(QProgressBar* value) { m_ui.mPBar = value; }

    // Own state.
    const std::optional<QString>& mInfoFormat() const { return m_own.mInfoFormat; }
    void setMInfoFormat(std::optional<QString> value) { m_own.mInfoFormat = std::move(value); }
    const std::optional<QString>& mSourcePath() const { return m_config.sourcePath(); }
    void setMSourcePath(std::optional<QString> value) { m_config.setSourcePath(std::move(value)); }
    const std::optional<QString>& mDestPath() const { return m_config.destPath(); }
    void setMDestPath(std::optional<QString> value) { m_config.setDestPath(std::move(value)); }
    const std::optional<QString>& mWorkPath() const { return m_config.workPath(); }
    void setMWorkPath(std::optional<QString> value) { m_config.setWorkPath(std::move(value)); }
    bool mfIgnoreDS() const { return m_config.ignoreDS(); }
    void setMfIgnoreDS(bool value) { m_config.setIgnoreDS(value); }
    // The list and its icons are the list model's; these forward to it.
    const std::vector<ArchiveItem>& mItemsArray() const { return m_listModel.records(); }
    // Replaces the list and shows it.
    void setMItemsArray(std::vector<ArchiveItem> value);
    const QIcon& mDefaultIcon() const { return m_listModel.icons().mDefaultIcon; }
    void setMDefaultIcon(const QIcon& value) { m_listModel.icons().mDefaultIcon = value; }
    const QIcon& mOKIcon() const { return m_listModel.icons().mOKIcon; }
    void setMOKIcon(const QIcon& value) { m_listModel.icons().mOKIcon = value; }
    const QIcon& mBADIcon() const { return m_listModel.icons().mBADIcon; }
    void setMBADIcon(const QIcon& value) { m_listModel.icons().mBADIcon = value; }
    const QIcon& mHELPIcon() const { return m_listModel.icons().mHELPIcon; }
    void setMHELPIcon(const QIcon& value) { m_listModel.icons().mHELPIcon = value; }
    qint64 mCurrentIndex() const { return m_scheduler.nextIndex(); }
    qint64 mBatchID() const { return m_own.mBatchID; }
    void setMBatchID(qint64 value) { m_own.mBatchID = value; }
    qint64 mWorkers() const { return m_scheduler.outstanding(); }
    // The browser's preview of a file is still being read.
    bool previewBusy() const { return m_entryPreviews.busy(); }

    // The list's model, for views that show it.
    ContentListModel& contentListModel() { return m_listModel; }
    ContentListProxy& listProxy() { return m_listProxy; }
    ArchiveBrowserModel& browserModel() { return m_browserModel; }
    SourceWatcher& sourceWatcher() { return m_watcher; }

private:
    enum class ScanKind { Fresh, FollowFolder };
    using SourceProblem = ListedArchives::SourceProblem;

    struct OwnState {
        std::optional<QString> mInfoFormat;
        qint64 mBatchID = 0;
    };

    void takeOutlets(MainWindow& window);
    void connectActions();
    void loadIcons();

    void startScan(ScanKind kind, const QSet<QString>& leftOut);
    void refreshWhenFolderSettles();
    void finishScan();
    void finishScanIfDone();
    void showItemCount();
    void showSourceProblem(SourceProblem problem);
    void showListOrPlaceholder();
    QString sourcePath() const { return m_config.sourcePath().value_or(QString()); }
    bool canDrop() const;
    void refuse(const QString& why);
    void refuseSelection(const QString& why);
    // Clears the line of refuseSelection() when it is still shown.
    void forgetSelectionLine();
    void open(const QUrl& url);
    void say(const QString& what);
    void installConfirmed();
    // Whether an install is asked for or running: a refresh waits for it.
    bool installBusy() const { return !m_session.idle(); }
    void refreshIfPending();
    void rescanAsked();
    // Quitting: whether work still runs that reports here.
    bool workRemains() const;

    // Looks at the library once per turn of the event loop.
    void scheduleLibraryLook();
    // Whether the folders allow an install; if not, says why and opens the
    // configuration sheet.
    bool foldersAllowInstall();
    void setInstallEnabled(bool enabled);
    bool scanRunning() const;
    void showLibraryField();
    void restoreSplitter();
    void saveSplitter();

    Outlets m_ui;
    OwnState m_own;
    SettingsStore m_settings;
    PlatformServices m_services;
    MainThreadCall m_mainThread;
    // The list's records: every collaborator below reads or changes them
    // through it.
    ContentListModel m_listModel;
    LibraryJobs m_libraryJobs;
    // The reader processes the analysis runs in.
    ReaderPool m_readers;
    // Hands out the list's records to analyzer workers and counts them in.
    AnalysisScheduler m_scheduler;
    ContentListProxy m_listProxy;
    ListSelection m_selection;
    ListMenu m_listMenu;
    ArchiveBrowserModel m_browserModel;
    ArchiveBrowser m_browser;
    EntryPreviewLoader m_entryPreviews;
    SourceWatcher m_watcher;
    QTimer m_splitterSave;
    SourceProblem m_sourceProblem = SourceProblem::NotChosen;
    ListedArchives m_listed;
    ConfigurationSheet m_config;
    ChoiceMemory m_choices;
    ChoiceActions m_choiceActions;
    bool m_handingOutStopped = false;
    bool m_refreshPending = false;
    QString m_selectionLine;
    InstallSession m_session;
    LibraryStatus m_libraryStatus;
    DropImport m_dropImport;
};

} // namespace packshelf
