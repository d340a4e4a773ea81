#include "ui/InstallSession.h"

#include <QAction>
#include <QDateTime>
#include <QDialog>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTextBrowser>
#include <chrono>

#include "core/MainThreadCall.h"
#include "install/Installer.h"
#include "ui/InstallSummary.h"
#include "ui/ItemDescription.h"
#include "ui/LibraryJobs.h"
#include "ui/MainWindow.h"
#include "ui/PlatformServices.h"

namespace packshelf {

namespace {

// The line under the bar changes at most this often.
constexpr std::chrono::milliseconds WrittenReportInterval{200};

// The installer's reports of bytes written, gathered on its thread: one is
// handed to the main thread for each interval, and the first of each archive
// at once.
struct WrittenReports {
    std::chrono::steady_clock::time_point last{};
    quint64 pending = 0;

    // Adds `bytes`; true, with the bytes gathered taken, when a report is due.
    bool add(quint64 bytes, quint64& due) {
        pending += bytes;
        const auto now = std::chrono::steady_clock::now();
        if (now - last < WrittenReportInterval)
            return false;
        last = now;
        due = std::exchange(pending, 0);
        return true;
    }
    void archiveBegins() {
        last = {};
        pending = 0;
    }
};

} // namespace

InstallSession::InstallSession(MainWindow& window, Controls controls, LibraryJobs& library,
                               PlatformServices& services, MainThreadCall& mainThread,
                               QObject* parent)
    : QObject(parent)
    , m_ui(controls)
    , m_libraryJobs(library)
    , m_services(services)
    , m_mainThread(mainThread)
    , m_confirmation(window)
    , m_comparisonCancelled(std::make_shared<std::atomic<bool>>(false))
    , m_summaryTitle(controls.summarySheet->windowTitle()) {
    connect(&m_confirmation, &InstallConfirmation::confirmed, this, &InstallSession::confirmed);
    connect(&m_confirmation, &InstallConfirmation::declined, this, [this] { enter(Phase::Idle); });
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &InstallSession::cancel);
    connect(m_ui.undoButton, &QPushButton::clicked, this, &InstallSession::undoRequested);
    // Owned by the window, which hears its shortcut wherever the focus is.
    auto* undoItem = new QAction(tr("Undo Install"), &window);
    undoItem->setShortcut(QKeySequence::Undo);
    window.addAction(undoItem);
    connect(undoItem, &QAction::triggered, this, &InstallSession::undoRequested);
}

// The one place the phase changes; a step the table above does not have
// is a fault of the caller and leaves the phase as it is.
void InstallSession::enter(Phase next) {
    const bool allowed = (m_phase == Phase::Idle && next == Phase::Confirming) ||
                         (m_phase == Phase::Confirming && next != Phase::Confirming) ||
                         (m_phase == Phase::Installing && next == Phase::Idle);
    Q_ASSERT(allowed);
    if (!allowed)
        return;
    m_phase = next;
    if (next == Phase::Idle)
        emit becameIdle();
}

void InstallSession::compare(InstallJob job) {
    m_comparisonCancelled->store(true);
    m_comparisonCancelled = job.cancelled;
    m_comparison = {};
    m_comparing = true;
    emit comparisonChanged();
    m_libraryJobs.preview(std::move(job), [this, cancelled = m_comparisonCancelled](
                                              std::vector<PackagePreview> previews) {
        if (!cancelled->load())
            comparisonArrived(std::move(previews));
    });
}

void InstallSession::forgetComparison() {
    m_comparisonCancelled->store(true);
    m_comparison = {};
    m_comparing = false;
    emit comparisonChanged();
}

void InstallSession::comparisonArrived(std::vector<PackagePreview> previews) {
    m_comparing = false;
    m_comparison = PreviewSummary::of(std::move(previews));
    emit comparisonChanged();
    if (m_phase == Phase::Confirming)
        m_confirmation.show(m_comparison);
}

// The listed archives an install leaves out, each with its verdict.
QStringList InstallSession::leftOutOf(const std::vector<ArchiveItem>& listed) {
    QStringList leftOut;
    for (const ArchiveItem& item : listed) {
        if (item.state() == ItemState::Ready)
            continue;
        leftOut << tr("%1 (%2)").arg(item.fileName(), whyNotReady(item));
    }
    return leftOut;
}

void InstallSession::ask(InstallJob job, const QString& library,
                         const std::vector<ArchiveItem>& listed, ItemFilter chosen) {
    enter(Phase::Confirming);
    QStringList names;
    for (const ArchiveItem& item : job.items)
        names << item.fileName();
    // Only what the question names is installed: an archive whose analysis
    // ends while it is asked waits for the next install.
    m_chosen = [asked = QSet<QString>(names.begin(), names.end()),
                chosen = std::move(chosen)](const ArchiveItem& item) {
        return asked.contains(item.fileName()) && (!chosen || chosen(item));
    };
    m_confirmation.open(names, library, leftOutOf(listed));
    compare(std::move(job));
}

void InstallSession::start(InstallJob job, Reports reports) {
    enter(Phase::Installing);
    m_names.clear();
    for (const ArchiveItem& item : job.items)
        m_names << item.fileName();
    m_next = 0;
    m_library = job.destDir;
    m_progress.begin(job.items);
    m_progress.showOn(m_ui.progressBar);
    m_ui.progressField->clear();
    m_ui.stepField->setText(stepText());
    m_ui.cancelButton->setEnabled(true);
    m_ui.installSheet->open();

    // The installer owns the job from here; its reports come back through
    // the hand-over to the main thread.
    m_installCancelled = job.cancelled;
    InstallCallbacks callbacks =
        callbacksThrough(m_mainThread, std::move(reports.archiveBegins),
                         std::move(reports.archiveInstalled), std::move(reports.installEnded));
    auto writes = std::make_shared<WrittenReports>(); // the installer's thread's alone
    callbacks.written = [this, writes](const QString& file, quint64 bytes) {
        quint64 due = 0;
        if (writes->add(bytes, due))
            m_mainThread.post([this, file, due] { written(file, due); });
    };
    callbacks.copyBegins = [writes, begins = std::move(callbacks.copyBegins)](QString fileName) {
        writes->archiveBegins();
        if (begins)
            begins(std::move(fileName));
    };
    callbacks.waiting = [this](const QString& line) {
        m_mainThread.post([this, line] { m_ui.statusBar->showMessage(line); });
    };
    m_services.startWorker(
        [job = std::move(job), callbacks, &executor = m_libraryJobs.executor()]() mutable {
            installerThread(std::move(job), callbacks, executor);
        });
}

// The sheet names the archive being installed and where it stands.
QString InstallSession::stepText() const {
    return tr("Installing %1 (%2 of %3)…")
        .arg(m_names.value(m_next), QLocale().toString(m_next + 1),
             QLocale().toString(m_names.size()));
}

void InstallSession::archiveBegins(const QString& fileName) {
    const qsizetype position = m_names.indexOf(fileName, m_next);
    if (position >= 0)
        m_next = position;
    m_progress.archiveBegins(m_next);
    m_progress.showOn(m_ui.progressBar);
    if (!m_installCancelled || !m_installCancelled->load())
        m_ui.stepField->setText(stepText());
}

void InstallSession::archiveInstalled() {
    m_progress.archiveInstalled();
    m_progress.showOn(m_ui.progressBar);
}

void InstallSession::written(const QString& file, quint64 bytes) {
    m_progress.written(file, bytes);
    m_progress.showOn(m_ui.progressBar);
    m_ui.progressField->setText(m_progress.text());
}

void InstallSession::end(const std::vector<ArchiveItem>& items, bool showSummary) {
    const InstallSummary summary = InstallSummary::of(items);
    m_ui.installSheet->accept();
    m_installCancelled.reset();
    enter(Phase::Idle);
    if (showSummary)
        this->showSummary(summary);
}

void InstallSession::cancel() {
    if (!m_installCancelled)
        return;
    m_installCancelled->store(true);
    m_ui.cancelButton->setEnabled(false);
    m_ui.stepField->setText(tr("Cancelling: the archive being installed is rolled back…"));
}

void InstallSession::stop() {
    m_comparisonCancelled->store(true);
    cancel();
}

void InstallSession::showSummary(const InstallSummary& summary) {
    m_ui.summaryHeadline->setText(summary.headline());
    m_ui.summaryDetails->setHtml(summary.detailsHtml());
    m_ui.summarySheet->setWindowTitle(m_summaryTitle);
    // Undo is offered for an install that changed the library, never for
    // one that was cancelled, failed or left everything alone: that would
    // take back an earlier install the summary does not name.
    m_ui.undoButton->setVisible(!summary.installed().isEmpty());
    m_ui.undoButton->setEnabled(!m_undoing);
    m_ui.summarySheet->open();
}

void InstallSession::undo(const QString& library) {
    if (!idle() || m_undoing)
        return;
    // The question names the run it takes back, and the undo takes back
    // that run only: another install in between makes it refuse.
    setUndoing(true);
    m_libraryJobs.lastRun(library, [this, library](LibraryJobs::LastRun last) {
        setUndoing(false);
        if (!idle())
            return;
        if (!last.status || !last.run) {
            UndoReport nothing;
            nothing.nothingToUndo = true;
            showUndone(last.status, nothing);
            return;
        }
        QWidget* parent =
            m_ui.summarySheet->isVisible() ? m_ui.summarySheet : m_ui.summarySheet->parentWidget();
        if (m_services.confirm(parent, tr("Undo Install"), undoQuestion(library, *last.run)))
            takeBack(library, last.run->run, {});
    });
}

// Names the run: how many packages, the first of them and when it ran.
QString InstallSession::undoQuestion(const QString& library, const InstallRunSummary& run) {
    constexpr qsizetype NamedPackages = 3;
    const qsizetype count = run.packages.size();
    QString names = QStringList(run.packages.mid(0, NamedPackages)).join(QStringLiteral(", "));
    if (count > NamedPackages)
        names = tr("%1 and %Ln more", nullptr, int(count - NamedPackages)).arg(names);
    QDateTime when = QDateTime::fromString(run.installed, Qt::ISODate);
    const QString time = when.isValid()
                             ? QLocale().toString(when.toLocalTime(), QLocale::ShortFormat)
                             : tr("an unknown time");
    return tr("Take back the install of %Ln package(s) into %1 on %2: %3? They are "
              "uninstalled, latest first: the files they replaced are put back, and a file "
              "changed since the install is kept.",
              nullptr, int(count))
        .arg(library, time, names);
}

void InstallSession::setUndoing(bool undoing) {
    m_undoing = undoing;
    m_ui.undoButton->setEnabled(!undoing);
}

void InstallSession::takeBack(const QString& library, const QString& run,
                              const QStringList& allowedOutside) {
    setUndoing(true);
    m_ui.statusBar->showMessage(tr("Taking back the last install…"));
    m_libraryJobs.undoLastRun(
        library,
        [this, library, run](LibraryJobs::Undoing undoing) {
            setUndoing(false);
            showUndone(undoing.status, undoing.report);
            // A package outside the library is taken back there only when
            // the user says so, for that folder.
            for (const UndoReport::Package& package : undoing.report.packages) {
                const QString folder = package.removal.needsConfirmation;
                if (!folder.isEmpty() &&
                    m_services.confirm(m_ui.summarySheet, tr("Undo Install"),
                                       tr("%1 was installed into %2, outside the library, and "
                                          "nothing shows that PackShelf recorded it for you. "
                                          "Take it back there?")
                                           .arg(package.archive, folder))) {
                    takeBack(library, run, {folder});
                    return;
                }
            }
            QStringList archives;
            for (const UndoReport::Package& package : undoing.report.packages)
                archives << package.archive;
            emit undone(archives);
        },
        run, allowedOutside);
}

// The summary sheet says what taking the install back did.
void InstallSession::showUndone(const Status& undone, const UndoReport& report) {
    QString headline;
    QStringList lines;
    if (!undone)
        headline = tr("The library cannot be changed: %1").arg(undone.reason());
    else if (report.nothingToUndo)
        headline = tr("There is no install to take back.");
    else
        headline =
            tr("%Ln package(s) uninstalled, latest first.", nullptr, int(report.packages.size()));
    for (const UndoReport::Package& package : report.packages) {
        const RemovalOutcome& outcome = package.removal;
        lines << tr("%1: %2 removed, %3 put back, %4 kept because it changed since.")
                     .arg(package.archive, QLocale().toString(outcome.removed),
                          QLocale().toString(outcome.restored),
                          QLocale().toString(outcome.kept.size()));
        if (!package.problem.isEmpty())
            lines << tr("Not done: %1").arg(package.problem);
        if (!outcome.needsConfirmation.isEmpty())
            lines << tr("Not taken back: it is in %1, outside the library.")
                         .arg(outcome.needsConfirmation);
        for (qsizetype i = 0; i < outcome.originalsOf.size(); ++i)
            lines << tr("Your earlier version of %1 is beside it: %2")
                         .arg(outcome.originalsOf[i], outcome.originalsAt[i]);
        for (const QString& warning : outcome.warnings)
            lines << tr("Not as it should be: %1").arg(warning);
    }
    for (const QString& unreadable : report.problems)
        lines << tr("Cannot be read: %1").arg(unreadable);
    m_ui.statusBar->showMessage(headline, 10000);
    m_ui.summaryHeadline->setText(headline);
    m_ui.summaryDetails->setPlainText(lines.join(QLatin1Char('\n')));
    m_ui.undoButton->setVisible(false);
    m_ui.summarySheet->setWindowTitle(tr("Install Undone"));
    if (!m_ui.summarySheet->isVisible())
        m_ui.summarySheet->open();
}

} // namespace packshelf
