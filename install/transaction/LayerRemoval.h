#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/PosixHandles.h"
#include "core/Result.h"
#include "install/records/Manifest.h"

namespace packshelf {

class LibraryChange;
class LibraryRecords;
class VersionHistory;
struct Version;

// What taking files of a package out of the library does, as planned: it
// all happens together when the change is committed, or not at all.
struct RemovalOutcome {
    int removed = 0;         // files the package wrote, removed
    int restored = 0;        // files it had replaced, given back
    int handedOn = 0;        // files a later package wrote over, left to it
    QStringList kept;        // files left as they are (absolute paths)...
    QStringList keptReasons; // ...and why, one each
    // The user's earlier versions of kept files, put back beside them
    // (absolute paths): the file, and where its earlier version now is.
    QStringList originalsOf;
    QStringList originalsAt;
    QStringList warnings;   // what else is not as it should be
    QStringList notRemoved; // the package's files it keeps in its record (record paths)
    // The folder outside the library that needs the user's word first.
    QString needsConfirmation;

    void keep(const QString& path, const QString& reason);
    bool complete() const { return kept.isEmpty() && warnings.isEmpty(); }
};

// Whether a package's files are still as it wrote them: size and
// modification time, or else the CRC-32. Each folder is entered once for
// the files of it that come one after another.
class FileStates {
public:
    // Unreadable: the file could not be read to tell (an input/output error).
    enum class State { AsWritten, Missing, Changed, Unreadable };
    State of(const Manifest& package, const Manifest::File& file);
    // The folder of `path` below the package's root, and the name in it;
    // -1 (errno set) when it cannot be entered.
    int folderOf(const Manifest& package, const QString& path, QByteArray* name);

private:
    QString m_openFolder; // the folder last entered, by root and path
    handles::UniqueFd m_openFd;
};

// Plans taking a package's layer at a path out of the stack of versions
// there (see VersionHistory), into a LibraryChange:
//   - the top of the stack, still as the package wrote it (or gone): what
//     stood there before comes back, or the file goes;
//   - the top, changed since: the file is the user's and stays; when what
//     stood there before was the user's own, it comes back beside it
//     ("name (original).ext");
//   - below another package's layer: the layer above now stands on what
//     stood below this one; a version of the user's that nothing else
//     holds then comes back beside the path.
// A version the store does not hold is never pretended given back: the
// file stays in the package's record, and the outcome says so.
class LayerRemoval {
public:
    LayerRemoval(VersionHistory& history, LibraryChange& change);

    Status remove(const Manifest& package, const Manifest::File& file, RemovalOutcome& outcome);
    // Versions the planned steps may leave no record naming.
    const QSet<QString>& droppedVersions() const { return m_dropped; }
    void mayDrop(const QString& key) { m_dropped.insert(key); }
    // Plans letting go of each version that may be dropped and that no
    // record names once the change is made; the records of `manifests`
    // that could name one are read whole first.
    Status dropUnnamed(LibraryRecords& records, std::vector<Manifest>& manifests);

    using State = FileStates::State;
    State stateOf(const Manifest& package, const Manifest::File& file) {
        return m_states.of(package, file);
    }

private:
    Status removeTop(const Manifest& package, const Manifest::File& file, RemovalOutcome& outcome);
    Status handOn(const Manifest& package, const Manifest::File& file, RemovalOutcome& outcome);
    // Puts a version of the user's back beside `path`, unless the file
    // there is that version.
    Status keepBeside(const Manifest& package, const QString& path, const QString& key,
                      RemovalOutcome& outcome);
    VersionHistory& m_history;
    LibraryChange& m_change;
    QSet<QString> m_dropped;
    QSet<QString> m_besides; // names given out by this change
    FileStates m_states;
};

// The name an earlier version is given beside `path`: "a (original).txt",
// then "a (original 2).txt" and so on.
QString besideName(const QString& path, int attempt);

} // namespace packshelf
