#include "ui/AppDelegate.h"

#include <QCheckBox>
#include <QColumnView>
#include <QCoreApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLoggingCategory>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>

#include "analysis/NameRules.h"
#include "analysis/SourceScan.h"
#include "analysis/StructureQueries.h"
#include "install/Installer.h"
#include "install/ItemHandOver.h"
#include "ui/AppResources.h"
#include "ui/MainWindow.h"
#include "ui_ConfigSheet.h"
#include "ui_InstallSheet.h"
#include "ui_MainWindow.h"

Q_LOGGING_CATEGORY(lcWindow, "packshelf.ui")

namespace packshelf {

namespace {

constexpr int MaxWorkersPerScan = 4;

QString textOf(const ArchiveItem& item, const QString& name) {
    return item.text(name).value_or(QString());
}

// A path the info box names but the record does not hold yet (the folders
// of an archive with duplicates, the source of a destination chosen without
// a selection in the browser).
QString shownPath(const ArchiveItem& item, const QString& name) {
    return item.text(name).value_or(QCoreApplication::translate("AppStrings", "(not chosen)"));
}

// The info box's sentence: the first rule that applies makes the text.
QString installSummary(const ArchiveItem& item) {
    const QString file = textOf(item, key::FileName);
    const bool runtime = item.flag(key::HasRuntime);
    const bool data = item.flag(key::HasData);
    const QString fromOne = QStringLiteral("Will install from:%1/%2");
    if (runtime && data) {
        if (pathsInSameParent(item.text(key::RuntimePath), item.text(key::DataPath)))
            return fromOne.arg(file, shownPath(item, key::RuntimePath));
        return QStringLiteral("Will install from:%1/%2\nand from:%3/%4")
            .arg(file, shownPath(item, key::RuntimePath), file, shownPath(item, key::DataPath));
    }
    if (runtime)
        return fromOne.arg(file, shownPath(item, key::RuntimePath));
    if (data)
        return fromOne.arg(file, shownPath(item, key::DataPath));
    if (item.flag(key::HasForced))
        return fromOne.arg(file, shownPath(item, key::ForcedPath));
    if (item.flag(key::HasDirect))
        return QStringLiteral("Will install %1 into:%2")
            .arg(shownPath(item, key::DirectPathSrc), shownPath(item, key::DirectPath));
    return QCoreApplication::translate("AppStrings", "NO_PATHS_SET");
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
    , m_services(desktopServices(this))
    , m_listModel(m_own.mItemsArray, m_own.icons)
    , m_browserModel() {
    takeOutlets(window);
    loadIcons();
    m_ui.mContentList->setModel(&m_listModel);
    m_ui.mZIPBrowser->setModel(&m_browserModel);
    window.arrangeContentColumns();
    m_ui.mSpinner->hide();
    connectActions();
}

AppDelegate::~AppDelegate() {
    waitForOutstandingWorkers();
}

void AppDelegate::takeOutlets(MainWindow& window) {
    Ui::MainWindow& main = window.controls();
    Ui::ConfigSheet& config = window.configControls();
    Ui::InstallSheet& install = window.installControls();
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

    connect(config.mSourceChooseButton, &QPushButton::clicked, this, &AppDelegate::setSourcePath);
    connect(config.mDestChooseButton, &QPushButton::clicked, this, &AppDelegate::setDestPath);
    connect(config.mWorkChooseButton, &QPushButton::clicked, this, &AppDelegate::setWorkPath);
    connect(config.mCloseButton, &QPushButton::clicked, this, &AppDelegate::closeConfigSheet);
}

void AppDelegate::connectActions() {
    connect(m_ui.mConfigItem, &QAction::triggered, this, &AppDelegate::openConfigSheet);
    connect(m_ui.mContentList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AppDelegate::listClick);
    connect(m_ui.mInstallButton, &QPushButton::clicked, this, &AppDelegate::beginInstall);
    connect(m_ui.mDropButton, &QPushButton::clicked, this, &AppDelegate::dropItem);
    connect(m_ui.mDonateButton, &QPushButton::clicked, this, &AppDelegate::doDonate);
    connect(m_ui.mSetRuntimeButton, &QPushButton::clicked, this, &AppDelegate::setRuntimeFolder);
    connect(m_ui.mSetDataButton, &QPushButton::clicked, this, &AppDelegate::setDataFolder);
    connect(m_ui.mForceDirButton, &QPushButton::clicked, this, &AppDelegate::forceDirectory);
    connect(m_ui.mDestinationButton, &QPushButton::clicked, this, &AppDelegate::defineDestinaton);
    connect(m_ui.mIgnoreDSCheckbox, &QCheckBox::clicked, this, &AppDelegate::ignoreDSClick);
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
    while (m_own.mWorkers > 0 || m_installing)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// ---- Scan and scheduling ------------------------------------------------

void AppDelegate::launchAnalyzer() {
    m_ui.mSetRuntimeButton->setVisible(false);
    m_ui.mSetDataButton->setVisible(false);
    m_ui.mDropButton->setVisible(false);
    if (!m_own.mSourcePath)
        return;
    const SourceScan scan = scanSourceFolder(*m_own.mSourcePath);
    if (scan.outcome == SourceScan::Outcome::NotAFolder)
        return;
    if (scan.outcome == SourceScan::Outcome::ListingFailed) {
        qCInfo(lcWindow, "contentsOfDirectoryAtPath gave:%s", qUtf8Printable(scan.error));
        m_services.beep();
        return;
    }

    ++m_own.mBatchID;
    m_ui.mSpinner->show();
    m_own.mItemsArray.clear();
    m_ui.mInstallButton->setEnabled(false);
    loadColumnZero();
    m_own.mItemsArray.reserve(std::size_t(scan.fileNames.size()));
    for (const QString& name : scan.fileNames)
        m_own.mItemsArray.push_back(ArchiveItem::create(name));
    reloadTable();
    showItemCount();
    m_own.mCurrentIndex = 0;
    for (int i = 0; i < MaxWorkersPerScan; ++i)
        launchWorkers();
}

void AppDelegate::launchWorkers() {
    const auto count = qint64(m_own.mItemsArray.size());
    if (m_own.mCurrentIndex < count && !m_handingOutStopped) {
        AnalyzerJob job;
        job.sourceDir = m_own.mSourcePath.value_or(QString());
        job.workDir = m_own.mWorkPath;
        job.index = m_own.mCurrentIndex;
        job.batchId = m_own.mBatchID;
        job.data = m_own.mItemsArray[std::size_t(m_own.mCurrentIndex)].isolatedCopy();
        job.ignoreDS = m_ui.mIgnoreDSCheckbox->isChecked();
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
    m_ui.mSpinner->hide();
    m_ui.mInstallButton->setEnabled(true);
    m_ui.mDropButton->setVisible(true);
    m_ui.mDonateButton->setVisible(true);
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

void AppDelegate::gotReport(AnalyzerReport report) {
    --m_own.mWorkers;
    qCInfo(lcWindow, "Got result for index %lld for batchid %lld", qlonglong(report.index),
           qlonglong(report.batchId));
    if (report.batchId != m_own.mBatchID) {
        finishScanIfDone();
        return;
    }
    if (report.index >= 0 && report.index < qint64(m_own.mItemsArray.size())) {
        m_own.mItemsArray[std::size_t(report.index)] = std::move(report.data);
        launchWorkers();
    } else {
        finishScanIfDone();
    }
    reloadTable();
}

void AppDelegate::reloadTable() {
    m_listModel.reload();
}

void AppDelegate::showItemCount() {
    if (m_own.mInfoFormat)
        m_ui.mListInfoField->setText(m_own.mInfoFormat->arg(qulonglong(m_own.mItemsArray.size())));
}

// ---- Content list and info box ------------------------------------------

qint64 AppDelegate::selectedRow() const {
    const QModelIndexList rows = m_ui.mContentList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.last().row();
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

void AppDelegate::updateInfobox(const ArchiveItem& item) {
    m_ui.mDirectoryInfoBox->setText(installSummary(item));
}

// ---- Archive browser ----------------------------------------------------

std::optional<BrowserRoot> AppDelegate::rootItemForBrowser() const {
    const ArchiveItem* item = selectedItem();
    if (!item)
        return std::nullopt;
    const qint64 state = item->state();
    if (state == ItemState::New)
        return std::nullopt;
    if (state == ItemState::Failed && item->integer(key::Error) == ItemError::ErrorOpen)
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
}

void AppDelegate::dropItem() {
    const qint64 row = selectedRow();
    if (!itemAt(row))
        return;
    m_own.mItemsArray.erase(m_own.mItemsArray.begin() + row);
    reloadTable();
    listClick();
}

void AppDelegate::defineDestinaton() {
    const qint64 row = selectedRow();
    const ArchiveItem* item = itemAt(row);
    if (!item)
        return;
    if (item->state() == ItemState::New) {
        m_services.beep();
        return;
    }
    const qint64 batch = m_own.mBatchID;
    const QString fileName = textOf(*item, key::FileName);
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

// ---- Install ---------------------------------------------------------------

void AppDelegate::beginInstall() {
    if (!m_own.mSourcePath || !m_own.mDestPath || !m_own.mWorkPath) {
        m_services.beep();
        openConfigSheet();
        return;
    }
    std::vector<ArchiveItem> taken = takeReadyItems(m_own.mItemsArray);
    reloadTable();
    showItemCount();
    // A bar whose maximum is 0 would show as busy; an empty install closes
    // at once anyway.
    m_ui.mPBar->setRange(0, std::max(1, int(taken.size())));
    m_ui.mPBar->setValue(0);
    m_ui.mInstallSheet->open();

    InstallJob job{isolatedString(*m_own.mSourcePath), isolatedString(*m_own.mDestPath),
                   isolatedString(*m_own.mWorkPath), std::move(taken)};
    InstallCallbacks callbacks = callbacksThrough(
        m_mainThread, [this](QString fileName) { copyStep(fileName); },
        [this](std::vector<ArchiveItem> items) { copyDone(std::move(items)); });
    m_installing = true;
    m_services.startWorker([job = std::move(job), callbacks]() mutable {
        installerThread(std::move(job), callbacks);
    });
}

void AppDelegate::copyStep(const QString& fileName) {
    m_ui.mPBar->setValue(m_ui.mPBar->value() + 1);
    m_ui.mInfoField->setText(fileName);
}

void AppDelegate::copyDone(std::vector<ArchiveItem> items) {
    returnUninstalledItems(m_own.mItemsArray, std::move(items));
    showItemCount();
    reloadTable();
    m_ui.mInstallSheet->accept();
    m_installing = false;
    listClick();
    launchWorkers();
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
    m_services.openUrl(QUrl(QStringLiteral(PACKSHELF_DONATION_URL)));
    m_services.speak(QStringLiteral("Thank You!"));
}

} // namespace packshelf
