#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/ArchiveItem.h"
#include "install/InstallJob.h"
#include "install/ItemHandOver.h"
#include "ui/InstalledView.h"
#include "ui/LibraryJobs.h"

namespace packshelf {

class ConfigurationSheet;
class ContentListModel;
class InstallSession;
class MainWindow;
struct PlatformServices;

// What the window knows of the library: which listed archives have their
// package installed there (the list's marks and the info box's note), what
// an install of the ready archives would do to it, and the installed
// packages' sheet with Uninstall. It looks after each scan (an install ends
// with one), after a choice or a drop and after an uninstall; several
// reasons in one turn of the event loop make one look. The library is read
// one time at a time; a reason to read again while a read runs makes one
// more read afterwards, of the latest state of the list.
class LibraryStatus : public QObject {
    Q_OBJECT
public:
    // `paused` tells when no look may run (an install is asked for or runs,
    // or quitting has begun); `scanRunning` when the batch is not known yet.
    LibraryStatus(MainWindow& window, LibraryJobs& jobs, PlatformServices& services,
                  const ContentListModel& list, const ConfigurationSheet& folders,
                  InstallSession& session, std::function<bool()> paused,
                  std::function<bool()> scanRunning, QObject* parent = nullptr);

    // Looks at the library once the event loop turns.
    void schedule();
    // The ready archives (those `chosen`, when given) as one install.
    InstallJob readyJob(const ItemFilter& chosen = nullptr) const;
    // Reads which listed archives are installed in the library.
    void readLibrary();

    // The listed archives whose package is installed, with the time of that
    // install (ISO 8601).
    const QHash<QString, QString>& installedOn() const { return m_installedOn; }
    // Whether the archive's package is installed, and for a ready archive
    // what installing it would do.
    QString libraryText(const ArchiveItem& item) const;

    // Opens the installed packages' sheet on `library` and reads it.
    void openInstalledView(const QString& library, const QString& source, const QString& work);

signals:
    // Which listed archives are installed changed.
    void marksChanged();
    // An uninstall changed the library.
    void libraryChanged();

private:
    struct Request {
        QString library;
        std::vector<LibraryJobs::SourceArchive> archives;
    };

    void look();
    // Watches the library folder chosen now, so that a library unplugged,
    // removed or changed from outside is looked at again.
    void watchLibrary();
    void previewReadyItems();
    void read(Request request);
    void arrived(LibraryJobs::Snapshot snapshot);

    LibraryJobs& m_jobs;
    InstalledView m_installedView;
    const ContentListModel& m_list;
    const ConfigurationSheet& m_folders;
    InstallSession& m_session;
    std::function<bool()> m_paused;
    std::function<bool()> m_scanRunning;
    QTimer m_timer;
    QFileSystemWatcher m_libraryWatch;
    QHash<QString, QString> m_installedOn;
    bool m_reading = false;
    std::optional<Request> m_next;
};

} // namespace packshelf
