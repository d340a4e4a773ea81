#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "install/InstallJob.h"
#include "install/LibraryTransaction.h"

namespace packshelf {

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
    QString problem; // why it would fail; nothing would be written then
    std::vector<File> files;

    int count(LibraryTransaction::Change::Kind kind) const;
    // The installed packages and the archives of the same install it
    // conflicts with, each once.
    QStringList conflicts() const;
};

// Compares what every record of `job` would write, in order, with the
// library and with what the records before it would write: the same
// comparison, the same letter-case matching and the same order the install
// then uses, so its counts are the install's.
std::vector<PackagePreview> previewInstall(const InstallJob& job);

} // namespace packshelf
