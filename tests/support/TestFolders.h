#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>
#include <ostream>

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace packshelf::test {

// Whether a snapshot passes over a library's own records at its top: tests
// about what a library's files look like do; tests about hostile input,
// which must never plant anything among the records, see them.
enum class Records { PassedOver, Seen };

// Everything below a folder (a library's own records at the top aside), by
// relative path: type, size, content hash and
// modification time. Two snapshots compare equal when nothing was created,
// changed or removed.
struct FolderSnapshot {
    struct Entry {
        char type = '?'; // d folder, f file, l link
        qint64 size = 0;
        QByteArray hash;
        qint64 mtime = 0;
        bool operator==(const Entry&) const = default;
    };
    std::map<QString, Entry> entries;
    bool operator==(const FolderSnapshot&) const = default;

    // Every file and folder below `folder`, a library's index of records
    // aside.
    static FolderSnapshot of(const QString& folder, Records records = Records::PassedOver);
    // Paths that differ between the two, for a readable failure.
    static QStringList differences(const FolderSnapshot& before, const FolderSnapshot& after);
};

// Relative paths of every file and folder below `folder` (a library's own
// records at the top aside), sorted; folders end in "/".
QStringList listRecursive(const QString& folder);

// The relative paths of the files alone of listRecursive().
QStringList filesBelow(const QString& folder);

// Every file below `folder`, hidden ones and a library's records included,
// by full path in the order the folder walk gives them.
QStringList filesUnder(const QString& folder);

// Reads a whole file; an empty array when it cannot be read.
QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& data);
// `size` bytes that do not compress, the same for the same seed.
QByteArray pseudoRandom(qsizetype size, quint32 seed);

} // namespace packshelf::test
