#include "install/disk/LibraryFolders.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "install/disk/LibraryFiles.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

constexpr std::size_t DirectoryCacheSize = 256;

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash);
}

} // namespace

bool LibraryFolders::open(const QString& root) {
    m_root.reset(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return m_root.valid();
}

int LibraryFolders::directory(const QByteArray& path) {
    if (path.isEmpty())
        return m_root.get();
    if (const auto found = m_directories.find(path); found != m_directories.end())
        return found->second.get();
    const int parent = directory(parentOf(path));
    if (parent < 0)
        return -1;
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    UniqueFd fd(
        ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return -1;
    // Parents stay below the root: one dropped is opened again when needed.
    if (m_directories.size() >= DirectoryCacheSize)
        m_directories.erase(m_directories.begin());
    const int result = fd.get();
    m_directories.emplace(path, std::move(fd));
    return result;
}

FolderListings::Names LibraryFolders::readListing(const QByteArray& path) {
    FolderListings::Names names;
    const int fd = directory(path);
    const Result<std::vector<DirEntry>> entries =
        fd >= 0 ? entriesOf(fd) : Result<std::vector<DirEntry>>(std::vector<DirEntry>());
    if (entries) {
        for (const DirEntry& entry : *entries)
            names[FolderListings::keyOf(entry.name, entry.folder)].append(entry.name);
    }
    return names;
}

const QHash<QString, QList<QByteArray>>& LibraryFolders::listing(const QByteArray& path) {
    if (!m_shared) {
        const auto found = m_listings.constFind(path);
        if (found != m_listings.constEnd())
            return *found;
        return *m_listings.insert(path, readListing(path));
    }
    // Once taken in this transaction, the names stay as they were taken,
    // even as the transaction stages its own beside them.
    if (const auto seen = m_sharedSeen.constFind(path); seen != m_sharedSeen.constEnd())
        return **seen;
    const int fd = directory(path);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return *m_listings.insert(path, readListing(path));
    const FolderListings::Names* names = m_shared->find(path, st);
    if (!names)
        names = &m_shared->keep(path, st, readListing(path));
    m_sharedSeen.insert(path, names);
    return *names;
}

int LibraryFolders::writeError(const QByteArray& path) {
    if (m_writable.contains(path))
        return 0;
    const int fd = directory(path);
    if (fd < 0)
        return errno;
    if (::faccessat(fd, ".", W_OK, AT_EACCESS) != 0)
        return errno;
    m_writable.insert(path);
    return 0;
}

int LibraryFolders::sweep(const QByteArray& path, bool allStagedAreLeftovers) {
    if (m_swept.contains(path) || (m_shared && !m_shared->firstSweepOf(path)))
        return 0;
    m_swept.insert(path);
    const int fd = directory(path);
    if (fd < 0)
        return 0;
    int removed = 0;
    const Result<std::vector<DirEntry>> entries = entriesOf(fd);
    if (!entries)
        return 0;
    // What cannot be removed now, the next recovery of the library tries again.
    for (const DirEntry& entry : *entries) {
        const pid_t writer = writerOf(entry.name);
        if (writer == 0 || (!allStagedAreLeftovers && !hasEnded(writer)))
            continue;
        if (removeTree(fd, entry.name))
            ++removed;
    }
    return removed;
}

} // namespace packshelf
