#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace packshelf {

class LibraryRecords;
struct Manifest;

// A path a journal acts on: below the library, or below a destination of
// an archive's own. Every folder on the way is entered without following a
// link; the library is the folder the command was given, never a stored one.
struct RootedPath {
    QString destination; // empty: the library
    QString relative;

    QString rootIn(const QString& library) const;
    QString absoluteIn(const QString& library) const;
};

// A path below the library's records folder.
RootedPath inRecords(const QString& relative);

// The steps of one change to a library, written down before they are
// taken. The journal is written whole, with a digest and an end mark, and
// synced once before its first step acts, so that a journal cut short
// while it was written (and never acted on) is told apart from one damaged
// later, which may hold the only way back and is never thrown away.
//
// Steps come in two phases. The commit steps (renames into place, moves
// of backups, records) succeed together or not at all: when one fails, the
// ones done are undone in reverse order, so the library is as it was.
// The clean-up steps after them (removals) each succeed or fail on their
// own and say so. Every step is skipped when it is done already, so a
// journal can be run again, whole, after a crash.
class LibraryJournal {
public:
    // What a clean-up step stands for, so that an uninstall can count what
    // really happened on disk.
    enum class Tally { None, Removed, Restored, HandedOn };

    struct Result {
        Tally tally = Tally::None;
        QString shown; // the library path it concerns, for messages
        bool done = false;
        QString problem; // why it was not done
    };

    // Renames `from` to `to` (replacing it, unless `keepExisting`); when
    // `original` is given, it holds a link to what `to` held, which an
    // undo puts back.
    void rename(RootedPath from, RootedPath to, bool keepExisting = false,
                std::optional<RootedPath> original = std::nullopt);
    // Moves a backup, copying it where the two are on different file systems.
    void move(RootedPath from, RootedPath to);
    // Puts a backup back in the library, as a clean-up step.
    void restore(RootedPath backup, RootedPath to, Tally tally = Tally::Restored);
    // Removes a file, only while it still has this size and CRC-32.
    void remove(RootedPath path, quint64 size, quint32 crc, Tally tally = Tally::Removed);
    // Removes a folder when it is empty.
    void removeFolder(RootedPath path);
    // Removes a folder (or file) this program made, with all it holds.
    void removeTree(RootedPath path);
    // Writes the record now, under a staging name in the records folder,
    // and renames it into place as a commit step.
    void writeRecord(const LibraryRecords& records, const Manifest& manifest);
    void dropRecord(const QString& archive);

    bool isEmpty() const { return m_steps.isEmpty(); }

    // Writes the journal into the records folder, runs it and removes it.
    // False when the commit steps could not all be taken (they were then
    // undone) or the journal could not be written; clean-up steps that
    // fail are named in `problems` and in results().
    bool commit(LibraryRecords& records, QStringList* problems);
    // After a failed commit: the undo failed too, and the journal is kept
    // with everything it names.
    bool leftForRecovery() const { return m_leftForRecovery; }
    // Per clean-up step with a tally, in order: what happened.
    const std::vector<Result>& results() const { return m_results; }

    // A journal file's content; nothing when it is damaged (cut short,
    // changed, or not a journal). One of the earlier form, which named the
    // library by its absolute path, is read when that path is `library`'s.
    static std::optional<QJsonObject> parse(const QByteArray& bytes, const QString& library);
    // Runs a journal read back from a file, whose steps are first checked
    // to name only what this program makes and only the library or the
    // `destinations` of its records. False, with `problems` set, when it was
    // refused or could not be finished nor undone.
    static bool replay(const QJsonObject& journal, LibraryRecords& records,
                       const QSet<QString>& destinations, QStringList* problems);

private:
    QList<QJsonObject> m_steps;
    QStringList m_problems;        // of records that could not be staged
    QList<QByteArray> m_temporary; // staged records and links, in the records folder
    std::vector<Result> m_results;
    bool m_leftForRecovery = false;
};

} // namespace packshelf
