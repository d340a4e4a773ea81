#include "ui/LibraryStatus.h"

#include <QCoreApplication>
#include <QStringList>
#include <utility>

#include "ui/ConfigurationSheet.h"
#include "ui/ContentListModel.h"
#include "ui/InstallSession.h"
#include "ui/ItemDescription.h"

namespace packshelf {

LibraryStatus::LibraryStatus(MainWindow& window, LibraryJobs& jobs, PlatformServices& services,
                             const ContentListModel& list, const ConfigurationSheet& folders,
                             InstallSession& session, std::function<bool()> paused,
                             std::function<bool()> scanRunning, QObject* parent)
    : QObject(parent)
    , m_jobs(jobs)
    , m_installedView(window, jobs, services)
    , m_list(list)
    , m_folders(folders)
    , m_session(session)
    , m_paused(std::move(paused))
    , m_scanRunning(std::move(scanRunning)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &LibraryStatus::look);
    connect(&m_libraryWatch, &QFileSystemWatcher::directoryChanged, this, &LibraryStatus::schedule);
    connect(&m_installedView, &InstalledView::libraryChanged, this, &LibraryStatus::libraryChanged);
}

void LibraryStatus::schedule() {
    m_timer.start();
}

void LibraryStatus::look() {
    watchLibrary();
    if (m_paused())
        return;
    previewReadyItems();
    readLibrary();
}

void LibraryStatus::watchLibrary() {
    const QString library = m_folders.libraryExists() ? *m_folders.destPath() : QString();
    const QStringList watched = m_libraryWatch.directories();
    if (watched == QStringList(library) || (watched.isEmpty() && library.isEmpty()))
        return;
    if (!watched.isEmpty())
        m_libraryWatch.removePaths(watched);
    if (!library.isEmpty())
        m_libraryWatch.addPath(library);
}

InstallJob LibraryStatus::readyJob(const ItemFilter& chosen) const {
    return readyItemsJob(m_list.records(), m_folders.sourcePath().value_or(QString()),
                         m_folders.destPath().value_or(QString()),
                         m_folders.workPath().value_or(QString()), chosen);
}

// The ready archives are compared as one install once the scan is over;
// until then the batch is not known.
void LibraryStatus::previewReadyItems() {
    InstallJob job = readyJob();
    if (m_scanRunning() || job.items.empty() || !m_folders.libraryExists())
        m_session.forgetComparison();
    else
        m_session.compare(std::move(job));
}

void LibraryStatus::readLibrary() {
    if (!m_folders.destPath())
        return;
    const QString source = m_folders.sourcePath().value_or(QString());
    Request request{isolatedString(*m_folders.destPath()), {}};
    request.archives.reserve(m_list.records().size());
    for (const ArchiveItem& item : m_list.records())
        request.archives.push_back({isolatedString(item.fileName()), item.nativePathIn(source)});
    read(std::move(request));
}

void LibraryStatus::read(Request request) {
    if (m_reading) {
        m_next = std::move(request);
        return;
    }
    m_reading = true;
    m_jobs.readInstalled(std::move(request.library), std::move(request.archives),
                         [this](LibraryJobs::Snapshot snapshot) { arrived(std::move(snapshot)); });
}

void LibraryStatus::arrived(LibraryJobs::Snapshot snapshot) {
    m_reading = false;
    if (m_installedOn != snapshot.installedFrom) {
        m_installedOn = snapshot.installedFrom;
        emit marksChanged();
    }
    m_installedView.show(snapshot);
    if (auto next = std::exchange(m_next, std::nullopt))
        read(std::move(*next));
}

void LibraryStatus::openInstalledView(const QString& library, const QString& source,
                                      const QString& work) {
    m_installedView.setFolders(source, work);
    m_installedView.open(library);
    readLibrary();
}

// The text keeps the controller's translation context, where it was first
// written.
QString LibraryStatus::libraryText(const ArchiveItem& item) const {
    QStringList lines;
    if (const auto installed = m_installedOn.constFind(item.fileName());
        installed != m_installedOn.constEnd())
        lines << installedNote(*installed);
    if (item.state() == ItemState::Ready) {
        const QString preview = m_session.comparison().archiveText(item.fileName());
        if (!preview.isEmpty())
            lines << preview;
        else if (m_session.comparing())
            lines << QCoreApplication::translate("packshelf::AppDelegate",
                                                 "Comparing with the library…");
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace packshelf
