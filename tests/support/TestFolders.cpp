#include "tests/support/TestFolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace packshelf::test {

namespace {
// Calls `visit` with the relative path and the info of everything below
// `folder`, hidden entries included, links not followed; a library's own
// records (".packshelf" at the top) aside.
template <typename Visit>
void forEachEntryBelow(const QString& folder, Visit visit, Records records = Records::PassedOver) {
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = base.relativeFilePath(path);
        if (records == Records::Seen ||
            (relative != QLatin1String(".packshelf") && !relative.startsWith(".packshelf/")))
            visit(relative, QFileInfo(path));
    }
}
} // namespace

FolderSnapshot FolderSnapshot::of(const QString& folder, Records records) {
    FolderSnapshot snapshot;
    forEachEntryBelow(
        folder,
        [&](const QString& relative, const QFileInfo& info) {
            // The library's index of records is a cache of its records, which
            // any command that changes the library may bring up to date.
            if (info.fileName() == "records.index" && info.dir().dirName() == ".packshelf")
                return;
            Entry entry;
            entry.type = info.isSymLink() ? 'l' : info.isDir() ? 'd' : 'f';
            if (entry.type == 'f') {
                entry.size = info.size();
                entry.hash =
                    QCryptographicHash::hash(readFile(info.filePath()), QCryptographicHash::Sha1);
                entry.mtime = info.lastModified().toMSecsSinceEpoch();
            }
            snapshot.entries[relative] = entry;
        },
        records);
    return snapshot;
}

QStringList FolderSnapshot::differences(const FolderSnapshot& before, const FolderSnapshot& after) {
    QStringList result;
    for (const auto& [path, entry] : before.entries) {
        const auto found = after.entries.find(path);
        if (found == after.entries.end())
            result << QStringLiteral("removed: ") + path;
        else if (!(found->second == entry))
            result << QStringLiteral("changed: ") + path;
    }
    for (const auto& [path, entry] : after.entries) {
        if (!before.entries.count(path))
            result << QStringLiteral("created: ") + path;
    }
    return result;
}

QStringList filesBelow(const QString& folder) {
    QStringList files = listRecursive(folder);
    files.removeIf([](const QString& path) { return path.endsWith('/'); });
    return files;
}

QStringList filesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

QStringList listRecursive(const QString& folder) {
    QStringList result;
    forEachEntryBelow(folder, [&](const QString& relative, const QFileInfo& info) {
        result << relative + (info.isDir() && !info.isSymLink() ? QStringLiteral("/") : QString());
    });
    result.sort();
    return result;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray pseudoRandom(qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    for (qsizetype i = size / 4 * 4; i < size; ++i)
        bytes[i] = char(generator.generate());
    return bytes;
}

} // namespace packshelf::test
