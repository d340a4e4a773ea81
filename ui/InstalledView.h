#pragma once

#include <QHash>
#include <QObject>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QString>
#include <QStringList>

#include "ui/LibraryJobs.h"

class QDialog;

namespace Ui {
class InstalledSheet;
}

namespace packshelf {

class MainWindow;
struct PlatformServices;

// The sheet of the library's installed packages: each with the time of its
// install, the files it brought, how many of them replaced a file and how
// many bytes they hold, sortable by every column and filtered by name; the
// records that cannot be read (their packages are unknown); and Uninstall,
// which asks first, runs off the main thread and then says what was
// removed, put back and kept. The selection stays where the user left it:
// after an uninstall, on the row that took the place of the first one
// taken out.
class InstalledView : public QObject {
    Q_OBJECT
public:
    InstalledView(MainWindow& window, LibraryJobs& library, PlatformServices& services,
                  QObject* parent = nullptr);

    // Opens the sheet on `library`; the packages appear with show().
    void open(const QString& library);
    // The source and work folders Repair takes the archives from and works
    // in.
    void setFolders(const QString& source, const QString& work);
    // The library as just read; ignored while the sheet is closed or shows
    // another library.
    void show(const LibraryJobs::Snapshot& snapshot);
    bool isOpen() const;

signals:
    // An uninstall changed the library.
    void libraryChanged();

private:
    void uninstallSelected();
    void verify();
    void verified(const LibraryJobs::Verification& verification);
    void markUnverified();
    void repairSelected();
    void repaired(const LibraryJobs::Repairing& repairing);
    bool archivesAtHand(const QStringList& archives) const;
    void uninstalled(const LibraryJobs::UninstallReport& report);
    void showPackages(const std::vector<Manifest>& manifests);
    QStringList selectedArchives() const;
    void enableUninstall();
    // Something is selected whenever there are rows: the previous
    // selection, else the row at `row` (or the last one).
    void keepSelection(const QStringList& wanted, int row);

    Ui::InstalledSheet& m_ui;
    QDialog* m_sheet;
    LibraryJobs& m_library;
    PlatformServices& m_services;
    QStandardItemModel m_packages;
    QSortFilterProxyModel* m_view; // the order and the filter shown
    QString m_shown;               // the library the sheet shows
    bool m_uninstalling = false;
    bool m_verifying = false;
    bool m_repairing = false;
    QString m_source;
    QString m_work;
    // The packages the last verification found not as installed, with what
    // it found.
    QHash<QString, QString> m_notAsInstalled;
};

} // namespace packshelf
