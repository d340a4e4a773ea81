#include "install/disk/FolderListings.h"

#include <QFile>

namespace packshelf {

bool FolderListings::Stamp::operator==(const Stamp& other) const {
    return inode == other.inode && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec &&
           changed.tv_nsec == other.changed.tv_nsec;
}

FolderListings::Stamp FolderListings::stampOf(const struct ::stat& st) {
    return {st.st_ino, st.st_mtim, st.st_ctim};
}

QString FolderListings::keyOf(const QByteArray& name, bool isFolder) {
    QString key = QFile::decodeName(name).toCaseFolded();
    if (isFolder)
        key += QLatin1Char('/');
    return key;
}

const FolderListings::Names* FolderListings::find(const QByteArray& path,
                                                  const struct ::stat& now) const {
    const auto found = m_kept.find(path);
    if (found == m_kept.end() || !(found->second.stamp == stampOf(now)))
        return nullptr;
    return &found->second.names;
}

const FolderListings::Names& FolderListings::keep(const QByteArray& path,
                                                  const struct ::stat& before, Names names) {
    Kept& kept = m_kept[path];
    kept.stamp = stampOf(before);
    kept.names = std::move(names);
    return kept.names;
}

void FolderListings::added(const QByteArray& folder, const QByteArray& name, bool isFolder) {
    const auto found = m_kept.find(folder);
    if (found == m_kept.end())
        return;
    QList<QByteArray>& spellings = found->second.names[keyOf(name, isFolder)];
    if (!spellings.contains(name))
        spellings.append(name);
}

void FolderListings::restamp(const QByteArray& folder, const struct ::stat& now) {
    if (const auto found = m_kept.find(folder); found != m_kept.end())
        found->second.stamp = stampOf(now);
}

void FolderListings::forget(const QByteArray& path) {
    if (path.isEmpty()) {
        m_kept.clear();
        return;
    }
    m_kept.erase(path);
    const QByteArray below = path + '/';
    for (auto it = m_kept.lower_bound(below); it != m_kept.end() && it->first.startsWith(below);)
        it = m_kept.erase(it);
}

bool FolderListings::firstSweepOf(const QByteArray& path) {
    if (m_swept.contains(path))
        return false;
    m_swept.insert(path);
    return true;
}

} // namespace packshelf
