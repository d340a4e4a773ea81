#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <map>
#include <sys/stat.h>

namespace packshelf {

// What one install run knows of the library's folders, shared by the
// run's transactions so that a folder of thousands of packages is read
// once per run, not once per archive: each folder's names by their
// case-folded form, trusted only while the folder is as it was when it was
// read or when the run itself last changed it (its inode, modification
// and change times); and which folders were swept of leftovers. Paths are
// relative to the library, "/" between names.
class FolderListings {
public:
    using Names = QHash<QString, QList<QByteArray>>;

    // The folder's names, when they were kept and the folder is still as
    // `now` finds it; else null.
    const Names* find(const QByteArray& path, const struct ::stat& now) const;
    // Keeps the names read from the folder, found as `before` just before
    // it was read.
    const Names& keep(const QByteArray& path, const struct ::stat& before, Names names);

    // The run placed `name` in the folder: its kept names gain it.
    void added(const QByteArray& folder, const QByteArray& name, bool isFolder);
    // The folder, as the run's change left it, is `now`: its kept names
    // are trusted again.
    void restamp(const QByteArray& folder, const struct ::stat& now);
    // Whatever is kept of the folder and of every folder below it goes.
    void forget(const QByteArray& path);

    // True the first time a folder is swept in the run.
    bool firstSweepOf(const QByteArray& path);

    // The case-folded key of a name, with "/" after a folder's.
    static QString keyOf(const QByteArray& name, bool isFolder);

private:
    struct Stamp {
        ino_t inode = 0;
        struct ::timespec modified {};
        struct ::timespec changed {};
        bool operator==(const Stamp& other) const;
    };
    struct Kept {
        Stamp stamp;
        Names names;
    };
    static Stamp stampOf(const struct ::stat& st);

    // A map, so that the names handed out stay where they are while other
    // folders are kept.
    std::map<QByteArray, Kept> m_kept;
    QSet<QByteArray> m_swept;
};

} // namespace packshelf
