#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "analysis/ArchiveItem.h"
#include "install/InstallJob.h"
#include "install/InstallUndo.h"
#include "install/ItemHandOver.h"
#include "ui/InstallConfirmation.h"
#include "ui/InstallProgress.h"
#include "ui/PreviewSummary.h"

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTextBrowser;

namespace packshelf {

class InstallSummary;
class LibraryJobs;
class MainThreadCall;
class MainWindow;
struct PlatformServices;

// One install from the window, from the question to the summary: what the
// ready archives would do to the library (compared in the background, for
// the info box as for the confirmation), the confirmation, the installer
// thread behind the install sheet with its progress (archives, and bytes
// with the file being written) and Cancel, and the
// summary.
//
//   from        event                      to
//   Idle        ask()                      Confirming
//   Confirming  the user declines          Idle
//   Confirming  the user confirms, start() Installing
//   Installing  end()                      Idle
//
// A comparison runs in any phase; a newer one replaces it.
class InstallSession : public QObject {
    Q_OBJECT
public:
    enum class Phase { Idle, Confirming, Installing };

    // The install and summary sheets' controls; the window owns them.
    struct Controls {
        QDialog* installSheet = nullptr;
        QLabel* stepField = nullptr;
        QProgressBar* progressBar = nullptr;
        QLabel* progressField = nullptr; // the file, the bytes and the time left
        QPushButton* cancelButton = nullptr;
        QDialog* summarySheet = nullptr;
        QLabel* summaryHeadline = nullptr;
        QTextBrowser* summaryDetails = nullptr;
        QStatusBar* statusBar = nullptr;
        QPushButton* undoButton = nullptr;
    };
    // What the installer thread reports, handed to the main thread.
    struct Reports {
        std::function<void(QString fileName)> archiveBegins;
        std::function<void(QString fileName)> archiveInstalled;
        std::function<void(std::vector<ArchiveItem> items)> installEnded;
    };

    InstallSession(MainWindow& window, Controls controls, LibraryJobs& library,
                   PlatformServices& services, MainThreadCall& mainThread,
                   QObject* parent = nullptr);

    Phase phase() const { return m_phase; }
    bool idle() const { return m_phase == Phase::Idle; }

    // The comparison of `job`'s archives with the library; the one still
    // running for an earlier state of the list stops and is dropped.
    void compare(InstallJob job);
    void forgetComparison();
    const PreviewSummary& comparison() const { return m_comparison; }
    bool comparing() const { return m_comparing; }

    // Opens the confirmation for `job` and compares it afresh, so that its
    // counts are the install's; it names the archives of `listed` that are
    // not installed, each with why. `chosen` picks the job's archives among
    // the ready ones (all without it); the install takes the same.
    void ask(InstallJob job, const QString& library, const std::vector<ArchiveItem>& listed,
             ItemFilter chosen = nullptr);
    // Which ready archives the install asked for takes.
    const ItemFilter& chosen() const { return m_chosen; }
    // Opens the install sheet and hands `job` to the installer thread,
    // whose reports reach `reports` on the main thread.
    void start(InstallJob job, Reports reports);
    void archiveBegins(const QString& fileName);
    void archiveInstalled();
    // `bytes` more of `file` were written (thinned out on the installer's
    // thread).
    void written(const QString& file, quint64 bytes);
    // Closes the install sheet and shows the summary of `items`, unless
    // the window is quitting.
    void end(const std::vector<ArchiveItem>& items, bool showSummary);
    // Rolls back the archive being installed; the rest stay in the list.
    void cancel();
    // Quitting: the comparison stops and a running install is cancelled.
    void stop();
    // The library of the last install, for the summary's Open Library.
    const QString& library() const { return m_library; }
    // Reads which install run into `library` is the last, asks with its
    // packages, count and time, then takes that run back (and no other):
    // its packages are uninstalled, latest first; the summary, titled as
    // an undo, says what that did.
    void undo(const QString& library);

signals:
    void comparisonChanged();
    void confirmed();
    // The session is idle again after a question or an install.
    void becameIdle();
    // Undo Install was asked for (Ctrl+Z or the summary's button).
    void undoRequested();
    // An undo changed the library; `archives` are those whose packages it
    // took back.
    void undone(const QStringList& archives);

private:
    void enter(Phase next);
    static QStringList leftOutOf(const std::vector<ArchiveItem>& listed);
    void comparisonArrived(std::vector<PackagePreview> previews);
    QString stepText() const;
    void showSummary(const InstallSummary& summary);
    void showUndone(const Status& undone, const UndoReport& report);
    static QString undoQuestion(const QString& library, const InstallRunSummary& run);
    void setUndoing(bool undoing);
    void takeBack(const QString& library, const QString& run, const QStringList& allowedOutside);

    Controls m_ui;
    LibraryJobs& m_libraryJobs;
    PlatformServices& m_services;
    MainThreadCall& m_mainThread;
    InstallConfirmation m_confirmation;
    InstallProgress m_progress;
    Phase m_phase = Phase::Idle;
    PreviewSummary m_comparison;
    std::shared_ptr<std::atomic<bool>> m_comparisonCancelled;
    bool m_comparing = false;
    // The install under way: Cancel's flag, the archives in install order,
    // the next one to come.
    std::shared_ptr<std::atomic<bool>> m_installCancelled;
    ItemFilter m_chosen;
    QStringList m_names;
    qsizetype m_next = 0;
    QString m_library;
    bool m_undoing = false;
    QString m_summaryTitle; // the summary sheet's designed title, an install's
};

} // namespace packshelf
