#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/Result.h"
#include "install/journal/JournalStep.h"
#include "install/journal/LibraryJournal.h"
#include "install/journal/StagingLog.h"
#include "install/store/Version.h"

namespace packshelf {

class LibraryRecords;
class VersionStore;
struct Manifest;

// One change to a library, made the one way every command makes one:
// first what it needs is prepared beside its places (files staged under
// staging names, versions set aside into the store, links to what will be
// replaced), each folder it stages in noted in the staging log; then the
// steps are written down as one journal and carried out from it (see
// LibraryJournal). A change given up, or whose commit was undone, takes
// away what it prepared; one committed or left for recovery leaves it to
// the journal.
class LibraryChange {
public:
    LibraryChange(QString library, VersionStore& store, LibraryRecords& records);
    ~LibraryChange();
    LibraryChange(const LibraryChange&) = delete;
    LibraryChange& operator=(const LibraryChange&) = delete;

    const QString& library() const { return m_library; }
    VersionStore& store() { return m_store; }

    // Notes a folder in which a staging name is about to be made, so that a
    // run after a crash clears it: in the staging log for the library's
    // folders. Fails when it cannot be noted.
    Status noteStaging(const RootedPath& folder);
    // A staging name made in `folder` outside the journal's steps, which a
    // given-up change removes.
    void staged(const RootedPath& path);

    // Sets aside what stands at `path` into the store (see VersionStore).
    Result<Version> setAside(const RootedPath& path);
    // A link (or a copy) of what stands at `path`, under a staging name
    // beside it, for an undo to put back; answers the name.
    Result<QString> keepOriginal(const RootedPath& path);
    // Puts `version`, copied from the store, at `path` with the commit:
    // staged beside it (the folders on the way made, staged too, where they
    // are missing), then placed over what stands there, which `original`
    // (see keepOriginal) keeps, or where nothing is.
    Status putVersion(const Version& version, const RootedPath& path,
                      const QString& original = QString());

    // Steps. A placed file replaces what is there only with an original.
    void placeFile(const RootedPath& target, const QString& staged, const QString& original);
    void placeFolder(const RootedPath& target, const QString& staged);
    // Takes a file that is still as `expected` out of its place.
    Status removeFile(const RootedPath& path, const ExpectedContent& expected);
    void moveAside(const RootedPath& path, const RootedPath& aside,
                   std::optional<ExpectedContent> expected);
    void removeEmptyFolder(const RootedPath& path);
    void dropVersion(const QString& key);
    void discard(const RootedPath& path);
    // Keeps what stands at `path` for the user before it is replaced: a
    // link (or a copy) of a file, or the thing itself moved with the commit
    // (`move`: a link or folder where a file belongs), below `below` of a
    // new folder "repaired-TIME-…" of the records folder, which the commit
    // gives its name. Answers where it will be.
    Result<QString> keepForUser(const RootedPath& path, const QString& below, bool move);

    // The record is staged now and placed by a commit step.
    Status writeRecord(const Manifest& manifest);
    void dropRecord(const QString& archive);

    bool isEmpty() const { return m_journal.isEmpty(); }
    // The steps of the change, in the order they are taken.
    const std::vector<JournalStep>& steps() const { return m_journal.steps(); }
    // Carries the change out through its journal. Fails when it was not
    // made (undone, or left for recovery); answers the finishing steps that
    // failed, which the next command finishes.
    Result<QStringList> commit();
    bool leftForRecovery() const { return m_leftForRecovery; }
    // The versions this change added to the store.
    const QSet<QString>& addedVersions() const { return m_added; }

private:
    // The staging spot for `path`: its folder (made, staged, where missing)
    // and the name to write; `placed` tells whether a step must place it.
    struct Spot {
        handles::UniqueFd folder;
        QByteArray name;
        bool placeStep = true;
    };
    Result<Spot> spotFor(const RootedPath& path);
    void rollback();

    QString m_library;
    VersionStore& m_store;
    LibraryRecords& m_records;
    LibraryJournal m_journal;
    StagingLog m_log;
    std::vector<RootedPath> m_staged; // made before the journal
    QSet<QString> m_added;
    // Missing folders made under a staging name, by the path they will
    // have (destination, NUL, path), and that name.
    QHash<QString, QString> m_stagedBranches;
    // The folder of versions kept for the user: staged, and its name.
    QString m_keptStaged;
    QString m_keptName;
    bool m_committed = false;
    bool m_leftForRecovery = false;
};

} // namespace packshelf
