#include "ui/ScreenshotTour.h"

#include <QApplication>
#include <QColumnView>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <set>

#include "ui/AppDelegate.h"
#include "ui/MainWindow.h"
#include "ui_ConfirmSheet.h"
#include "ui_InstallSheet.h"
#include "ui_InstalledSheet.h"

namespace packshelf {

namespace {
constexpr int PollMs = 25;
constexpr qint64 SettleMs = 600;
constexpr qint64 GiveUpMs = 60000;
} // namespace

ScreenshotTour::ScreenshotTour(AppDelegate& delegate, MainWindow& window, QString folder)
    : m_delegate(delegate)
    , m_window(window)
    , m_folder(std::move(folder)) {
    QDir().mkpath(m_folder);
    connect(&m_timer, &QTimer::timeout, this, &ScreenshotTour::advance);
    m_timer.start(PollMs);
    m_inStep.start();
}

std::unique_ptr<ScreenshotTour> ScreenshotTour::fromEnvironment(AppDelegate& delegate,
                                                                MainWindow& window) {
    const QString folder = qEnvironmentVariable("PACKSHELF_SCREENSHOTS");
    if (folder.isEmpty())
        return nullptr;
    return std::make_unique<ScreenshotTour>(delegate, window, folder);
}

bool ScreenshotTour::showsEveryState() const {
    std::set<qint64> states;
    for (const ArchiveItem& item : m_delegate.mItemsArray())
        states.insert(item.state());
    return states.count(ItemState::New) && states.count(ItemState::Ready) &&
           states.count(ItemState::NeedsHelp) && states.count(ItemState::Failed);
}

bool ScreenshotTour::scanFinished() const {
    return !m_delegate.mItemsArray().empty() && m_delegate.mWorkers() == 0 &&
           m_delegate.mCurrentIndex() >= qint64(m_delegate.mItemsArray().size());
}

bool ScreenshotTour::confirmationReady() const {
    return m_window.confirmSheet()->isVisible() &&
           m_window.confirmControls().mConfirmInstallButton->isEnabled();
}

void ScreenshotTour::moveTo(Step step) {
    m_step = step;
    m_inStep.restart();
}

void ScreenshotTour::advance() {
    const bool timedOut = m_inStep.elapsed() > GiveUpMs;
    const bool settled = m_inStep.elapsed() >= SettleMs;
    switch (m_step) {
    case Step::Start:
        moveTo(m_delegate.mSourcePath() ? Step::WaitForRows : Step::SettleFirstLaunch);
        return;
    case Step::SettleFirstLaunch:
        if (settled) {
            save(&m_window, QStringLiteral("packshelf-first-launch.png"));
            finish();
        }
        return;
    case Step::WaitForRows:
        if (showsEveryState() || scanFinished() || timedOut) {
            openTreeOfArchiveNeedingHelp();
            moveTo(Step::SettleBrowser);
        }
        return;
    case Step::SettleBrowser:
        if (settled) {
            save(&m_window, QStringLiteral("packshelf-window.png"));
            moveTo(Step::WaitForIdle);
        }
        return;
    case Step::WaitForIdle:
        if (scanFinished() || timedOut) {
            m_delegate.beginInstall();
            moveTo(Step::WaitForConfirmation);
        }
        return;
    case Step::WaitForConfirmation:
        if (confirmationReady() || timedOut) {
            m_window.confirmControls().mConfirmDetailsButton->setChecked(true);
            moveTo(Step::SettleConfirmation);
        }
        return;
    case Step::SettleConfirmation:
        if (settled) {
            saveWithSheet(m_window.confirmSheet(),
                          QStringLiteral("packshelf-install-confirmation.png"));
            m_window.confirmSheet()->accept();
            moveTo(Step::WaitForProgress);
        }
        return;
    case Step::WaitForProgress:
        // The large archive keeps the install sheet up long enough for a
        // picture of its progress line; a quick install goes on without one.
        if (m_window.summarySheet()->isVisible() || timedOut) {
            moveTo(Step::WaitForSummary);
        } else if (m_window.installSheet()->isVisible() &&
                   !m_window.installControls().mProgressField->text().isEmpty()) {
            saveWithSheet(m_window.installSheet(),
                          QStringLiteral("packshelf-install-progress.png"));
            moveTo(Step::WaitForSummary);
        }
        return;
    case Step::WaitForSummary:
        if ((m_window.summarySheet()->isVisible() && settled) || timedOut) {
            saveWithSheet(m_window.summarySheet(), QStringLiteral("packshelf-install-summary.png"));
            m_window.summarySheet()->accept();
            m_delegate.showInstalledPackages();
            moveTo(Step::WaitForInstalled);
        }
        return;
    case Step::WaitForInstalled:
        if ((m_window.installedControls().mInstalledList->model()->rowCount() > 0 && settled) ||
            timedOut) {
            saveWithSheet(m_window.installedSheet(), QStringLiteral("packshelf-installed.png"));
            m_window.installedSheet()->accept();
            m_delegate.openConfigSheet();
            moveTo(Step::SettleSheet);
        }
        return;
    case Step::SettleSheet:
        if (settled) {
            saveWithSheet(m_window.configSheet(), QStringLiteral("packshelf-configuration.png"));
            finish();
        }
        return;
    case Step::Done:
        return;
    }
}

void ScreenshotTour::finish() {
    moveTo(Step::Done);
    m_timer.stop();
    QCoreApplication::quit();
}

// Selects the first archive that needs help and walks its tree down to the
// first Runtime folder, so that the browser shows three columns.
void ScreenshotTour::openTreeOfArchiveNeedingHelp() {
    const auto& items = m_delegate.mItemsArray();
    int row = 0;
    for (int i = 0; i < int(items.size()); ++i) {
        if (items[std::size_t(i)].state() == ItemState::NeedsHelp) {
            row = i;
            break;
        }
    }
    m_delegate.mContentList()->selectRow(row);
    QColumnView* browser = m_delegate.mZIPBrowser();
    const QAbstractItemModel* model = browser->model();
    for (int top = 0; top < model->rowCount(); ++top) {
        const QModelIndex folder = model->index(top, 0);
        for (int below = 0; below < model->rowCount(folder); ++below) {
            const QModelIndex inner = model->index(below, 0, folder);
            if (inner.data().toString().compare(QStringLiteral("Runtime"), Qt::CaseInsensitive))
                continue;
            browser->setCurrentIndex(folder);
            browser->setCurrentIndex(inner);
            return;
        }
    }
}

void ScreenshotTour::save(QWidget* widget, const QString& name) {
    widget->grab().save(QDir(m_folder).filePath(name));
}

void ScreenshotTour::saveWithSheet(QWidget* sheet, const QString& name) {
    QPixmap picture = m_window.grab();
    const QPixmap drawn = sheet->grab();
    QPainter painter(&picture);
    const int left = (picture.width() - drawn.width()) / 2;
    const int top = m_window.centralWidget()->y();
    painter.fillRect(picture.rect(), QColor(0, 0, 0, 60));
    painter.drawPixmap(left, top, drawn);
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawRect(QRect(QPoint(left, top), drawn.size()).adjusted(-1, -1, 0, 0));
    painter.end();
    picture.save(QDir(m_folder).filePath(name));
}

} // namespace packshelf
