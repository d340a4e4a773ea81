#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "install/PackageRemoval.h"
#include "install/records/Manifest.h"

namespace packshelf {

// What taking back the last install run did, package by package, latest
// first.
struct UndoReport {
    struct Package {
        QString archive;
        RemovalOutcome removal;
        QStringList problems; // steps that failed; the package is then as it was
    };
    std::vector<Package> packages;
    QStringList problems; // records or the run's file that cannot be read
    bool nothingToUndo = false;

    // Every file of every package was removed or restored.
    bool complete() const;
};

// The archives of the packages the last install run wrote, latest first:
// those whose records name the run of the latest record. Nothing when that
// record names no run (it was written before runs were recorded).
QStringList lastInstallRun(const std::vector<Manifest>& manifests);

// Under the change lock, takes out the packages of the last install run of
// `library` (see lastInstallRun), latest first, exactly as an uninstall
// does: what they replaced comes back, what the user changed since is
// kept. Run again, it takes back the run before. Fails when the library
// cannot be changed. Usable from a worker thread;
// `waiting` hears when another process holds the library.
Status undoLastInstall(const QString& library, UndoReport* report,
                       const std::function<void(const QString&)>& waiting = nullptr);

} // namespace packshelf
