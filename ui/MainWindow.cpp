#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <algorithm>

#include "ui/ArchiveImport.h"
#include "ui/ContentListModel.h"
#include "ui/ListKeyboard.h"
#include "ui/ListRowDelegate.h"
#include "ui_ConfigSheet.h"
#include "ui_ConfirmSheet.h"
#include "ui_InstallSheet.h"
#include "ui_InstalledSheet.h"
#include "ui_MainWindow.h"
#include "ui_SummarySheet.h"

namespace packshelf {

namespace {
constexpr int FilterWidth = 220;
constexpr int PinColumnWidth = 30;
constexpr int VerdictColumnWidth = 190;
constexpr int GeometrySaveMs = 500;

// The install sheet stays until the install behind it has ended: Escape and
// the window's close button do nothing.
class UndismissableSheet : public QDialog {
public:
    using QDialog::QDialog;
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

template <typename Sheet = QDialog> QDialog* makeSheet(QWidget* window) {
    auto* sheet = new Sheet(window);
    sheet->setWindowModality(Qt::WindowModal);
    return sheet;
}

// A sheet that fits what it shows each time it opens: as wide as designed
// (or its content needs), as high as its content at that width, within
// nine tenths of the screen. A sheet the user maximised comes back at its
// fitted size, not maximised.
class SheetFit : public QObject {
public:
    explicit SheetFit(QDialog* sheet)
        : QObject(sheet)
        , m_sheet(sheet)
        , m_designedWidth(sheet->width()) {
        sheet->installEventFilter(this);
    }

    void fit() {
        m_sheet->setWindowState(m_sheet->windowState() &
                                ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        if (QLayout* layout = m_sheet->layout())
            layout->activate();
        const QRect room = m_sheet->screen()->availableGeometry();
        const QSize least = m_sheet->minimumSizeHint();
        const int width =
            std::min(std::max({m_designedWidth, least.width(), m_sheet->sizeHint().width()}),
                     room.width() * 9 / 10);
        const int wanted = m_sheet->hasHeightForWidth() ? m_sheet->heightForWidth(width)
                                                        : m_sheet->sizeHint().height();
        m_sheet->resize(width, std::min(std::max(wanted, least.height()), room.height() * 9 / 10));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_sheet && event->type() == QEvent::Show)
            fit();
        return false;
    }

private:
    QDialog* m_sheet;
    int m_designedWidth;
};

// The local archives among dropped addresses.
QStringList droppedArchives(const QMimeData* mime) {
    QStringList paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && ArchiveImport::isArchive(url.toLocalFile()))
            paths << url.toLocalFile();
    }
    return paths;
}

// The local files among dropped addresses that are not archives.
QStringList droppedOthers(const QMimeData* mime) {
    QStringList paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && !ArchiveImport::isArchive(url.toLocalFile()))
            paths << url.toLocalFile();
    }
    return paths;
}

// A drop is always a copy: the archive stays where it was, so a drag source
// that honours a move must not be told to delete it. Files that are not
// archives are taken too, so that the drop can say why they are not added.
bool takesAsCopy(QDropEvent* event) {
    if (!(event->possibleActions() & Qt::CopyAction) ||
        (droppedArchives(event->mimeData()).isEmpty() &&
         droppedOthers(event->mimeData()).isEmpty()))
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

template <typename Control> void appendShortcut(Control* control, const QKeySequence& shortcut) {
    if (shortcut.isEmpty())
        return;
    control->setToolTip(QStringLiteral("%1 (%2)").arg(control->toolTip(),
                                                      shortcut.toString(QKeySequence::NativeText)));
}
} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_window(std::make_unique<Ui::MainWindow>())
    , m_config(std::make_unique<Ui::ConfigSheet>())
    , m_install(std::make_unique<Ui::InstallSheet>())
    , m_summary(std::make_unique<Ui::SummarySheet>())
    , m_confirm(std::make_unique<Ui::ConfirmSheet>())
    , m_installed(std::make_unique<Ui::InstalledSheet>())
    , m_configSheet(makeSheet(this))
    , m_installSheet(makeSheet<UndismissableSheet>(this))
    , m_summarySheet(makeSheet(this))
    , m_confirmSheet(makeSheet(this))
    , m_installedSheet(makeSheet(this)) {
    m_window->setupUi(this);
    m_config->setupUi(m_configSheet);
    m_install->setupUi(m_installSheet);
    m_summary->setupUi(m_summarySheet);
    m_confirm->setupUi(m_confirmSheet);
    m_installed->setupUi(m_installedSheet);
    for (QDialog* sheet : {m_confirmSheet, m_summarySheet})
        new SheetFit(sheet);
    showLabelsAsPlainText();
    m_geometrySave.setSingleShot(true);
    m_geometrySave.setInterval(GeometrySaveMs);
    connect(&m_geometrySave, &QTimer::timeout, this, &MainWindow::saveGeometryNow);

    // The list gets the larger part of the height.
    m_window->mainSplitter->setStretchFactor(0, 3);
    m_window->mainSplitter->setStretchFactor(1, 2);
    QFont pathFont = m_window->mBrowserPathField->font();
    pathFont.setBold(true);
    m_window->mBrowserPathField->setFont(pathFont);
    QPalette details = m_window->mItemDetailsField->palette();
    details.setColor(QPalette::WindowText, details.color(QPalette::PlaceholderText));
    m_window->mItemDetailsField->setPalette(details);
    m_window->mConfigItem->setIcon(QIcon::fromTheme(QStringLiteral("preferences-system"),
                                                    style()->standardIcon(QStyle::SP_DirOpenIcon)));
    m_window->mRefreshItem->setIcon(QIcon::fromTheme(
        QStringLiteral("view-refresh"), style()->standardIcon(QStyle::SP_BrowserReload)));
    m_window->mInstalledItem->setIcon(QIcon::fromTheme(
        QStringLiteral("package-x-generic"), style()->standardIcon(QStyle::SP_DriveHDIcon)));
    QTableView* list = m_window->mContentList;
    list->setItemDelegate(new ListRowDelegate(list));
    list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    list->addActions({m_window->mDropItem, m_window->mCopyPathItem});
    // Tab leaves the list in one step; the arrows move inside it.
    list->setTabKeyNavigation(false);
    addAction(m_window->mFilterItem);
    addFilterField();
    new ListKeyboard(list, m_filterField, ContentListModel::FilenameColumn);
    addQuitItem();
    keepMnemonicsBesideShortcuts();
    showShortcutsInToolTips();
    orderFocusChain();

    // Until an analysed archive is selected there is nothing to choose or
    // drop.
    for (QPushButton* button :
         {m_window->mSetRuntimeButton, m_window->mSetDataButton, m_window->mForceDirButton}) {
        button->hide();
        button->setEnabled(false);
    }
    m_window->mDropButton->setEnabled(false);
}

// Every label of the window shows plain text: a name that looks like markup
// is shown as it is, not read as rich text, whose layout folds spaces.
void MainWindow::showLabelsAsPlainText() {
    // The sheets are the window's children.
    for (QLabel* label : findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
}

MainWindow::~MainWindow() {
    if (m_geometrySave.isActive())
        saveGeometryNow();
}

void MainWindow::fitSheetToContent(QDialog* sheet) {
    for (QObject* child : sheet->children()) {
        if (auto* fit = dynamic_cast<SheetFit*>(child))
            fit->fit();
    }
}

void MainWindow::rememberGeometry(const SettingsStore& store) {
    m_geometryStore.emplace(store);
    const QByteArray geometry = store.windowGeometry();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    m_geometrySave.stop();
}

void MainWindow::saveGeometrySoon() {
    if (m_geometryStore)
        m_geometrySave.start();
}

void MainWindow::saveGeometryNow() {
    m_geometrySave.stop();
    if (m_geometryStore)
        m_geometryStore->setWindowGeometry(saveGeometry());
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    saveGeometrySoon();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    saveGeometrySoon();
}

// The filter box sits at the right of the toolbar; Ctrl+F goes to it.
void MainWindow::addFilterField() {
    auto* spacer = new QWidget(m_window->mToolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_window->mToolbar->addWidget(spacer);
    m_filterField = new QLineEdit(m_window->mToolbar);
    m_filterField->setObjectName(QStringLiteral("mFilterField"));
    m_filterField->setPlaceholderText(tr("Filter archives"));
    m_filterField->setAccessibleName(tr("Filter archives"));
    m_filterField->setAccessibleDescription(tr("Escape clears the filter"));
    m_filterField->setToolTip(m_window->mFilterItem->toolTip());
    m_filterField->setClearButtonEnabled(true);
    m_filterField->setMaximumWidth(FilterWidth);
    m_window->mToolbar->addWidget(m_filterField);
    connect(m_window->mFilterItem, &QAction::triggered, m_filterField, [this] {
        m_filterField->setFocus(Qt::ShortcutFocusReason);
        m_filterField->selectAll();
    });
    new QShortcut(QKeySequence(Qt::Key_Escape), m_filterField, m_filterField, &QLineEdit::clear,
                  Qt::WidgetShortcut);
}

// The platform's Quit key (Ctrl+Q where the platform names none) closes the
// window, which ends the application the same way as its close button.
void MainWindow::addQuitItem() {
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (keys.isEmpty())
        keys = {QKeySequence(Qt::CTRL | Qt::Key_Q)};
    m_window->mQuitItem->setShortcuts(keys);
    addAction(m_window->mQuitItem);
    connect(m_window->mQuitItem, &QAction::triggered, this, &QWidget::close);
}

// A button has a single shortcut of its own, and the mnemonic of its text
// takes it. Any other key it is given moves to a shortcut that belongs to
// the button, and so works only while the button is shown and enabled.
void MainWindow::keepMnemonicsBesideShortcuts() {
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        const QKeySequence key = button->shortcut();
        const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
        if (key.isEmpty() || key == mnemonic)
            continue;
        auto* shortcut = new QShortcut(key, button);
        connect(shortcut, &QShortcut::activated, button, &QAbstractButton::animateClick);
        button->setShortcut(mnemonic);
    }
}

// The toolbar's buttons are Tab stops too, named after their actions.
QList<QWidget*> MainWindow::toolbarTabStops() {
    QList<QWidget*> stops;
    for (QAction* action : m_window->mToolbar->actions()) {
        QWidget* button = m_window->mToolbar->widgetForAction(action);
        if (!qobject_cast<QToolButton*>(button))
            continue;
        button->setFocusPolicy(Qt::TabFocus);
        button->setAccessibleName(action->text());
        stops << button;
    }
    return stops;
}

// Tab walks the window top to bottom and left to right: the toolbar, the
// filter, the list, the browser, the choice buttons, then Donate, Drop,
// Install Selected and Install.
void MainWindow::orderFocusChain() {
    QList<QWidget*> chain = toolbarTabStops();
    chain << m_filterField << m_window->mContentList << m_window->mEmptyStateButton
          << m_window->mZIPBrowser << m_window->mSetRuntimeButton << m_window->mSetDataButton
          << m_window->mForceDirButton << m_window->mDestinationButton << m_window->mDonateButton
          << m_window->mDropButton << m_window->mInstallSelectedButton << m_window->mInstallButton;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

// Every control with a shortcut says so in its tooltip; a mnemonic shows in
// its underlined letter instead.
void MainWindow::showShortcutsInToolTips() {
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        for (QShortcut* shortcut : button->findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
            appendShortcut(button, shortcut->key());
    }
    for (QAction* action : findChildren<QAction*>())
        appendShortcut(action, action->shortcut());
    appendShortcut(m_filterField, m_window->mFilterItem->shortcut());
}

void MainWindow::arrangeContentColumns() {
    QHeaderView* header = m_window->mContentList->horizontalHeader();
    if (header->count() < 3)
        return;
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    header->resizeSection(0, PinColumnWidth);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::Interactive);
    header->resizeSection(2, VerdictColumnWidth);
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    showDropTarget(takesAsCopy(event) && !droppedArchives(event->mimeData()).isEmpty());
}

void MainWindow::dragLeaveEvent(QDragLeaveEvent*) {
    showDropTarget(false);
}

void MainWindow::showDropTarget(bool shown) {
    QWidget* list = m_window->mContentList;
    if (list->property("dropTarget").toBool() == shown)
        return;
    list->setProperty("dropTarget", shown);
    list->setStyleSheet(
        shown ? QStringLiteral("QTableView { border: 2px solid palette(highlight); }") : QString());
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!takesAsCopy(event))
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    showDropTarget(false);
    if (!takesAsCopy(event))
        return;
    emit filesDropped(droppedArchives(event->mimeData()), droppedOthers(event->mimeData()));
}

} // namespace packshelf
