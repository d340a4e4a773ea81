#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "ui/LibraryAccess.h"

class QDialog;

namespace Ui {
class InstalledSheet;
}

namespace packshelf {

class MainWindow;
struct PlatformServices;

// The sheet of the library's installed packages: each with the time of its
// install, the files it brought and how many of them replaced a file; the
// records that cannot be read (their packages are unknown); and Uninstall,
// which asks first, runs off the main thread and then says what was
// removed, put back and kept.
class InstalledView : public QObject {
    Q_OBJECT
public:
    InstalledView(MainWindow& window, LibraryAccess& library, PlatformServices& services,
                  QObject* parent = nullptr);

    // Opens the sheet on `library`; the packages appear with show().
    void open(const QString& library);
    // The library as just read; ignored while the sheet is closed or shows
    // another library.
    void show(const LibraryAccess::Snapshot& snapshot);
    bool isOpen() const;

signals:
    // An uninstall changed the library.
    void libraryChanged();

private:
    void uninstallSelected();
    void uninstalled(const LibraryAccess::UninstallReport& report);
    void showPackages(const std::vector<Manifest>& manifests);
    QStringList selectedArchives() const;
    void enableUninstall();

    Ui::InstalledSheet& m_ui;
    QDialog* m_sheet;
    LibraryAccess& m_library;
    PlatformServices& m_services;
    QString m_shown; // the library the sheet shows
    bool m_uninstalling = false;
};

} // namespace packshelf
