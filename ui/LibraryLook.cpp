#include "ui/LibraryLook.h"

#include <QCoreApplication>
#include <QStringList>

#include "ui/ConfigurationSheet.h"
#include "ui/ContentListModel.h"
#include "ui/InstallSession.h"
#include "ui/LibrarySide.h"

namespace packshelf {

LibraryLook::LibraryLook(const ContentListModel& list, const ConfigurationSheet& folders,
                         LibrarySide& side, InstallSession& session, std::function<bool()> paused,
                         std::function<bool()> scanRunning, QObject* parent)
    : QObject(parent)
    , m_list(list)
    , m_folders(folders)
    , m_side(side)
    , m_session(session)
    , m_paused(std::move(paused))
    , m_scanRunning(std::move(scanRunning)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &LibraryLook::look);
}

void LibraryLook::schedule() {
    m_timer.start();
}

void LibraryLook::look() {
    if (m_paused())
        return;
    previewReadyItems();
    readLibrary();
}

InstallJob LibraryLook::readyJob(const ItemFilter& chosen) const {
    return readyItemsJob(m_list.records(), m_folders.sourcePath().value_or(QString()),
                         m_folders.destPath().value_or(QString()),
                         m_folders.workPath().value_or(QString()), chosen);
}

// The ready archives are compared as one install once the scan is over;
// until then the batch is not known.
void LibraryLook::previewReadyItems() {
    InstallJob job = readyJob();
    if (m_scanRunning() || job.items.empty() || !m_folders.libraryExists())
        m_session.forgetComparison();
    else
        m_session.compare(std::move(job));
}

void LibraryLook::readLibrary() {
    if (!m_folders.destPath())
        return;
    const QString source = m_folders.sourcePath().value_or(QString());
    LibrarySide::Request request{isolatedString(*m_folders.destPath()), {}};
    request.archives.reserve(m_list.records().size());
    for (const ArchiveItem& item : m_list.records())
        request.archives.push_back({isolatedString(item.fileName()), item.nativePathIn(source)});
    m_side.read(std::move(request));
}

// The text keeps the controller's translation context, where it was first
// written.
QString LibraryLook::libraryText(const ArchiveItem& item) const {
    QStringList lines;
    const QString installed = m_side.installedNoteOf(item.fileName());
    if (!installed.isEmpty())
        lines << installed;
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
