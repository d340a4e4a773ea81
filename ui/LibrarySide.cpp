#include "ui/LibrarySide.h"

#include "ui/ItemDescription.h"

namespace packshelf {

LibrarySide::LibrarySide(MainWindow& window, LibraryAccess& library, PlatformServices& services,
                         QObject* parent)
    : QObject(parent)
    , m_library(library)
    , m_installedView(window, library, services) {
    connect(&m_installedView, &InstalledView::libraryChanged, this, &LibrarySide::libraryChanged);
}

QString LibrarySide::installedNoteOf(const QString& fileName) const {
    const auto installed = m_installedOn.constFind(fileName);
    return installed == m_installedOn.constEnd() ? QString() : installedNote(*installed);
}

void LibrarySide::read(Request request) {
    if (m_reading) {
        m_next = std::move(request);
        return;
    }
    m_reading = true;
    m_library.readInstalled(
        std::move(request.library), std::move(request.archives),
        [this](LibraryAccess::Snapshot snapshot) { arrived(std::move(snapshot)); });
}

void LibrarySide::openInstalledView(const QString& library, const QString& source,
                                    const QString& work) {
    m_installedView.setFolders(source, work);
    m_installedView.open(library);
}

void LibrarySide::arrived(LibraryAccess::Snapshot snapshot) {
    m_reading = false;
    if (m_installedOn != snapshot.installedFrom) {
        m_installedOn = snapshot.installedFrom;
        emit marksChanged();
    }
    m_installedView.show(snapshot);
    if (auto next = std::exchange(m_next, std::nullopt))
        read(std::move(*next));
}

} // namespace packshelf
