#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <functional>
#include <vector>

#include "install/records/Manifest.h"

namespace packshelf {

class Executor;

// One recorded file of a package that is not as the package wrote it.
struct FileCheck {
    enum class State { AsInstalled, Changed, Missing, NotAFile, Unreadable };
    QString path; // as the record names it, below the package's root
    State state = State::AsInstalled;
};

// The name of a state in reports: "as installed", "changed", "missing",
// "not a file", "unreadable".
QString fileStateName(FileCheck::State state);

// What verifying one package found.
struct PackageCheck {
    QString archive;
    QString root;                 // where its files are
    int checked = 0;              // the files it wrote that are still its own
    std::array<int, 5> counts{};  // by FileCheck::State
    std::vector<FileCheck> files; // those not as installed, in record order

    int count(FileCheck::State state) const { return counts[std::size_t(state)]; }
    bool asInstalled() const { return files.empty(); }
};

enum class VerifyDepth {
    // A file of the recorded size and time is taken as recorded; the
    // content (CRC-32) is read only when the time differs.
    Quick,
    // Every file's content is read.
    Full,
};

// Checks every file each package of `packages` (indices into `manifests`)
// wrote and still owns, that is, that no package installed after it wrote
// again, against its record. Reads only; nothing is followed through a
// symbolic link. Packages are checked side by side on `executor`; `cancel`
// stops early.
std::vector<PackageCheck> verifyPackages(const std::vector<Manifest>& manifests,
                                         const std::vector<std::size_t>& packages,
                                         VerifyDepth depth, Executor& executor,
                                         const std::atomic<bool>* cancel = nullptr);

// The files and folders below `library` that no record names, its records
// folder and staged leftovers aside: a folder none of whose content is
// recorded is named once, with a trailing "/". Paths are relative to the
// library; links are listed, never followed.
QStringList foreignPaths(const std::vector<Manifest>& manifests, const QString& library);

// Everything `verifyLibrary` found.
struct VerifyReport {
    std::vector<PackageCheck> packages; // in install order
    QStringList foreign;                // with `foreign` asked for
    QStringList problems;               // records and journals that cannot be read
    QStringList notInstalled;           // names asked for that are not installed
    QStringList unreadable;             // names asked for whose record cannot be read

    bool asInstalled() const;
};

// Verifies the packages of `names` (all when empty) in `library` under the
// shared lock, writing nothing; with `foreign`, also lists what no record
// names. Fails when the library cannot be locked. The records are read, and
// the packages checked, side by side on `executor`.
// Usable from a worker thread; `waiting` hears when another process holds
// the library.
Status verifyLibrary(const QString& library, const QStringList& names, VerifyDepth depth,
                     bool foreign, Executor& executor, VerifyReport* report,
                     const std::function<void(const QString&)>& waiting = nullptr,
                     const std::atomic<bool>* cancel = nullptr);

} // namespace packshelf
