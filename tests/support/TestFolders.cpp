#include "tests/support/TestFolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace packshelf::test {

FolderSnapshot FolderSnapshot::of(const QString& folder) {
    FolderSnapshot snapshot;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        Entry entry;
        entry.type = info.isSymLink() ? 'l' : info.isDir() ? 'd' : 'f';
        if (entry.type == 'f') {
            entry.size = info.size();
            entry.hash = QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha1);
            entry.mtime = info.lastModified().toMSecsSinceEpoch();
        }
        snapshot.entries[base.relativeFilePath(path)] = entry;
    }
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

QStringList listRecursive(const QString& folder) {
    QStringList result;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        result << base.relativeFilePath(path) +
                      (info.isDir() && !info.isSymLink() ? QStringLiteral("/") : QString());
    }
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

} // namespace packshelf::test
