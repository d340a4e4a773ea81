#include "ui/AppDelegate.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColumnView>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTextBrowser>
#include <QToolBar>

#include "analysis/NameRules.h"
#include "analysis/SourceScan.h"
#include "install/Installer.h"
#include "install/ItemHandOver.h"
#include "ui/AppResources.h"
#include "ui/ArchiveColumnView.h"
#include "ui/ChoiceActions.h"
#include "ui/ChoiceButtons.h"
#include "ui/ConfigurationSheet.h"
#include "ui/EntryPreview.h"
#include "ui/ItemDescription.h"
#include "ui/ListSelection.h"
#include "ui/MainWindow.h"
#include "ui_ConfigSheet.h"
#include "ui_MainWindow.h"

Q_LOGGING_CATEGORY(lcWindow, "packshelf.ui")

namespace packshelf {

namespace {

constexpr int MaxWorkersPerScan = 4;
constexpr int StatusMs = 10000;
constexpr int SplitterSaveMs = 500;
enum ListPage { ListShown = 0, PlaceholderShown = 1 };

InstallSession::Controls sessionControls(const WindowOutlets& outlets) {
    return {outlets.mInstallSheet,     outlets.mInfoField,           outlets.mPBar,
            outlets.mProgressField,    outlets.mCancelInstallButton, outlets.mSummarySheet,
            outlets.mSummaryHeadline,  outlets.mSummaryDetails,      outlets.mStatusBar,
            outlets.mUndoInstallButton};
}

} // namespace

AppDelegate::AppDelegate(MainWindow& window, QSettings& settings, Executor& executor,
                         QObject* parent)
    : QObject(parent)
    , m_ui(outletsOf(window))
    , m_settings(settings)
    , m_services(desktopServices(this, executor))
    , m_libraryJobs(executor, m_mainThread)
    , m_readers(executor)
    , m_scheduler(
          m_listModel.records(),
          [this](std::function<void()> body) { m_services.startWorker(std::move(body)); },
          m_readers, m_mainThread, MaxWorkersPerScan,
          [this] {
              return AnalysisScheduler::JobSettings{sourcePath(), m_config.workPath(),
                                                    m_ui.mIgnoreDSCheckbox->isChecked()};
          },
          [this](AnalyzerReport report) { gotReport(std::move(report)); })
    , m_selection(m_ui.mContentList, m_listProxy, m_listModel)
    , m_listMenu(
          m_ui.mContentList, m_listProxy,
          {m_ui.mDropItem, m_ui.mShowInFolderItem, m_ui.mCopyPathItem, m_ui.mInstallSelectedItem})
    , m_browserModel()
    , m_browser(m_ui.mZIPBrowser, m_ui.mBrowserPathField, m_browserModel)
    , m_entryPreviews(executor, m_mainThread)
    , m_config(m_ui, m_settings, m_services)
    , m_choices(settings)
    , m_choiceActions(
          {m_listModel, m_selection, m_browser, m_choices, m_listed, m_config, m_services, m_ui})
    , m_session(window, sessionControls(m_ui), m_libraryJobs, m_services, m_mainThread)
    , m_libraryStatus(
          window, m_libraryJobs, m_services, m_listModel, m_config, m_session,
          [this] { return m_handingOutStopped || installBusy(); }, [this] { return scanRunning(); })
    , m_dropImport(window, m_services, m_mainThread) {
    takeOutlets(window);
    loadIcons();
    m_listProxy.setSourceModel(&m_listModel);
    m_ui.mContentList->setModel(&m_listProxy);
    m_ui.mZIPBrowser->setModel(&m_browserModel);
    window.arrangeContentColumns();
    m_ui.mSpinner->hide();
    m_splitterSave.setSingleShot(true);
    m_splitterSave.setInterval(SplitterSaveMs);
    connectActions();
    // Queued: the drag source gets its answer at once, and a question about
    // replacing a file is asked after the drop has returned.
    connect(&window, &MainWindow::filesDropped, this, &AppDelegate::importArchives,
            Qt::QueuedConnection);
}

// The work still under way reports to the controller's members: they are
// destroyed only once it has.
AppDelegate::~AppDelegate() {
    waitForOutstandingWorkers();
    if (m_splitterSave.isActive())
        saveSplitter();
}

void AppDelegate::takeOutlets(MainWindow& window) {
    Ui::ConfigSheet& config = window.configControls();
    Ui::MainWindow& main = window.controls();
    connect(config.mSourceChooseButton, &QPushButton::clicked, this, &AppDelegate::setSourcePath);
    connect(config.mDestChooseButton, &QPushButton::clicked, this, &AppDelegate::setDestPath);
    connect(config.mWorkChooseButton, &QPushButton::clicked, this, &AppDelegate::setWorkPath);
    connect(config.mCloseButton, &QPushButton::clicked, this, &AppDelegate::closeConfigSheet);
    connect(main.mInstalledItem, &QAction::triggered, this, &AppDelegate::showInstalledPackages);
    connect(&m_libraryJobs, &LibraryJobs::waitingForLibrary, this,
            [this](const QString& line) { m_ui.mStatusBar->showMessage(line); });
}

void AppDelegate::connectActions() {
    connect(m_ui.mConfigItem, &QAction::triggered, this, &AppDelegate::openConfigSheet);
    connect(m_ui.mEmptyStateButton, &QPushButton::clicked, this, &AppDelegate::openConfigSheet);
    connect(m_ui.mRefreshItem, &QAction::triggered, this, &AppDelegate::rescanAsked);
    connect(m_ui.mContentList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AppDelegate::listClick);
    connect(m_ui.mContentList, &QAbstractItemView::activated, this, &AppDelegate::openListRow);
    connect(m_ui.mInstallButton, &QPushButton::clicked, this, &AppDelegate::beginInstall);
    connect(m_ui.mInstallSelectedButton, &QPushButton::clicked, this,
            &AppDelegate::beginInstallSelected);
    connect(m_ui.mInstallSelectedItem, &QAction::triggered, this,
            &AppDelegate::beginInstallSelected);
    connect(m_ui.mDropButton, &QPushButton::clicked, this, &AppDelegate::dropItem);
    connect(m_ui.mDropItem, &QAction::triggered, this, &AppDelegate::dropItem);
    connect(m_ui.mCopyPathItem, &QAction::triggered, this, &AppDelegate::copySelectedPaths);
    connect(m_ui.mShowInFolderItem, &QAction::triggered, this, &AppDelegate::showSelectionInFolder);
    connect(m_ui.mContentList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { m_listMenu.show(position, canDrop()); });
    connect(&m_listMenu, &ListMenu::analyseAgain, this, &AppDelegate::analyseSelectionAgain);
    connect(m_ui.mContentList->horizontalHeader(), &QHeaderView::sectionClicked, &m_listMenu,
            &ListMenu::sortByColumn);
    connect(m_ui.mFilterField, &QLineEdit::textChanged, &m_listProxy,
            &ContentListProxy::setFilterFixedString);
    connect(m_ui.mFilterField, &QLineEdit::textChanged, this, &AppDelegate::forgetSelectionLine);
    connect(&m_listProxy, &ContentListProxy::shownCountChanged, this, &AppDelegate::showItemCount);
    connect(&m_listModel, &ContentListModel::countChanged, this, [this] {
        showItemCount();
        showListOrPlaceholder();
    });
    // An install may take the ready records while the rest are analysed.
    connect(&m_listModel, &QAbstractItemModel::rowsRemoved, this,
            [this] { m_scheduler.rowsRemoved(); });
    connect(m_ui.mDonateButton, &QPushButton::clicked, this, &AppDelegate::doDonate);
    connect(m_ui.mSetRuntimeButton, &QPushButton::clicked, this, &AppDelegate::setRuntimeFolder);
    connect(m_ui.mSetDataButton, &QPushButton::clicked, this, &AppDelegate::setDataFolder);
    connect(m_ui.mForceDirButton, &QPushButton::clicked, this, &AppDelegate::forceDirectory);
    connect(m_ui.mDestinationButton, &QPushButton::clicked, this, &AppDelegate::defineDestinaton);
    connect(m_ui.mIgnoreDSCheckbox, &QCheckBox::clicked, this, &AppDelegate::ignoreDSClick);
    connect(m_ui.mOpenLibraryButton, &QPushButton::clicked, this, &AppDelegate::openLibrary);
    connect(&m_watcher, &SourceWatcher::settledChanged, this,
            &AppDelegate::refreshWhenFolderSettles);
    connect(m_ui.mMainSplitter, &QSplitter::splitterMoved, &m_splitterSave,
            qOverload<>(&QTimer::start));
    connect(&m_splitterSave, &QTimer::timeout, this, &AppDelegate::saveSplitter);
    connect(&m_session, &InstallSession::confirmed, this, &AppDelegate::installConfirmed);
    // Queued: the refresh follows the install's end, not its middle.
    connect(&m_session, &InstallSession::becameIdle, this, &AppDelegate::refreshIfPending,
            Qt::QueuedConnection);
    connect(&m_session, &InstallSession::comparisonChanged, this, &AppDelegate::showLibraryField);
    connect(&m_session, &InstallSession::undoRequested, this, [this] {
        if (!m_config.libraryExists())
            return refuse(tr("Choose the library folder first."));
        m_session.undo(*m_config.destPath());
    });
    // The archives of the install taken back come back into the list; the
    // list follows the folder otherwise, so archives dropped from it or
    // installed before stay away and those no longer there leave.
    connect(&m_session, &InstallSession::undone, this, [this](const QStringList& archives) {
        m_listed.forget(archives);
        refresh();
    });
    connect(&m_libraryStatus, &LibraryStatus::libraryChanged, this,
            &AppDelegate::scheduleLibraryLook);
    connect(&m_libraryStatus, &LibraryStatus::marksChanged, this, [this] {
        m_listModel.setInstalledOn(m_libraryStatus.installedOn());
        showLibraryField();
    });
    connect(&m_choiceActions, &ChoiceActions::refused, this, &AppDelegate::refuse);
    connect(&m_choiceActions, &ChoiceActions::chosen, this, [this](const ArchiveItem& item) {
        updateInfobox(item);
        scheduleLibraryLook();
    });
    connect(&m_dropImport, &DropImport::said, this, &AppDelegate::say);
    connect(&m_dropImport, &DropImport::refused, this, &AppDelegate::refuse);
    connect(&m_dropImport, &DropImport::copied, this, &AppDelegate::refresh);
    // Escape or the sheet's close box ends it like its close button. Queued,
    // so that a sheet closed by quitting the application comes back only
    // when nothing more is started.
    connect(m_ui.mConfigSheet, &QDialog::rejected, this, &AppDelegate::closeConfigSheet,
            Qt::QueuedConnection);
}

void AppDelegate::loadIcons() {
    StateIcons& icons = m_listModel.icons();
    icons.mDefaultIcon = resourceIcon(QStringLiteral("pin_grey"));
    icons.mOKIcon = resourceIcon(QStringLiteral("pin_green"));
    icons.mBADIcon = resourceIcon(QStringLiteral("pin_red"));
    icons.mHELPIcon = resourceIcon(QStringLiteral("pin_blue"));
}

void AppDelegate::setMItemsArray(std::vector<ArchiveItem> value) {
    m_listModel.replaceAll(std::move(value));
}

// ---- Start-up and quit --------------------------------------------------

void AppDelegate::applicationDidFinishLaunching() {
    m_config.load();
    restoreSplitter();

    m_own.mInfoFormat = m_ui.mListInfoField->text();
    showItemCount();
    setInstallEnabled(false);
    m_ui.mDropButton->setVisible(false);
    m_ui.mDonateButton->setVisible(false);

    launchAnalyzer();

    connect(m_ui.mZIPBrowser->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &AppDelegate::zipbrowserAction, Qt::UniqueConnection);
}

// Quitting cancels what runs (an install rolls back the archive it is
// writing) and serves the hand-over to the main thread, and nothing else,
// until every piece of work has reported: every one reports through it.
void AppDelegate::waitForOutstandingWorkers() {
    m_handingOutStopped = true;
    m_scheduler.cancel();
    m_session.stop();
    m_entryPreviews.cancel();
    m_mainThread.serveUntil([this] { return !workRemains(); });
}

bool AppDelegate::workRemains() const {
    return mWorkers() > 0 || m_session.phase() == InstallSession::Phase::Installing ||
           m_dropImport.busy() || m_libraryJobs.busy() || m_entryPreviews.busy();
}

// The user's division between list and browser; without one the list
// takes three fifths of the height.
void AppDelegate::restoreSplitter() {
    const QByteArray state = m_settings.splitterState();
    if (state.isEmpty() || !m_ui.mMainSplitter->restoreState(state)) {
        const int total = m_ui.mMainSplitter->height();
        m_ui.mMainSplitter->setSizes({total * 3 / 5, total - total * 3 / 5});
    }
}

void AppDelegate::saveSplitter() {
    m_splitterSave.stop();
    m_settings.setSplitterState(m_ui.mMainSplitter->saveState());
}

// ---- Status line ----------------------------------------------------------

void AppDelegate::say(const QString& what) {
    m_ui.mStatusBar->showMessage(what, StatusMs);
}

// A refused action sounds the alert and says why.
void AppDelegate::refuse(const QString& why) {
    m_services.beep();
    say(why);
}

// A refusal about the selection holds only as long as the selection and the
// filter stay as they are.
void AppDelegate::refuseSelection(const QString& why) {
    refuse(why);
    m_selectionLine = why;
}

void AppDelegate::forgetSelectionLine() {
    if (!m_selectionLine.isEmpty() && m_ui.mStatusBar->currentMessage() == m_selectionLine)
        m_ui.mStatusBar->clearMessage();
    m_selectionLine.clear();
}

// Hands a folder or an address to the desktop; says so when nothing there
// takes it, instead of nothing happening.
void AppDelegate::open(const QUrl& url) {
    if (!m_services.openUrl(url))
        refuse(tr("Nothing on this desktop opens %1.")
                   .arg(url.isLocalFile() ? url.toLocalFile() : url.toString()));
}

// ---- Scan and scheduling ------------------------------------------------

void AppDelegate::launchAnalyzer() {
    startScan(ScanKind::Fresh, {});
}

void AppDelegate::refresh() {
    if (m_handingOutStopped)
        return;
    if (installBusy()) {
        m_refreshPending = true;
        return;
    }
    startScan(ScanKind::FollowFolder, {});
}

// Refresh asked for by the user: without a source folder there is nothing
// to look at, which it says, offering the configuration sheet.
void AppDelegate::rescanAsked() {
    if (!m_config.sourcePath()) {
        refuse(tr("There is nothing to refresh yet: choose the folder that holds your archives, "
                  "the library and a work folder first."));
        openConfigSheet();
        return;
    }
    refresh();
}

void AppDelegate::refreshIfPending() {
    if (m_refreshPending)
        refresh();
}

// Archives still being written wait until they have settled.
void AppDelegate::refreshWhenFolderSettles() {
    if (m_handingOutStopped)
        return;
    if (installBusy()) {
        m_refreshPending = true;
        return;
    }
    startScan(ScanKind::FollowFolder, m_watcher.unsettled());
}

void AppDelegate::startScan(ScanKind kind, const QSet<QString>& leftOut) {
    m_ui.mSetRuntimeButton->setVisible(false);
    m_ui.mSetDataButton->setVisible(false);
    m_ui.mDropButton->setVisible(false);
    m_refreshPending = false;
    if (!m_config.sourcePath()) {
        showSourceProblem(SourceProblem::NotChosen);
        return;
    }
    const Result<SourceScan> scan = scanSourceFolder(*m_config.sourcePath());
    if (!scan)
        m_watcher.watch(*m_config.sourcePath(), {});
    if (!scan && !QFileInfo(*m_config.sourcePath()).isDir()) {
        showSourceProblem(SourceProblem::Missing);
        return;
    }
    if (!scan) {
        qCInfo(lcWindow, "contentsOfDirectoryAtPath gave:%s", qUtf8Printable(scan.reason()));
        refuse(tr("The source folder cannot be read: %1").arg(scan.reason()));
        showSourceProblem(SourceProblem::Unreadable);
        return;
    }

    ++m_own.mBatchID;
    m_scheduler.begin(m_own.mBatchID);
    m_sourceProblem = SourceProblem::None;
    m_ui.mSpinner->show();
    const QStringList selected = m_selection.fileNames();
    setInstallEnabled(false);
    m_listModel.rebuild([&](std::vector<ArchiveItem> previous) {
        return m_listed.itemsOf(*scan, *m_config.sourcePath(), kind == ScanKind::FollowFolder,
                                leftOut, std::move(previous));
    });
    m_watcher.watch(*m_config.sourcePath(), m_listed.stamps());
    // Records kept from the scan before may be ready already.
    if (std::any_of(m_listModel.records().begin(), m_listModel.records().end(),
                    [](const ArchiveItem& item) { return item.state() == ItemState::Ready; }))
        setInstallEnabled(true);
    m_browser.load(m_selection.item());
    for (int i = 0; i < MaxWorkersPerScan; ++i)
        launchWorkers();
    m_selection.selectFileNames(selected);
    listClick();
    // Which archives are installed does not wait for their analysis.
    scheduleLibraryLook();
}

// Hands the next record to a worker (none once quitting has begun); with
// none left and no worker outstanding, the scan has ended.
void AppDelegate::launchWorkers() {
    if ((!m_handingOutStopped && m_scheduler.handOut()) || mWorkers() != 0)
        return;
    finishScan();
}

void AppDelegate::finishScan() {
    m_listModel.flushChanges();
    m_ui.mSpinner->hide();
    setInstallEnabled(true);
    m_ui.mDropButton->setVisible(true);
    m_ui.mDonateButton->setVisible(true);
    scheduleLibraryLook();
}

// A report that is not stored starts no worker; when it was the last one
// outstanding, the scan has still come to its end.
void AppDelegate::finishScanIfDone() {
    if (m_scheduler.finished())
        finishScan();
}

void AppDelegate::reportAnalyze(ArchiveItem record, qint64 index, qint64 batchid) {
    m_scheduler.report(AnalyzerReport{std::move(record), index, batchid});
}

// A report of the current scan takes the place of its archive's record,
// found by its file name (the index it was handed out at is only where it
// is looked for first). The list hears of it within a frame; the panel
// follows at once when the record is the selected one.
void AppDelegate::gotReport(AnalyzerReport report) {
    qCInfo(lcWindow, "Got result for index %lld for batchid %lld", qlonglong(report.index),
           qlonglong(report.batchId));
    const qint64 row = report.batchId == m_own.mBatchID
                           ? m_listModel.rowOf(report.data.fileName(), report.index)
                           : -1;
    if (row < 0) {
        finishScanIfDone();
        return;
    }
    ArchiveItem& item = report.data;
    m_choices.replay(sourcePath(), item, m_listed.stamps().value(item.fileName()));
    const bool ready = item.state() == ItemState::Ready;
    m_listModel.store(row, std::move(item));
    if (ready)
        setInstallEnabled(true);
    launchWorkers();
    if (row == m_selection.row())
        listClick();
}

void AppDelegate::showItemCount() {
    if (m_own.mInfoFormat)
        m_ui.mListInfoField->setText(
            m_listProxy.countLine(*m_own.mInfoFormat, qsizetype(m_listModel.records().size())));
}

// Why nothing could be listed; the list keeps what it showed.
void AppDelegate::showSourceProblem(SourceProblem problem) {
    m_sourceProblem = problem;
    const QString source = m_config.sourcePath().value_or(QString());
    if (problem == SourceProblem::Missing)
        m_ui.mListInfoField->setText(QFileInfo::exists(source)
                                         ? tr("The source folder %1 is not a folder").arg(source)
                                         : tr("The source folder %1 does not exist").arg(source));
    showListOrPlaceholder();
}

// An empty list gives way to a text that says what to do, with a button
// that opens the configuration sheet.
void AppDelegate::showListOrPlaceholder() {
    const bool empty = m_listModel.records().empty();
    m_ui.mListStack->setCurrentIndex(empty ? PlaceholderShown : ListShown);
    if (empty)
        m_ui.mEmptyStateField->setText(
            m_listed.emptyListText(m_sourceProblem, m_config.sourcePath().value_or(QString())));
}

// ---- Content list and info box ------------------------------------------

void AppDelegate::listClick() {
    forgetSelectionLine();
    const ArchiveItem* item = m_selection.item();
    // The browser loaded afresh has no selection, so no choice is enabled.
    ChoiceButtons::of(item, nullptr).apply(m_ui);
    m_ui.mDropButton->setEnabled(item && item->state() != ItemState::New);
    m_ui.mDirectoryInfoBox->setText(QString());
    m_ui.mItemDetailsField->setText(QString());
    m_ui.mLibraryField->setText(QString());
    m_browser.load(item);
    previewSelectedEntry();
    if (item && item->state() != ItemState::New)
        updateInfobox(*item);
}

void AppDelegate::openListRow(const QModelIndex& index) {
    m_ui.mContentList->selectRow(index.row());
    m_ui.mZIPBrowser->setFocus(Qt::OtherFocusReason);
}

void AppDelegate::updateInfobox(const ArchiveItem& item) {
    m_ui.mDirectoryInfoBox->setText(installSentence(item));
    m_ui.mItemDetailsField->setText(itemDetails(item));
    m_ui.mLibraryField->setText(m_libraryStatus.libraryText(item));
}

void AppDelegate::copySelectedPaths() {
    QStringList paths;
    for (const QString& name : m_selection.fileNames())
        paths << QDir(m_config.sourcePath().value_or(QString())).filePath(name);
    if (paths.isEmpty()) {
        refuseSelection(tr("Select the archives whose paths to copy."));
        return;
    }
    QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
    say(tr("Copied %Ln path(s).", nullptr, int(paths.size())));
}

void AppDelegate::showSelectionInFolder() {
    if (!m_config.sourcePath()) {
        refuse(tr("No source folder has been chosen yet."));
        return;
    }
    open(QUrl::fromLocalFile(*m_config.sourcePath()));
}

// ---- Archive browser ----------------------------------------------------

std::optional<BrowserRoot> AppDelegate::rootItemForBrowser() const {
    return ArchiveBrowser::rootFor(m_selection.item());
}

void AppDelegate::zipbrowserAction() {
    m_browser.showPath();
    previewSelectedEntry();
    ChoiceButtons::of(m_selection.item(), m_browser.selectedNode(),
                      m_browser.entriesBesideSelection())
        .enable(m_ui);
}

void AppDelegate::previewSelectedEntry() {
    auto* browser = qobject_cast<ArchiveColumnView*>(m_ui.mZIPBrowser);
    if (!browser)
        return;
    EntryPreview* preview = browser->preview();
    m_entryPreviews.cancel();
    preview->showContent({});
    const ArchiveItem* item = m_selection.item();
    const std::optional<QString> path = m_browser.selectedFilePath();
    const std::optional<QString>& source = m_config.sourcePath();
    if (!item || !path || !source)
        return;
    m_entryPreviews.load(
        {item->nativePathIn(*source), *path, m_config.workPath().value_or(QDir::tempPath())},
        [preview](PreviewContent content) { preview->showContent(std::move(content)); });
}

std::optional<QString> AppDelegate::buildPathToSelectedNode() const {
    const ArchiveItem* item = m_selection.item();
    return item ? m_browser.pathToSelectedNode(*item) : std::nullopt;
}

std::optional<QString> AppDelegate::buildPathToSelectedNodeWithSelf() const {
    const ArchiveItem* item = m_selection.item();
    return item ? m_browser.pathToSelectedNodeWithSelf(*item) : std::nullopt;
}

// ---- Manual choices -----------------------------------------------------

void AppDelegate::setRuntimeFolder() {
    m_choiceActions.recordFolder(FolderChoice::Runtime);
}

void AppDelegate::setDataFolder() {
    m_choiceActions.recordFolder(FolderChoice::Data);
}

void AppDelegate::forceDirectory() {
    m_choiceActions.recordFolder(FolderChoice::Forced);
}

void AppDelegate::defineDestinaton() {
    m_choiceActions.defineDestination();
}

// The selected archives are listed afresh by the next look at the folder,
// and analysed without the choices made in them.
void AppDelegate::analyseSelectionAgain() {
    const QStringList names = m_selection.fileNames();
    for (const QString& name : names)
        m_choices.forget(sourcePath(), name);
    m_listed.forget(names);
    refresh();
    m_selection.selectFileNames(names);
}

bool AppDelegate::canDrop() const {
    return !m_ui.mDropButton->isHidden() && m_ui.mDropButton->isEnabled();
}

// Every selected row leaves the list; the row after them (or the last one)
// is selected.
void AppDelegate::dropItem() {
    const std::vector<qint64> rows = m_selection.rows();
    if (rows.empty() || !m_listModel.record(rows.front()))
        return;
    if (!canDrop()) {
        refuse(tr("Archives can be dropped once the analysis has finished."));
        return;
    }
    m_listModel.removeRows(rows);
    m_selection.selectRow(std::min(rows.front(), qint64(m_listModel.records().size()) - 1));
    listClick();
    scheduleLibraryLook();
}

// ---- Configuration sheet and donation -----------------------------------

void AppDelegate::setSourcePath() {
    m_config.chooseSource();
}

void AppDelegate::setDestPath() {
    m_config.chooseDest();
}

void AppDelegate::setWorkPath() {
    m_config.chooseWork();
}

void AppDelegate::ignoreDSClick() {
    m_config.ignoreDSClicked();
}

void AppDelegate::openConfigSheet() {
    m_config.open();
}

// Closing the sheet lists the source folder afresh, with the folders chosen.
void AppDelegate::closeConfigSheet() {
    m_config.close();
    if (!m_handingOutStopped)
        launchAnalyzer();
}

void AppDelegate::doDonate() {
    open(QUrl(QStringLiteral(PACKSHELF_DONATION_URL)));
    m_services.speak(tr("Thank You!"));
}

// ---- Install ---------------------------------------------------------------

// Install and Install Selected wait until an archive is ready: they take
// the ready ones and leave those still being analysed for later.
void AppDelegate::setInstallEnabled(bool enabled) {
    m_ui.mInstallButton->setEnabled(enabled);
    m_ui.mInstallSelectedButton->setEnabled(enabled);
    m_ui.mInstallSelectedItem->setEnabled(enabled);
}

bool AppDelegate::foldersAllowInstall() {
    if (!m_config.sourcePath() || !m_config.destPath() || !m_config.workPath()) {
        refuse(tr("Choose the source, library and work folders before installing."));
        openConfigSheet();
        return false;
    }
    // An unmounted drive's mount point must not receive the install.
    if (!QFileInfo(*m_config.destPath()).isDir()) {
        refuse(tr("The library folder %1 does not exist: choose it again, or connect the drive "
                  "that holds it.")
                   .arg(*m_config.destPath()));
        openConfigSheet();
        return false;
    }
    return true;
}

void AppDelegate::beginInstall() {
    if (!foldersAllowInstall())
        return;
    const bool anyReady =
        std::any_of(m_listModel.records().begin(), m_listModel.records().end(),
                    [](const ArchiveItem& item) { return item.state() == ItemState::Ready; });
    if (!anyReady) {
        refuse(tr("Nothing is ready to install: only archives with a green pin are installed."));
        return;
    }
    m_session.ask(m_libraryStatus.readyJob(), *m_config.destPath(), m_listModel.records());
}

void AppDelegate::beginInstallSelected() {
    if (!foldersAllowInstall())
        return;
    std::vector<ArchiveItem> selected;
    for (qint64 row : m_selection.rows()) {
        if (const ArchiveItem* item = m_listModel.record(row))
            selected.push_back(*item);
    }
    const bool anyReady =
        std::any_of(selected.begin(), selected.end(),
                    [](const ArchiveItem& item) { return item.state() == ItemState::Ready; });
    if (!anyReady) {
        refuseSelection(tr("None of the selected archives is ready to install: only archives "
                           "with a green pin are installed."));
        return;
    }
    ItemFilter chosen = [names = m_selection.fileNames()](const ArchiveItem& item) {
        return names.contains(item.fileName());
    };
    InstallJob job = m_libraryStatus.readyJob(chosen);
    m_session.ask(std::move(job), *m_config.destPath(), selected, std::move(chosen));
}

void AppDelegate::installConfirmed() {
    std::vector<ArchiveItem> taken = m_listModel.takeReady(m_session.chosen());
    InstallSession::Reports reports;
    reports.archiveBegins = [this](QString fileName) { copyBegins(fileName); };
    reports.archiveInstalled = [this](QString fileName) { copyStep(fileName); };
    reports.installEnded = [this](std::vector<ArchiveItem> items) { copyDone(std::move(items)); };
    m_session.start(InstallJob{isolatedString(*m_config.sourcePath()),
                               isolatedString(*m_config.destPath()),
                               isolatedString(*m_config.workPath()), std::move(taken)},
                    std::move(reports));
}

void AppDelegate::copyBegins(const QString& fileName) {
    m_session.archiveBegins(fileName);
}

void AppDelegate::copyStep(const QString&) {
    m_session.archiveInstalled();
}

void AppDelegate::copyDone(std::vector<ArchiveItem> items) {
    m_session.end(items, !m_handingOutStopped);
    m_listModel.returnUninstalled(std::move(items));
    listClick();
    launchWorkers();
}

void AppDelegate::cancelInstall() {
    m_session.cancel();
}

void AppDelegate::openLibrary() {
    open(QUrl::fromLocalFile(m_session.library()));
}

// ---- The library ----------------------------------------------------------

void AppDelegate::showInstalledPackages() {
    if (!m_config.destPath()) {
        refuse(tr("Choose the library folder first."));
        openConfigSheet();
        return;
    }
    m_libraryStatus.openInstalledView(*m_config.destPath(), sourcePath(),
                                      m_config.workPath().value_or(QString()));
}

void AppDelegate::scheduleLibraryLook() {
    m_libraryStatus.schedule();
}

bool AppDelegate::scanRunning() const {
    return !m_scheduler.finished();
}

void AppDelegate::showLibraryField() {
    const ArchiveItem* item = m_selection.item();
    const bool analysed = item && item->state() != ItemState::New;
    m_ui.mLibraryField->setText(analysed ? m_libraryStatus.libraryText(*item) : QString());
}

// ---- Archives dropped on the window -------------------------------------

void AppDelegate::importArchives(const QStringList& archives, const QStringList& others) {
    m_dropImport.import(archives, others, m_config.sourcePath().value_or(QString()));
}

} // namespace packshelf
