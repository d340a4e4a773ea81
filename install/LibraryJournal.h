#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace packshelf {

class LibraryRecords;
struct Manifest;

// A path below a folder the user chose: every folder on the way below
// `root` is entered without following a link.
struct RootedPath {
    QString root;
    QString relative;

    QString absolute() const;
};

// The steps of one change to a library, written down before they are
// taken. Every step is skipped when it is done already or no longer
// applies, so a journal can be run again, whole, after a crash.
class LibraryJournal {
public:
    // Renames `from` to `to` (replacing it, unless `keepExisting`).
    void rename(RootedPath from, RootedPath to, bool keepExisting = false);
    // Moves a file, copying it where the two are on different file systems.
    void move(RootedPath from, RootedPath to);
    // Removes a file, only while it still has this size and CRC-32.
    void remove(RootedPath path, quint64 size, quint32 crc);
    // Removes a folder when it is empty.
    void removeFolder(RootedPath path);
    // Removes a folder this program made, with all it holds.
    void removeTree(RootedPath path);
    // Writes the record now, under a staging name in the records folder,
    // and renames it into place with the journal.
    void writeRecord(const LibraryRecords& records, const Manifest& manifest);
    void dropRecord(const QString& archive);

    bool isEmpty() const { return m_steps.isEmpty(); }

    // Writes the journal into the records folder, runs it and removes it.
    // Steps that fail are named in `problems`; the rest run all the same.
    bool commit(LibraryRecords& records, QStringList* problems);
    // Runs a journal read back from a file.
    static void replay(const QJsonObject& journal, LibraryRecords& records, QStringList* problems);

private:
    QList<QJsonObject> m_steps;
    QStringList m_problems; // of records that could not be staged
};

} // namespace packshelf
