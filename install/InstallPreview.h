#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "analysis/ItemState.h"
#include "install/InstallJob.h"
#include "install/transaction/LibraryTransaction.h"

namespace packshelf {

class Executor;

// What an install of one archive would do, worked out without writing
// anything.
struct PackagePreview {
    struct File {
        QString path; // under the library, or absolute for a destination of its own
        LibraryTransaction::Change::Kind kind = LibraryTransaction::Change::Kind::Add;
        QString owner;         // the installed package whose file it replaces
        QString overwrittenBy; // a later archive of the same install that writes it again
    };

    QString archive;
    // Why it would fail, as the install's "REASON" would say it ("PATH:
    // REASON"); nothing would be written then.
    QString problem;
    ItemError error = ItemError(0); // the install's "ERROR" when it would fail
    QStringList warnings;           // what the install would note in "WARNING"
    bool unchanged = false;         // installed from this very archive, unchanged: left alone
    // A nested archive at the top that would not be installed: the
    // install's "ERROR" for it, with "INFO" "Failed!", though it installs.
    ItemError nestedError = ItemError(0);
    std::vector<File> files;

    int count(LibraryTransaction::Change::Kind kind) const;
    // The installed packages and the archives of the same install it
    // conflicts with, each once.
    QStringList conflicts() const;
};

// Compares what every record of `job` would write, in order, with the
// library as each would find it: what is there now and what the records
// before it would have written (unless they would fail). The same
// comparison, letter-case matching, order and checks the install then
// uses — a folder that cannot be written to, a file where a folder goes or
// a folder where a file goes, the free space the batch needs — so its
// counts and failures are the install's, apart from what only writing can
// reveal. The archives are compared side by side on `executor`.
std::vector<PackagePreview> previewInstall(const InstallJob& job, Executor& executor);

} // namespace packshelf
