#include "tests/ui/WindowHarness.h"

#include <utility>

#include <QColumnView>
#include <QDialog>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <limits>

#include "tests/support/ZipWriter.h"

namespace packshelf::test {

namespace {
constexpr int WaitMs = 120000;
}

QByteArray zipOf(const QStringList& entries) {
    ZipWriter writer;
    for (const QString& entry : entries) {
        if (entry.endsWith('/'))
            writer.addFolder(entry.toUtf8());
        else
            writer.addFile(entry.toUtf8(), "content of " + entry.toUtf8());
    }
    return writer.bytes();
}

void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

WindowHarness::WindowHarness(bool holdWorkers)
    : m_holdWorkers(holdWorkers) {
    for (const char* folder : {"source", "library", "work", "settings"})
        QDir(m_root.path()).mkpath(folder);
}

WindowHarness::~WindowHarness() {
    quit();
}

void WindowHarness::addArchive(const QString& name, const QStringList& entries) {
    QFile file(QDir(source()).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(zipOf(entries));
}

void WindowHarness::storeFolders(bool ignoreDS) {
    QSettings store(settingsFile(), QSettings::IniFormat);
    store.setValue("SOURCEPATH", source());
    store.setValue("DESTPATH", library());
    store.setValue("WORKPATH", work());
    store.setValue("IGNORE_DS", ignoreDS);
}

void WindowHarness::launch() {
    m_settings = std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat);
    m_window = std::make_unique<MainWindow>();
    m_window->rememberGeometry(SettingsStore(*m_settings));
    m_delegate = std::make_unique<AppDelegate>(*m_window, *m_settings, m_executor);
    installStubs();
    // The folder is looked at only when a test asks.
    m_delegate->sourceWatcher().setSettleTime(std::numeric_limits<int>::max());
    m_window->show();
    m_logStart = int(WindowLog::lines().size());
    m_delegate->applicationDidFinishLaunching();
}

void WindowHarness::quit() {
    releaseAllWorkers();
    m_delegate.reset();
    m_window.reset();
    m_settings.reset();
}

void WindowHarness::relaunch() {
    quit();
    launch();
}

void WindowHarness::installStubs() {
    PlatformServices& services = m_delegate->services();
    services.pickFolder = [this](QWidget*, const QString& title, const QString& startFolder,
                                 const PlatformServices::FolderChosen& chosen) {
        pickerTitles << title;
        pickerStarts << startFolder;
        std::optional<QString> answer;
        if (!pickerAnswers.empty()) {
            answer = pickerAnswers.front();
            pickerAnswers.pop_front();
        }
        if (answer)
            chosen(*answer);
    };
    services.openUrl = [this](const QUrl& url) {
        externalCalls << "open " + url.toString();
        return desktopOpens;
    };
    services.speak = [this](const QString& text) { externalCalls << "say " + text; };
    services.beep = [this] { externalCalls << "beep"; };
    services.confirm = [this](QWidget*, const QString&, const QString& question) {
        externalCalls << "ask " + question;
        if (whileAsking)
            std::exchange(whileAsking, nullptr)();
        return confirmAnswer;
    };
    services.startWorker = [this](std::function<void()> body) {
        if (!m_holdWorkers) {
            m_executor.start(std::move(body));
            return;
        }
        m_held.push_back(std::move(body));
        m_released.push_back(false);
    };
}

bool WindowHarness::isIdle() {
    AppDelegate& delegate = app();
    return delegate.mWorkers() == 0 &&
           delegate.mCurrentIndex() >= qint64(delegate.mItemsArray().size()) &&
           delegate.mSpinner()->isHidden() && delegate.mInstallButton()->isEnabled();
}

bool WindowHarness::waitForIdle() {
    return QTest::qWaitFor(
        [this] {
            releaseAllWorkers();
            return isIdle();
        },
        WaitMs);
}

bool WindowHarness::confirmInstall() {
    auto* install = window().confirmSheet()->findChild<QPushButton*>("mConfirmInstallButton");
    if (!QTest::qWaitFor([&] { return install->isVisible() && install->isEnabled(); }, WaitMs))
        return false;
    QTest::mouseClick(install, Qt::LeftButton);
    return true;
}

bool WindowHarness::releaseWorker(std::size_t i) {
    if (i >= m_held.size() || m_released[i])
        return false;
    m_released[i] = true;
    const qint64 before = app().mWorkers();
    const qsizetype reports = logLines().filter("Got result").size();
    m_executor.start(m_held[i]);
    return QTest::qWaitFor([&] { return logLines().filter("Got result").size() > reports; },
                           WaitMs) &&
           app().mWorkers() <= before;
}

void WindowHarness::releaseAllWorkers() {
    for (std::size_t i = 0; i < m_held.size(); ++i) {
        if (!m_released[i]) {
            m_released[i] = true;
            m_executor.start(m_held[i]);
        }
    }
}

void WindowHarness::selectRow(int row) {
    const QModelIndex shown =
        app().listProxy().mapFromSource(app().contentListModel().index(row, 0));
    if (!shown.isValid())
        app().mContentList()->clearSelection();
    else
        app().mContentList()->selectRow(shown.row());
}

void WindowHarness::browse(const QStringList& names) {
    QColumnView* browser = app().mZIPBrowser();
    const QAbstractItemModel* model = browser->model();
    QModelIndex parent;
    for (const QString& name : names) {
        const QModelIndexList found =
            model->match(model->index(0, 0, parent), Qt::DisplayRole, name, 1,
                         Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (found.isEmpty())
            return;
        browser->setCurrentIndex(found.first());
        parent = found.first();
    }
}

bool WindowHarness::shown(const QWidget* widget) {
    return !widget->isHidden();
}

QString WindowHarness::statusText() {
    return window().statusBar()->currentMessage();
}

QStringList WindowHarness::listed() {
    QStringList rows;
    for (const ArchiveItem& item : app().mItemsArray())
        rows << item.fileName() + ":" + item.text("INFO").value_or("");
    return rows;
}

QStringList WindowHarness::logLines() const {
    return WindowLog::lines().mid(m_logStart);
}

} // namespace packshelf::test
