#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/Result.h"

namespace packshelf {

class DestinationTrust;
class LibraryRecords;
class VersionStore;

// What runs that ended before their change was done left in a library, and
// how it is put right: each journal is finished or undone, what the
// changes staged is cleared, and versions nothing names any more leave the
// store. Only under the library's exclusive lock; every command that
// changes the library does it first.
class LibraryRecovery {
public:
    // What a recovery did.
    struct Report {
        QStringList finished;   // journals whose change was made whole
        QStringList undone;     // journals whose change was taken back, and why
        QStringList cleared;    // what ended runs had staged, removed
        QStringList unfinished; // what could not be cleared, each naming its path
        // Records that could not be read, each with why: while one is
        // unknown, no version leaves the store.
        QStringList storeKeptFor;
    };

    LibraryRecovery(QString library, LibraryRecords& records, VersionStore& store,
                    const DestinationTrust& trust);

    // Finishes or undoes every journal, then clears what was staged (and,
    // with `wholeStore` or when a run was found interrupted, the versions no
    // record names). Fails, naming each journal that cannot be read or
    // carried out, when one cannot: the library is then left as it is, with
    // everything the change staged and set aside, and must not change until
    // setAside() was run.
    Result<Report> recover(bool wholeStore = false);
    // Writes nothing: lines naming the journals that wait to be finished or
    // cannot be read.
    static QStringList pendingChanges(const QString& library);
    // Moves each journal that cannot be read or carried out, the staging
    // logs and the staged files they name, into a new "recovered-…" folder
    // of the records folder, where they stay for the user; answers the
    // paths they have there.
    Result<QStringList> setAside();

private:
    Status replay(const QByteArray& name, Report& report);
    Status clearStaged(Report& report);
    Status sweepStore(Report& report);
    bool isNamed(const QString& key);

    QString m_library;
    LibraryRecords& m_records;
    VersionStore& m_store;
    const DestinationTrust& m_trust;
    // The versions the records name, read once when a replay asks.
    std::optional<QSet<QString>> m_named;
};

// The line that says a journal cannot be read or carried out.
QString journalProblem(const QString& path, const QString& library, const QString& why);

} // namespace packshelf
