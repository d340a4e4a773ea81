#include "ui/AppDelegate.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColumnView>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QPointer>
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
#include "ui/ArchiveImport.h"
#include "ui/InstallSummary.h"
#include "ui/ItemDescription.h"
#include "ui/MainWindow.h"
#include "ui_ConfigSheet.h"
#include "ui_InstallSheet.h"
#include "ui_MainWindow.h"
#include "ui_SummarySheet.h"

Q_LOGGING_CATEGORY(lcWindow, "packshelf.ui")

namespace packshelf {

namespace {

constexpr int MaxWorkersPerScan = 4;
constexpr int StatusMs = 10000;
constexpr int SplitterSaveMs = 500;
enum ListPage { ListShown = 0, PlaceholderShown = 1 };

QString textOf(const ArchiveItem& item, const QString& name) {
    return item.text(name).value_or(QString());
}

// An archive whose content could not be read at all: nothing of it can be
// browsed or installed.
bool unreadable(const ArchiveItem& item) {
    return item.state() == ItemState::Failed && item.integer(key::Error) == ItemError::ErrorOpen;
}

// The path of a folder reached from the top of `tree` through the given
// rows, one per level; nothing when the rows do not lead through folders.
std::optional<QString> pathThroughRows(const ContentTreePtr& tree, const QList<int>& rows) {
    QString path;
    const ContentTree* entries = tree.get();
    for (int row : rows) {
        if (!entries || row < 0 || row >= int(entries->size()))
            return std::nullopt;
        const ContentNode& node = (*entries)[std::size_t(row)];
        path = joinPath(path, node.name);
        entries = node.isFolder() ? node.children() : nullptr;
    }
    return path;
}

} // namespace

AppDelegate::AppDelegate(MainWindow& window, QSettings& settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_listModel(m_own.mItemsArray, m_own.icons, m_installedOn)
    , m_browserModel()
    , m_scanCancelled(std::make_shared<std::atomic<bool>>(false))
    , m_previewCancelled(std::make_shared<std::atomic<bool>>(false))
    , m_confirmation(window)
    , m_installedView(window, m_library, m_services)
    , m_pool(MaxWorkersPerScan) {
    m_services = desktopServices(this, m_pool);
    takeOutlets(window);
    loadIcons();
    m_listProxy.setSourceModel(&m_listModel);
    m_ui.mContentList->setModel(&m_listProxy);
    m_ui.mZIPBrowser->setModel(&m_browserModel);
    window.arrangeContentColumns();
    m_ui.mSpinner->hide();
    m_splitterSave.setSingleShot(true);
    m_splitterSave.setInterval(SplitterSaveMs);
    m_libraryLook.setSingleShot(true);
    m_libraryLook.setInterval(0);
    connectActions();
    connect(&window, &MainWindow::archivesDropped, this, &AppDelegate::importArchives);
    connect(&window, &MainWindow::dropRefused, this, &AppDelegate::refuseDrop);
}

AppDelegate::~AppDelegate() {
    waitForOutstandingWorkers();
    if (m_splitterSave.isActive())
        saveSplitter();
}

void AppDelegate::takeOutlets(MainWindow& window) {
    Ui::MainWindow& main = window.controls();
    Ui::ConfigSheet& config = window.configControls();
    Ui::InstallSheet& install = window.installControls();
    Ui::SummarySheet& summary = window.summaryControls();
    m_ui.mWindow = &window;
    m_ui.mToolbar = main.mToolbar;
    m_ui.mConfigItem = main.mConfigItem;
    m_ui.mContentList = main.mContentList;
    m_ui.mInstallButton = main.mInstallButton;
    m_ui.mListInfoField = main.mListInfoField;
    m_ui.mSpinner = main.mSpinner;
    m_ui.mZIPBrowser = main.mZIPBrowser;
    m_ui.mBrowserPathField = main.mBrowserPathField;
    m_ui.mSetRuntimeButton = main.mSetRuntimeButton;
    m_ui.mSetDataButton = main.mSetDataButton;
    m_ui.mDropButton = main.mDropButton;
    m_ui.mForceDirButton = main.mForceDirButton;
    m_ui.mDestinationButton = main.mDestinationButton;
    m_ui.mDirectoryInfoBox = main.mDirectoryInfoBox;
    m_ui.mDonateButton = main.mDonateButton;
    m_ui.mConfigSheet = window.configSheet();
    m_ui.mSourcePathField = config.mSourcePathField;
    m_ui.mDestPathField = config.mDestPathField;
    m_ui.mWorkPathField = config.mWorkPathField;
    m_ui.mIgnoreDSCheckbox = config.mIgnoreDSCheckbox;
    m_ui.mInstallSheet = window.installSheet();
    m_ui.mInfoField = install.mInfoField;
    m_ui.mPBar = install.mPBar;
    m_ui.mStatusBar = main.mStatusBar;
    m_ui.mRefreshItem = main.mRefreshItem;
    m_ui.mListStack = main.mListStack;
    m_ui.mEmptyStateField = main.mEmptyStateField;
    m_ui.mEmptyStateButton = main.mEmptyStateButton;
    m_ui.mItemDetailsField = main.mItemDetailsField;
    m_ui.mLibraryField = main.mLibraryField;
    m_ui.mFilterField = window.filterField();
    m_ui.mDropItem = main.mDropItem;
    m_ui.mCopyPathItem = main.mCopyPathItem;
    m_ui.mShowInFolderItem = main.mShowInFolderItem;
    m_ui.mMainSplitter = main.mainSplitter;
    m_ui.mCancelInstallButton = install.mCancelInstallButton;
    m_ui.mSummarySheet = window.summarySheet();
    m_ui.mSummaryHeadline = summary.mSummaryHeadline;
    m_ui.mSummaryDetails = summary.mSummaryDetails;
    m_ui.mOpenLibraryButton = summary.mOpenLibraryButton;

    connect(config.mSourceChooseButton, &QPushButton::clicked, this, &AppDelegate::setSourcePath);
    connect(config.mDestChooseButton, &QPushButton::clicked, this, &AppDelegate::setDestPath);
    connect(config.mWorkChooseButton, &QPushButton::clicked, this, &AppDelegate::setWorkPath);
    connect(config.mCloseButton, &QPushButton::clicked, this, &AppDelegate::closeConfigSheet);
    connect(main.mInstalledItem, &QAction::triggered, this, &AppDelegate::showInstalledPackages);
    connect(&m_library, &LibraryAccess::waitingForLibrary, this,
            [this](const QString& line) { m_ui.mStatusBar->showMessage(line); });
}

void AppDelegate::connectActions() {
    connect(m_ui.mConfigItem, &QAction::triggered, this, &AppDelegate::openConfigSheet);
    connect(m_ui.mEmptyStateButton, &QPushButton::clicked, this, &AppDelegate::openConfigSheet);
    connect(m_ui.mRefreshItem, &QAction::triggered, this, &AppDelegate::refresh);
    connect(m_ui.mContentList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AppDelegate::listClick);
    connect(m_ui.mContentList, &QAbstractItemView::activated, this, &AppDelegate::openListRow);
    connect(m_ui.mInstallButton, &QPushButton::clicked, this, &AppDelegate::beginInstall);
    connect(m_ui.mDropButton, &QPushButton::clicked, this, &AppDelegate::dropItem);
    connect(m_ui.mDropItem, &QAction::triggered, this, &AppDelegate::dropItem);
    connect(m_ui.mCopyPathItem, &QAction::triggered, this, &AppDelegate::copySelectedPaths);
    connect(m_ui.mShowInFolderItem, &QAction::triggered, this, &AppDelegate::showSelectionInFolder);
    connect(m_ui.mContentList, &QWidget::customContextMenuRequested, this,
            &AppDelegate::showListMenu);
    connect(m_ui.mContentList->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &AppDelegate::sortByColumn);
    connect(m_ui.mFilterField, &QLineEdit::textChanged, &m_listProxy,
            &ContentListProxy::setFilterFixedString);
    connect(m_ui.mDonateButton, &QPushButton::clicked, this, &AppDelegate::doDonate);
    connect(m_ui.mSetRuntimeButton, &QPushButton::clicked, this, &AppDelegate::setRuntimeFolder);
    connect(m_ui.mSetDataButton, &QPushButton::clicked, this, &AppDelegate::setDataFolder);
    connect(m_ui.mForceDirButton, &QPushButton::clicked, this, &AppDelegate::forceDirectory);
    connect(m_ui.mDestinationButton, &QPushButton::clicked, this, &AppDelegate::defineDestinaton);
    connect(m_ui.mIgnoreDSCheckbox, &QCheckBox::clicked, this, &AppDelegate::ignoreDSClick);
    connect(m_ui.mCancelInstallButton, &QPushButton::clicked, this, &AppDelegate::cancelInstall);
    connect(m_ui.mOpenLibraryButton, &QPushButton::clicked, this, &AppDelegate::openLibrary);
    connect(&m_watcher, &SourceWatcher::settledChanged, this,
            &AppDelegate::refreshWhenFolderSettles);
    connect(m_ui.mMainSplitter, &QSplitter::splitterMoved, &m_splitterSave,
            qOverload<>(&QTimer::start));
    connect(&m_splitterSave, &QTimer::timeout, this, &AppDelegate::saveSplitter);
    connect(&m_libraryLook, &QTimer::timeout, this, &AppDelegate::lookAtLibrary);
    connect(&m_confirmation, &InstallConfirmation::confirmed, this, &AppDelegate::installConfirmed);
    connect(&m_confirmation, &InstallConfirmation::declined, this, &AppDelegate::installDeclined);
    connect(&m_installedView, &InstalledView::libraryChanged, this,
            &AppDelegate::scheduleLibraryLook);
    // Escape or the sheet's close box ends it like its close button. Queued,
    // so that a sheet closed by quitting the application comes back only
    // when nothing more is started.
    connect(m_ui.mConfigSheet, &QDialog::rejected, this, &AppDelegate::closeConfigSheet,
            Qt::QueuedConnection);
}

void AppDelegate::loadIcons() {
    m_own.icons.mDefaultIcon = resourceIcon(QStringLiteral("pin_grey"));
    m_own.icons.mOKIcon = resourceIcon(QStringLiteral("pin_green"));
    m_own.icons.mBADIcon = resourceIcon(QStringLiteral("pin_red"));
    m_own.icons.mHELPIcon = resourceIcon(QStringLiteral("pin_blue"));
}

void AppDelegate::setMItemsArray(std::vector<ArchiveItem> value) {
    m_own.mItemsArray = std::move(value);
    reloadTable();
    showListOrPlaceholder();
}

// ---- Start-up and quit --------------------------------------------------

void AppDelegate::loadFolderSetting(const FolderSetting& setting) {
    m_own.*setting.path = m_settings.path(setting.key);
    if (const auto& path = m_own.*setting.path)
        (m_ui.*setting.field)->setText(*path);
}

void AppDelegate::applicationDidFinishLaunching() {
    for (const FolderSetting& setting : {sourceFolder(), destFolder(), workFolder()})
        loadFolderSetting(setting);
    m_own.mfIgnoreDS = m_settings.ignoreDS();
    m_ui.mIgnoreDSCheckbox->setChecked(m_own.mfIgnoreDS);
    restoreSplitter();

    m_own.mInfoFormat = m_ui.mListInfoField->text();
    showItemCount();
    m_ui.mInstallButton->setEnabled(false);
    m_ui.mDropButton->setVisible(false);
    m_ui.mDonateButton->setVisible(false);

    launchAnalyzer();

    connect(m_ui.mZIPBrowser->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &AppDelegate::zipbrowserAction, Qt::UniqueConnection);
}

void AppDelegate::waitForOutstandingWorkers() {
    m_handingOutStopped = true;
    m_scanCancelled->store(true);
    m_previewCancelled->store(true);
    while (m_own.mWorkers > 0 || m_installing || m_imports > 0 || m_library.busy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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
    if (m_installing || m_confirming) {
        m_refreshPending = true;
        return;
    }
    startScan(ScanKind::FollowFolder, {});
}

// Archives still being written wait until they have settled.
void AppDelegate::refreshWhenFolderSettles() {
    if (m_handingOutStopped)
        return;
    if (m_installing || m_confirming) {
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
    if (!m_own.mSourcePath) {
        showSourceProblem(SourceProblem::NotChosen);
        return;
    }
    const SourceScan scan = scanSourceFolder(*m_own.mSourcePath);
    if (scan.outcome != SourceScan::Outcome::Listed)
        m_watcher.watch(*m_own.mSourcePath, {});
    if (scan.outcome == SourceScan::Outcome::NotAFolder) {
        showSourceProblem(SourceProblem::Missing);
        return;
    }
    if (scan.outcome == SourceScan::Outcome::ListingFailed) {
        qCInfo(lcWindow, "contentsOfDirectoryAtPath gave:%s", qUtf8Printable(scan.error));
        refuse(tr("The source folder cannot be read: %1").arg(scan.error));
        showSourceProblem(SourceProblem::Unreadable);
        return;
    }

    ++m_own.mBatchID;
    cancelRunningScan();
    m_sourceProblem = SourceProblem::None;
    m_ui.mSpinner->show();
    const QStringList selected = selectedFileNames();
    m_ui.mInstallButton->setEnabled(false);
    m_own.mItemsArray = listedItems(scan, kind, leftOut);
    m_watcher.watch(*m_own.mSourcePath, m_listedStamps);
    m_listModel.replaceAll();
    loadColumnZero();
    showItemCount();
    showListOrPlaceholder();
    m_own.mCurrentIndex = 0;
    for (int i = 0; i < MaxWorkersPerScan; ++i)
        launchWorkers();
    selectRows(selected);
    listClick();
    // Which archives are installed does not wait for their analysis.
    scheduleLibraryLook();
}

// The records of a new list, in listing order. Following the folder, an
// analysed record whose archive is unchanged is kept as it is, and an
// archive the last scan saw unchanged but the list no longer holds
// (installed or dropped) stays out.
std::vector<ArchiveItem> AppDelegate::listedItems(const SourceScan& scan, ScanKind kind,
                                                  const QSet<QString>& leftOut) {
    std::vector<ArchiveItem> previous = std::exchange(m_own.mItemsArray, {});
    QHash<QString, ArchiveItem*> analysed;
    QSet<QString> present;
    for (ArchiveItem& item : previous) {
        present.insert(item.fileName());
        if (item.state() != ItemState::New)
            analysed.insert(item.fileName(), &item);
    }
    const bool following = kind == ScanKind::FollowFolder;
    const QByteArray folder = QFile::encodeName(*m_own.mSourcePath) + '/';
    QHash<QString, FileStamp> stamps;
    std::vector<ArchiveItem> items;
    items.reserve(std::size_t(scan.fileNames.size()));
    for (qsizetype i = 0; i < scan.fileNames.size(); ++i) {
        const QString& name = scan.fileNames[i];
        if (leftOut.contains(name))
            continue;
        const FileStamp stamp = FileStamp::of(folder + scan.nativeNames[i]);
        stamps.insert(name, stamp);
        const bool unchanged = m_listedStamps.value(name) == stamp;
        if (following && unchanged && !present.contains(name))
            continue;
        if (following && unchanged && analysed.contains(name))
            items.push_back(std::move(*analysed.value(name)));
        else
            items.push_back(ArchiveItem::create(name, scan.nativeNames[i]));
    }
    m_listedStamps = std::move(stamps);
    return items;
}

// Workers of the scan being replaced stop early; they still report, and
// their reports are dropped.
void AppDelegate::cancelRunningScan() {
    m_scanCancelled->store(true);
    m_scanCancelled = std::make_shared<std::atomic<bool>>(false);
}

void AppDelegate::launchWorkers() {
    const auto count = qint64(m_own.mItemsArray.size());
    // Records kept from the last scan are analysed already.
    while (m_own.mCurrentIndex < count &&
           m_own.mItemsArray[std::size_t(m_own.mCurrentIndex)].state() != ItemState::New)
        ++m_own.mCurrentIndex;
    if (m_own.mCurrentIndex < count && !m_handingOutStopped) {
        AnalyzerJob job;
        job.sourceDir = m_own.mSourcePath.value_or(QString());
        job.workDir = m_own.mWorkPath;
        job.index = m_own.mCurrentIndex;
        job.batchId = m_own.mBatchID;
        job.data = m_own.mItemsArray[std::size_t(m_own.mCurrentIndex)].isolatedCopy();
        job.ignoreDS = m_ui.mIgnoreDSCheckbox->isChecked();
        job.cancelled = m_scanCancelled;
        ++m_own.mCurrentIndex;
        ++m_own.mWorkers;
        m_services.startWorker(
            [this, job = std::move(job)]() mutable { runAnalyzerWorker(std::move(job)); });
        return;
    }
    if (m_own.mWorkers != 0)
        return;
    finishScan();
}

void AppDelegate::finishScan() {
    m_listModel.flushChanges();
    m_ui.mSpinner->hide();
    m_ui.mInstallButton->setEnabled(true);
    m_ui.mDropButton->setVisible(true);
    m_ui.mDonateButton->setVisible(true);
    scheduleLibraryLook();
}

// A report that is not stored starts no worker; when it was the last one
// outstanding, the scan has still come to its end.
void AppDelegate::finishScanIfDone() {
    if (m_own.mCurrentIndex >= qint64(m_own.mItemsArray.size()) && m_own.mWorkers == 0)
        finishScan();
}

void AppDelegate::runAnalyzerWorker(AnalyzerJob job) {
    analyzerThread(std::move(job), [this](AnalyzerReport report) {
        reportAnalyze(std::move(report.data), report.index, report.batchId);
    });
}

void AppDelegate::reportAnalyze(ArchiveItem record, qint64 index, qint64 batchid) {
    AnalyzerReport report{std::move(record), index, batchid};
    m_mainThread.callAndWait([this, &report] { gotReport(std::move(report)); });
}

// The list hears of the stored record within a frame; the panel follows at
// once when the record is the selected one.
void AppDelegate::gotReport(AnalyzerReport report) {
    --m_own.mWorkers;
    qCInfo(lcWindow, "Got result for index %lld for batchid %lld", qlonglong(report.index),
           qlonglong(report.batchId));
    if (report.batchId != m_own.mBatchID) {
        finishScanIfDone();
        return;
    }
    if (report.index < 0 || report.index >= qint64(m_own.mItemsArray.size())) {
        finishScanIfDone();
        return;
    }
    m_own.mItemsArray[std::size_t(report.index)] = std::move(report.data);
    m_listModel.rowChanged(int(report.index));
    launchWorkers();
    if (report.index == selectedRow())
        listClick();
}

void AppDelegate::reloadTable() {
    m_listModel.reload();
}

void AppDelegate::showItemCount() {
    if (m_own.mInfoFormat)
        m_ui.mListInfoField->setText(m_own.mInfoFormat->arg(qulonglong(m_own.mItemsArray.size())));
}

// Why nothing could be listed; the list keeps what it showed.
void AppDelegate::showSourceProblem(SourceProblem problem) {
    m_sourceProblem = problem;
    const QString source = m_own.mSourcePath.value_or(QString());
    if (problem == SourceProblem::Missing)
        m_ui.mListInfoField->setText(QFileInfo::exists(source)
                                         ? tr("The source folder %1 is not a folder").arg(source)
                                         : tr("The source folder %1 does not exist").arg(source));
    showListOrPlaceholder();
}

// An empty list gives way to a text that says what to do, with a button
// that opens the configuration sheet.
void AppDelegate::showListOrPlaceholder() {
    const bool empty = m_own.mItemsArray.empty();
    m_ui.mListStack->setCurrentIndex(empty ? PlaceholderShown : ListShown);
    if (empty)
        m_ui.mEmptyStateField->setText(placeholderText());
}

QString AppDelegate::placeholderText() const {
    const QString source = m_own.mSourcePath.value_or(QString());
    switch (m_sourceProblem) {
    case SourceProblem::NotChosen:
        return tr("Choose the folder that holds your downloaded zip archives, the library to "
                  "install them into and a work folder. PackShelf then looks into every "
                  "archive and tells you what it would install.");
    case SourceProblem::Missing:
        return tr("The source folder %1 does not exist. Choose another folder, or connect the "
                  "drive that holds it.")
            .arg(source);
    case SourceProblem::Unreadable:
        return tr("The source folder %1 cannot be read.").arg(source);
    case SourceProblem::None:
        break;
    }
    if (!m_listedStamps.isEmpty())
        return tr("Nothing is left to install from %1: every archive there has been installed "
                  "or dropped. Archives that arrive there appear here.")
            .arg(source);
    return tr("There are no zip archives in %1 yet. Save or drag archives there: they "
              "appear here as they arrive.")
        .arg(source);
}

// ---- Content list and info box ------------------------------------------

// The row the controls follow: the current one when it is selected, else
// the last row selected; -1 without a selection.
qint64 AppDelegate::selectedRow() const {
    const QItemSelectionModel* selection = m_ui.mContentList->selectionModel();
    const QModelIndexList rows = selection->selectedRows();
    if (rows.isEmpty())
        return -1;
    const QModelIndex current = m_ui.mContentList->currentIndex();
    const QModelIndex chosen =
        current.isValid() && selection->isRowSelected(current.row()) ? current : rows.last();
    return m_listProxy.mapToSource(chosen).row();
}

std::vector<qint64> AppDelegate::selectedRows() const {
    std::vector<qint64> rows;
    for (const QModelIndex& index : m_ui.mContentList->selectionModel()->selectedRows())
        rows.push_back(m_listProxy.mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList AppDelegate::selectedFileNames() const {
    QStringList names;
    for (qint64 row : selectedRows()) {
        if (const ArchiveItem* item = itemAt(row))
            names << item->fileName();
    }
    return names;
}

// Selects the rows of the named archives again after the list changed.
void AppDelegate::selectRows(const QStringList& fileNames) {
    QItemSelection selection;
    for (std::size_t row = 0; row < m_own.mItemsArray.size(); ++row) {
        if (!fileNames.contains(m_own.mItemsArray[row].fileName()))
            continue;
        const QModelIndex shown = m_listProxy.mapFromSource(m_listModel.index(int(row), 0));
        if (shown.isValid())
            selection.select(shown, shown);
    }
    m_ui.mContentList->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
}

void AppDelegate::selectListRow(qint64 row) {
    const QModelIndex shown = m_listProxy.mapFromSource(m_listModel.index(int(row), 0));
    if (shown.isValid())
        m_ui.mContentList->selectRow(shown.row());
    else
        m_ui.mContentList->clearSelection();
}

ArchiveItem* AppDelegate::itemAt(qint64 row) {
    if (row < 0 || row >= qint64(m_own.mItemsArray.size()))
        return nullptr;
    return &m_own.mItemsArray[std::size_t(row)];
}

const ArchiveItem* AppDelegate::itemAt(qint64 row) const {
    if (row < 0 || row >= qint64(m_own.mItemsArray.size()))
        return nullptr;
    return &m_own.mItemsArray[std::size_t(row)];
}

// A selected row past the end of the list (the list was replaced under it)
// counts as no selection.
const ArchiveItem* AppDelegate::selectedItem() const {
    return itemAt(selectedRow());
}

void AppDelegate::listClick() {
    const ArchiveItem* item = selectedItem();
    for (QPushButton* button : {m_ui.mSetRuntimeButton, m_ui.mSetDataButton, m_ui.mForceDirButton})
        button->setVisible(false);
    for (QPushButton* button :
         {m_ui.mSetRuntimeButton, m_ui.mSetDataButton, m_ui.mForceDirButton, m_ui.mDropButton})
        button->setEnabled(false);
    m_ui.mDirectoryInfoBox->setText(QString());
    m_ui.mItemDetailsField->setText(QString());
    m_ui.mLibraryField->setText(QString());
    loadColumnZero();
    if (!item)
        return;
    const qint64 state = item->state();
    if (state == ItemState::New)
        return;
    m_ui.mDropButton->setEnabled(true);
    if (state == ItemState::NeedsHelp) {
        m_ui.mSetRuntimeButton->setVisible(true);
        m_ui.mSetDataButton->setVisible(true);
    }
    if (state == ItemState::Failed && item->integer(key::Error) == ItemError::ErrorContent)
        m_ui.mForceDirButton->setVisible(true);
    updateInfobox(*item);
}

void AppDelegate::openListRow(const QModelIndex& index) {
    m_ui.mContentList->selectRow(index.row());
    m_ui.mZIPBrowser->setFocus(Qt::OtherFocusReason);
}

void AppDelegate::updateInfobox(const ArchiveItem& item) {
    m_ui.mDirectoryInfoBox->setText(installSentence(item));
    m_ui.mItemDetailsField->setText(itemDetails(item));
    m_ui.mLibraryField->setText(libraryText(item));
}

// Name and verdict sort for viewing only: ascending, descending, then the
// list's own order again.
void AppDelegate::sortByColumn(int column) {
    m_listProxy.cycleSort(column);
    showSortIndicator();
}

void AppDelegate::showSortIndicator() {
    QHeaderView* header = m_ui.mContentList->horizontalHeader();
    header->setSortIndicatorShown(m_listProxy.sortColumn() >= 0);
    header->setSortIndicator(m_listProxy.sortColumn(), m_listProxy.sortOrder());
}

// The list's actions, and its orders for those who sort from the keyboard
// (the menu key opens it).
void AppDelegate::showListMenu(const QPoint& position) {
    QMenu menu(m_ui.mContentList);
    m_ui.mDropItem->setEnabled(canDrop());
    menu.addAction(m_ui.mDropItem);
    menu.addSeparator();
    menu.addAction(m_ui.mShowInFolderItem);
    menu.addAction(m_ui.mCopyPathItem);
    menu.addSeparator();
    const std::pair<QString, int> orders[] = {
        {tr("Sort by Name"), ContentListModel::FilenameColumn},
        {tr("Sort by Verdict"), ContentListModel::InfoColumn},
        {tr("List Order"), -1}};
    for (const auto& [title, column] : orders) {
        menu.addAction(title, this, [this, column = column] {
            m_listProxy.sort(column);
            showSortIndicator();
        });
    }
    menu.exec(m_ui.mContentList->viewport()->mapToGlobal(position));
    m_ui.mDropItem->setEnabled(true);
}

void AppDelegate::copySelectedPaths() {
    QStringList paths;
    for (const QString& name : selectedFileNames())
        paths << QDir(m_own.mSourcePath.value_or(QString())).filePath(name);
    if (paths.isEmpty()) {
        refuse(tr("Select the archives whose paths to copy."));
        return;
    }
    QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
    say(tr("Copied %n path(s).", nullptr, int(paths.size())));
}

void AppDelegate::showSelectionInFolder() {
    if (!m_own.mSourcePath) {
        refuse(tr("No source folder has been chosen yet."));
        return;
    }
    open(QUrl::fromLocalFile(*m_own.mSourcePath));
}

// ---- Archive browser ----------------------------------------------------

std::optional<BrowserRoot> AppDelegate::rootItemForBrowser() const {
    const ArchiveItem* item = selectedItem();
    if (!item)
        return std::nullopt;
    const qint64 state = item->state();
    if (state == ItemState::New)
        return std::nullopt;
    if (unreadable(*item))
        return std::nullopt;
    return BrowserRoot{textOf(*item, key::FileName), item->tree(key::Zip)};
}

void AppDelegate::loadColumnZero() {
    m_browserModel.setRoot(rootItemForBrowser());
    m_ui.mZIPBrowser->setRootIndex(QModelIndex());
    showBrowserPath();
}

QModelIndex AppDelegate::browserSelection() const {
    return m_ui.mZIPBrowser->currentIndex();
}

int AppDelegate::selectedColumn() const {
    int column = -1;
    for (QModelIndex index = browserSelection(); index.isValid(); index = index.parent())
        ++column;
    return column;
}

QList<int> AppDelegate::indexPathForColumn(int column) const {
    QList<int> rows;
    QModelIndex index = browserSelection();
    for (int depth = selectedColumn(); depth > column && index.isValid(); --depth)
        index = index.parent();
    for (index = index.parent(); index.isValid(); index = index.parent())
        rows.prepend(index.row());
    return rows;
}

void AppDelegate::showBrowserPath() {
    const auto& root = m_browserModel.root();
    if (!root) {
        m_ui.mBrowserPathField->setText(tr("Select an analysed archive to look inside it"));
        return;
    }
    QStringList parts;
    for (QModelIndex index = browserSelection(); index.isValid(); index = index.parent())
        parts.prepend(index.data().toString());
    parts.prepend(root->dirName);
    m_ui.mBrowserPathField->setText(parts.join(QStringLiteral("  ›  ")));
}

void AppDelegate::zipbrowserAction() {
    for (QPushButton* button : {m_ui.mSetRuntimeButton, m_ui.mSetDataButton, m_ui.mForceDirButton})
        button->setEnabled(false);
    showBrowserPath();
    const ContentNode* node = m_browserModel.nodeAt(browserSelection());
    if (!node || node->type != ContentNode::Folder)
        return;
    const QString name = node->name.toUpper();
    if (name == folder::Runtime)
        m_ui.mSetRuntimeButton->setEnabled(true);
    else if (name == folder::Data)
        m_ui.mSetDataButton->setEnabled(true);
    m_ui.mForceDirButton->setEnabled(true);
}

std::optional<QString> AppDelegate::buildPathToSelectedNode() const {
    const ArchiveItem* item = selectedItem();
    const int column = selectedColumn();
    if (!item || column < 0)
        return std::nullopt;
    return pathThroughRows(item->tree(key::Zip), indexPathForColumn(column));
}

std::optional<QString> AppDelegate::buildPathToSelectedNodeWithSelf() const {
    if (!selectedItem())
        return std::nullopt;
    const int column = selectedColumn();
    if (column < 0)
        return std::nullopt;
    if (column == 0)
        return browserSelection().data().toString();
    return buildPathToSelectedNode();
}

// ---- Manual choices -----------------------------------------------------

void AppDelegate::setRuntimeFolder() {
    recordChoice(FolderChoice::Runtime);
}

void AppDelegate::setDataFolder() {
    recordChoice(FolderChoice::Data);
}

void AppDelegate::forceDirectory() {
    recordChoice(FolderChoice::Forced);
}

// A record still waiting for its report belongs to its worker: a choice
// written into it now would be lost, so it is refused.
void AppDelegate::recordChoice(FolderChoice choice) {
    ArchiveItem* item = itemAt(selectedRow());
    if (!item || item->state() == ItemState::New)
        return;
    const std::optional<QString> holder = buildPathToSelectedNode();
    if (!holder)
        return;
    recordFolderChoice(*item, choice, *holder);
    qCInfo(lcWindow, "%s", qUtf8Printable(folderChoiceLogLine(choice, *holder)));
    reloadTable();
    updateInfobox(*item);
    scheduleLibraryLook();
}

bool AppDelegate::canDrop() const {
    return !m_ui.mDropButton->isHidden() && m_ui.mDropButton->isEnabled();
}

// Every selected row leaves the list; the row after them (or the last one)
// is selected.
void AppDelegate::dropItem() {
    const std::vector<qint64> rows = selectedRows();
    if (rows.empty() || !itemAt(rows.front()))
        return;
    if (!canDrop()) {
        refuse(tr("Archives can be dropped once the analysis has finished."));
        return;
    }
    m_listModel.removeRows(
        rows, [this](qint64 row) { m_own.mItemsArray.erase(m_own.mItemsArray.begin() + row); });
    reloadTable();
    showItemCount();
    showListOrPlaceholder();
    selectListRow(std::min(rows.front(), qint64(m_own.mItemsArray.size()) - 1));
    listClick();
    scheduleLibraryLook();
}

void AppDelegate::defineDestinaton() {
    const qint64 row = selectedRow();
    const ArchiveItem* item = itemAt(row);
    if (!item) {
        refuse(tr("Select an archive first, then choose where to install it."));
        return;
    }
    const QString fileName = textOf(*item, key::FileName);
    if (item->state() == ItemState::New) {
        refuse(tr("%1 is still being analysed.").arg(fileName));
        return;
    }
    if (unreadable(*item)) {
        refuse(tr("%1 cannot be read, so nothing of it can be installed.").arg(fileName));
        return;
    }
    const qint64 batch = m_own.mBatchID;
    QPointer<AppDelegate> self(this);
    m_services.pickFolder(m_ui.mWindow, tr("Install %1 into").arg(fileName),
                          [self, row, batch, fileName](const QString& folder) {
                              if (self)
                                  self->applyDestination(row, batch, fileName, folder);
                          });
}

// The picker's completion: the record it was opened for must still be in
// its row, and analysed.
void AppDelegate::applyDestination(qint64 row, qint64 batch, const QString& fileName,
                                   const QString& folder) {
    ArchiveItem* item = itemAt(row);
    if (!item || batch != m_own.mBatchID || textOf(*item, key::FileName) != fileName ||
        item->state() == ItemState::New)
        return;
    recordDirectDestination(*item, folder, buildPathToSelectedNodeWithSelf());
    qCInfo(lcWindow, "DirectPath @ %s", qUtf8Printable(folder));
    updateInfobox(*item);
    reloadTable();
    scheduleLibraryLook();
}

// ---- Configuration sheet and donation -----------------------------------

void AppDelegate::chooseFolder(const FolderSetting& setting) {
    QPointer<AppDelegate> self(this);
    m_services.pickFolder(m_ui.mConfigSheet, setting.pickerTitle,
                          [self, setting](const QString& folder) {
                              if (!self)
                                  return;
                              self->m_own.*setting.path = folder;
                              (self->m_ui.*setting.field)->setText(folder);
                              self->m_settings.setPath(setting.key, folder);
                          });
}

AppDelegate::FolderSetting AppDelegate::sourceFolder() {
    return {&OwnState::mSourcePath, &Outlets::mSourcePathField, SettingsStore::SourcePathKey,
            tr("Choose the folder that holds the archives")};
}

AppDelegate::FolderSetting AppDelegate::destFolder() {
    return {&OwnState::mDestPath, &Outlets::mDestPathField, SettingsStore::DestPathKey,
            tr("Choose the library to install into")};
}

AppDelegate::FolderSetting AppDelegate::workFolder() {
    return {&OwnState::mWorkPath, &Outlets::mWorkPathField, SettingsStore::WorkPathKey,
            tr("Choose a work folder")};
}

void AppDelegate::setSourcePath() {
    chooseFolder(sourceFolder());
}

void AppDelegate::setDestPath() {
    chooseFolder(destFolder());
}

void AppDelegate::setWorkPath() {
    chooseFolder(workFolder());
}

void AppDelegate::ignoreDSClick() {
    m_own.mfIgnoreDS = m_ui.mIgnoreDSCheckbox->checkState() == Qt::Checked;
    m_settings.setIgnoreDS(m_own.mfIgnoreDS);
}

void AppDelegate::openConfigSheet() {
    m_ui.mConfigSheet->open();
}

void AppDelegate::closeConfigSheet() {
    if (m_ui.mConfigSheet->isVisible())
        m_ui.mConfigSheet->accept();
    if (!m_handingOutStopped)
        launchAnalyzer();
}

void AppDelegate::doDonate() {
    open(QUrl(QStringLiteral(PACKSHELF_DONATION_URL)));
    m_services.speak(tr("Thank You!"));
}

// ---- Install ---------------------------------------------------------------

void AppDelegate::beginInstall() {
    if (!m_own.mSourcePath || !m_own.mDestPath || !m_own.mWorkPath) {
        refuse(tr("Choose the source, library and work folders before installing."));
        openConfigSheet();
        return;
    }
    // An unmounted drive's mount point must not receive the install.
    if (!QFileInfo(*m_own.mDestPath).isDir()) {
        refuse(tr("The library folder %1 does not exist: choose it again, or connect the drive "
                  "that holds it.")
                   .arg(*m_own.mDestPath));
        openConfigSheet();
        return;
    }
    const bool anyReady =
        std::any_of(m_own.mItemsArray.begin(), m_own.mItemsArray.end(),
                    [](const ArchiveItem& item) { return item.state() == ItemState::Ready; });
    if (!anyReady) {
        refuse(tr("Nothing is ready to install: only archives with a green pin are installed."));
        return;
    }
    // The comparison is made afresh, so that its counts are the install's.
    InstallJob job = jobOfReadyItems();
    m_confirming = true;
    m_confirmation.open(int(job.items.size()), *m_own.mDestPath, leftOutOfInstall());
    startPreview(std::move(job));
}

// The listed archives an install leaves out, each with its verdict.
QStringList AppDelegate::leftOutOfInstall() const {
    QStringList leftOut;
    for (const ArchiveItem& item : m_own.mItemsArray) {
        if (item.state() == ItemState::Ready)
            continue;
        const QString verdict = verdictInWords(item);
        leftOut << tr("%1 (%2)").arg(item.fileName(),
                                     verdict.isEmpty() ? tr("being analysed") : verdict);
    }
    return leftOut;
}

void AppDelegate::installConfirmed() {
    m_confirming = false;
    std::vector<ArchiveItem> taken =
        takeReadyItems(m_own.mItemsArray, [this](const auto& rows, const auto& eraseRow) {
            m_listModel.removeRows(rows, eraseRow);
        });
    reloadTable();
    showItemCount();
    showListOrPlaceholder();
    openInstallSheet(taken);
    startInstaller(InstallJob{isolatedString(*m_own.mSourcePath), isolatedString(*m_own.mDestPath),
                              isolatedString(*m_own.mWorkPath), std::move(taken)});
}

void AppDelegate::openInstallSheet(const std::vector<ArchiveItem>& taken) {
    m_installNames.clear();
    for (const ArchiveItem& item : taken)
        m_installNames << item.fileName();
    m_installNext = 0;
    m_installDest = *m_own.mDestPath;
    m_ui.mPBar->setRange(0, int(taken.size()));
    m_ui.mPBar->setValue(0);
    m_ui.mInfoField->setText(installStepText());
    m_ui.mCancelInstallButton->setEnabled(true);
    m_ui.mInstallSheet->open();
}

// The installer owns the job from here; its reports come back through the
// hand-over to the main thread.
void AppDelegate::startInstaller(InstallJob job) {
    m_installCancelled = job.cancelled;
    InstallCallbacks callbacks = callbacksThrough(
        m_mainThread, [this](QString fileName) { copyBegins(fileName); },
        [this](QString fileName) { copyStep(fileName); },
        [this](std::vector<ArchiveItem> items) { copyDone(std::move(items)); });
    callbacks.waiting = [this](const QString& line) {
        m_mainThread.post([this, line] { m_ui.mStatusBar->showMessage(line); });
    };
    m_installing = true;
    m_services.startWorker([job = std::move(job), callbacks]() mutable {
        installerThread(std::move(job), callbacks);
    });
}

// The sheet names the archive being installed and where it stands.
QString AppDelegate::installStepText() const {
    return tr("Installing %1 (%2 of %3)…")
        .arg(m_installNames.value(m_installNext))
        .arg(m_installNext + 1)
        .arg(m_installNames.size());
}

void AppDelegate::copyBegins(const QString& fileName) {
    const qsizetype position = m_installNames.indexOf(fileName, m_installNext);
    if (position >= 0)
        m_installNext = position;
    if (!m_installCancelled || !m_installCancelled->load())
        m_ui.mInfoField->setText(installStepText());
}

void AppDelegate::copyStep(const QString&) {
    m_ui.mPBar->setValue(m_ui.mPBar->value() + 1);
}

void AppDelegate::copyDone(std::vector<ArchiveItem> items) {
    const InstallSummary summary = InstallSummary::of(items);
    returnUninstalledItems(m_own.mItemsArray, std::move(items));
    showItemCount();
    reloadTable();
    showListOrPlaceholder();
    m_ui.mInstallSheet->accept();
    m_installing = false;
    m_installCancelled.reset();
    listClick();
    launchWorkers();
    if (m_handingOutStopped)
        return;
    showInstallSummary(summary);
    if (m_refreshPending)
        refresh();
}

void AppDelegate::cancelInstall() {
    if (!m_installCancelled)
        return;
    m_installCancelled->store(true);
    m_ui.mCancelInstallButton->setEnabled(false);
    m_ui.mInfoField->setText(tr("Cancelling: the archive being installed is rolled back…"));
}

void AppDelegate::showInstallSummary(const InstallSummary& summary) {
    m_ui.mSummaryHeadline->setText(summary.headline());
    m_ui.mSummaryDetails->setHtml(summary.detailsHtml());
    m_ui.mSummarySheet->open();
}

// The list stays as it was. The comparison, when it is still running, goes
// on for the info box.
void AppDelegate::installDeclined() {
    m_confirming = false;
    if (m_refreshPending)
        refresh();
}

void AppDelegate::openLibrary() {
    open(QUrl::fromLocalFile(m_installDest));
}

// ---- The library ----------------------------------------------------------

void AppDelegate::showInstalledPackages() {
    if (!m_own.mDestPath) {
        refuse(tr("Choose the library folder first."));
        openConfigSheet();
        return;
    }
    m_installedView.open(*m_own.mDestPath);
    readLibrary();
}

// Several reasons in one turn of the event loop make one look.
void AppDelegate::scheduleLibraryLook() {
    m_libraryLook.start();
}

void AppDelegate::lookAtLibrary() {
    if (m_handingOutStopped || m_installing || m_confirming)
        return;
    previewReadyItems();
    readLibrary();
}

bool AppDelegate::libraryExists() const {
    return m_own.mDestPath && QFileInfo(*m_own.mDestPath).isDir();
}

bool AppDelegate::scanRunning() const {
    return m_own.mWorkers > 0 || m_own.mCurrentIndex < qint64(m_own.mItemsArray.size());
}

// Copies of the Ready records in list order, as the install would take them.
InstallJob AppDelegate::jobOfReadyItems() const {
    InstallJob job;
    job.sourceDir = isolatedString(m_own.mSourcePath.value_or(QString()));
    job.destDir = isolatedString(m_own.mDestPath.value_or(QString()));
    job.workDir = isolatedString(m_own.mWorkPath.value_or(QString()));
    for (const ArchiveItem& item : m_own.mItemsArray) {
        if (item.state() == ItemState::Ready)
            job.items.push_back(item.isolatedCopy());
    }
    return job;
}

// The ready archives are compared as one install once the scan is over;
// until then the batch is not known.
void AppDelegate::previewReadyItems() {
    InstallJob job = jobOfReadyItems();
    if (scanRunning() || job.items.empty() || !libraryExists()) {
        m_previewCancelled->store(true);
        m_previews = {};
        m_previewPending = false;
        showLibraryField();
        return;
    }
    startPreview(std::move(job));
}

// A comparison still running for an earlier state of the list stops, and
// its result is dropped.
void AppDelegate::startPreview(InstallJob job) {
    m_previewCancelled->store(true);
    m_previewCancelled = job.cancelled;
    m_previews = {};
    m_previewPending = true;
    showLibraryField();
    m_library.preview(std::move(job),
                      [this, cancelled = m_previewCancelled](std::vector<PackagePreview> previews) {
                          if (!cancelled->load())
                              previewArrived(std::move(previews));
                      });
}

void AppDelegate::previewArrived(std::vector<PackagePreview> previews) {
    m_previewPending = false;
    m_previews = PreviewSummary::of(std::move(previews));
    showLibraryField();
    if (m_confirming)
        m_confirmation.show(m_previews);
}

// One read at a time; a reason to read again while one runs makes one
// more afterwards.
void AppDelegate::readLibrary() {
    if (!m_own.mDestPath)
        return;
    if (m_readingLibrary) {
        m_readLibraryAgain = true;
        return;
    }
    m_readingLibrary = true;
    const QString source = m_own.mSourcePath.value_or(QString());
    std::vector<LibraryAccess::SourceArchive> archives;
    archives.reserve(m_own.mItemsArray.size());
    for (const ArchiveItem& item : m_own.mItemsArray)
        archives.push_back({isolatedString(item.fileName()), item.nativePathIn(source)});
    m_library.readInstalled(
        isolatedString(*m_own.mDestPath), std::move(archives),
        [this](LibraryAccess::Snapshot snapshot) { libraryRead(std::move(snapshot)); });
}

void AppDelegate::libraryRead(LibraryAccess::Snapshot snapshot) {
    m_readingLibrary = false;
    if (m_installedOn != snapshot.installedFrom) {
        m_installedOn = snapshot.installedFrom;
        reloadTable();
        showLibraryField();
    }
    m_installedView.show(snapshot);
    if (std::exchange(m_readLibraryAgain, false))
        readLibrary();
}

void AppDelegate::showLibraryField() {
    const ArchiveItem* item = selectedItem();
    const bool analysed = item && item->state() != ItemState::New;
    m_ui.mLibraryField->setText(analysed ? libraryText(*item) : QString());
}

// Whether the archive's package is installed, and for a ready archive what
// installing it would do.
QString AppDelegate::libraryText(const ArchiveItem& item) const {
    QStringList lines;
    const auto installed = m_installedOn.constFind(item.fileName());
    if (installed != m_installedOn.constEnd())
        lines << installedNote(*installed);
    if (item.state() == ItemState::Ready) {
        const QString preview = m_previews.archiveText(item.fileName());
        if (!preview.isEmpty())
            lines << preview;
        else if (m_previewPending)
            lines << tr("Comparing with the library…");
    }
    return lines.join(QLatin1Char('\n'));
}

// ---- Archives dropped on the window -------------------------------------

void AppDelegate::refuseDrop(const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths)
        names << QFileInfo(path).fileName();
    refuse(
        tr("Only zip archives can be added; not added: %1").arg(names.join(QStringLiteral(", "))));
}

void AppDelegate::importArchives(const QStringList& paths) {
    const QString source = m_own.mSourcePath.value_or(QString());
    if (source.isEmpty() || !QFileInfo(source).isDir()) {
        refuse(tr("Choose an existing source folder before dropping archives on the window."));
        return;
    }
    QStringList taken;
    for (const QString& path : paths) {
        const QFileInfo target(ArchiveImport::targetIn(source, path));
        if (target.exists() && target.canonicalFilePath() == QFileInfo(path).canonicalFilePath())
            continue;
        if (target.exists() &&
            !m_services.confirm(m_ui.mWindow, tr("Replace Archive"),
                                tr("The source folder already holds %1. Replace it with the "
                                   "dropped archive?")
                                    .arg(target.fileName())))
            continue;
        taken << path;
    }
    if (taken.isEmpty())
        return;
    ++m_imports;
    say(tr("Copying %n archive(s) into the source folder…", nullptr, int(taken.size())));
    m_services.startWorker([this, import = ArchiveImport(taken, source)] {
        QStringList failures = import.run();
        m_mainThread.post([this, copied = import.size(), failures = std::move(failures)] {
            importDone(copied, failures);
        });
    });
}

void AppDelegate::importDone(qsizetype copied, const QStringList& failures) {
    --m_imports;
    if (failures.isEmpty())
        say(tr("Copied %n archive(s) into the source folder.", nullptr, int(copied)));
    else
        refuse(tr("Not copied: %1").arg(failures.join(QStringLiteral("; "))));
    refresh();
}

} // namespace packshelf
