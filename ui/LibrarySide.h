#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <optional>
#include <vector>

#include "ui/InstalledView.h"
#include "ui/LibraryAccess.h"

namespace packshelf {

class MainWindow;
struct PlatformServices;

// The window's view of the library: which listed archives have their
// package installed there (the list's marks and the info box's note) and
// the installed packages' sheet with Uninstall. The library is read one
// time at a time; a reason to read again while a read runs makes one more
// read afterwards, of the latest request.
class LibrarySide : public QObject {
    Q_OBJECT
public:
    struct Request {
        QString library;
        std::vector<LibraryAccess::SourceArchive> archives;
    };

    LibrarySide(MainWindow& window, LibraryAccess& library, PlatformServices& services,
                QObject* parent = nullptr);

    // The listed archives whose package is installed, with the time of that
    // install (ISO 8601).
    const QHash<QString, QString>& installedOn() const { return m_installedOn; }
    // The info box's line about `fileName`'s package; empty when it is not
    // installed.
    QString installedNoteOf(const QString& fileName) const;

    void read(Request request);
    // Opens the installed packages' sheet on `library`; read() fills it.
    void openInstalledView(const QString& library, const QString& source, const QString& work);

signals:
    // Which listed archives are installed changed.
    void marksChanged();
    // An uninstall changed the library.
    void libraryChanged();

private:
    void arrived(LibraryAccess::Snapshot snapshot);

    LibraryAccess& m_library;
    InstalledView m_installedView;
    QHash<QString, QString> m_installedOn;
    bool m_reading = false;
    std::optional<Request> m_next;
};

} // namespace packshelf
