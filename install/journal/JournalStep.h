#pragma once

#include <QJsonObject>
#include <QString>
#include <functional>
#include <optional>
#include <variant>

#include "core/Result.h"

namespace packshelf {

// A path a journal acts on: below the library, or below a destination of
// an archive's own. Every folder on the way is entered without following a
// link; the library is the folder the command was given, never a stored one.
struct RootedPath {
    QString destination; // empty: the library
    QString relative;

    QString rootIn(const QString& library) const;
    QString absoluteIn(const QString& library) const;
    // The path's folder, and its last name.
    RootedPath folder() const;
    QString name() const;
    RootedPath child(const QString& name) const;
    bool operator==(const RootedPath&) const = default;
};

// A path below the library's records folder.
RootedPath inRecords(const QString& relative);

// What a file must still be for a step to act on it: its size and CRC-32;
// one of this size and modification time is taken to be it.
struct ExpectedContent {
    quint64 size = 0;
    quint32 crc = 0;
    qint64 modified = 0;
};

// The steps a journal is made of, one type per operation. The commit
// steps succeed together or are undone together; the finishing steps after
// them each succeed or fail on their own. Every step is skipped when it is
// done already, so a journal can be run again, whole, after a crash.
namespace step {

// Commit: renames the staged file `staged` of the target's folder over
// `target`, or to it when nothing is there; `original`, a link in the same
// folder to what `target` held, is how an undo puts that back. `inode` is
// the staged file's, noted as the journal is written: a run after a crash
// takes `target` for the staged file only when it is that one.
struct PlaceFile {
    RootedPath target;
    QString staged;
    QString original; // empty: nothing was there, and nothing may be
    quint64 inode = 0;
};
// Commit: renames the staged folder `staged` of the target's folder to
// `target`, where nothing may be; `inode` as for PlaceFile.
struct PlaceFolder {
    RootedPath target;
    QString staged;
    quint64 inode = 0;
};
// Commit: renames `path` to `aside` (a staging name in its folder, or a
// path in a folder the change is keeping in the records folder), only
// while it is still as `expected` says.
struct MoveAside {
    RootedPath path;
    RootedPath aside;
    std::optional<ExpectedContent> expected;
};
// Commit: the staged record `staged` becomes the record file `name` of the
// records folder; `original` links the record it replaces.
struct PlaceRecord {
    QString name;
    QString staged;
    QString original;
};
// Commit: the record file `name` is renamed to `aside` in the records folder.
struct DropRecord {
    QString name;
    QString aside;
};
// Finishing, also after an undo: removes what the change staged or set
// aside under the staging name at `path`, with all it holds.
struct Discard {
    RootedPath path;
};
// Finishing: removes the folder when it is empty.
struct RemoveEmptyFolder {
    RootedPath path;
};
// Finishing: the store lets go of the version of this key, unless a record
// still names it.
struct DropVersion {
    QString key;
};

} // namespace step

using JournalStep =
    std::variant<step::PlaceFile, step::PlaceFolder, step::MoveAside, step::PlaceRecord,
                 step::DropRecord, step::Discard, step::RemoveEmptyFolder, step::DropVersion>;

bool isCommitStep(const JournalStep& step);
// The destination outside the library the step acts in, if any.
QString destinationOf(const JournalStep& step);

QJsonObject toJson(const JournalStep& step);
// The step of a journal read back: fails when the object is not a step of
// a known type with every field it needs.
Result<JournalStep> stepFromJson(const QJsonObject& object);
// Whether a step read back from a file may be taken: it names only what
// this program makes (staging names, records, the store) in their places,
// paths that are relative and safe, and outside the library only the
// destinations `trusted` answers true for.
Status checkStep(const JournalStep& step,
                 const std::function<bool(const QString& destination)>& trusted);

} // namespace packshelf
