#include "install/transaction/FileHistory.h"

#include <fcntl.h>

#include "core/PosixHandles.h"
#include "install/disk/LibraryFiles.h"

namespace packshelf {

FileHistory::Files FileHistory::filesOf(const std::vector<Manifest>& manifests) {
    Files files;
    for (const Manifest& manifest : manifests)
        addFiles(files, manifest);
    return files;
}

void FileHistory::addFiles(Files& files, const Manifest& manifest) {
    QHash<QString, Known>& below = files[manifest.root];
    for (const Manifest::File& file : manifest.files)
        below.insert(file.path, {manifest.archive, file.size, file.crc, file.modified});
}

FileHistory::FileHistory(const QString& root, const Files* files,
                         const std::vector<Manifest>& others,
                         const std::optional<Manifest>& previous)
    : m_knows(true) {
    if (!files) {
        m_made = filesOf(others);
        if (previous)
            addFiles(m_made, *previous);
        files = &m_made;
    }
    const auto below = files->constFind(root);
    if (below != files->constEnd())
        m_below = &*below;
    if (previous) {
        for (const Manifest::File& file : previous->files)
            m_earlier.insert(file.path, &file);
    }
}

const FileHistory::Known* FileHistory::known(const QString& path) const {
    if (!m_below)
        return nullptr;
    const auto found = m_below->constFind(path);
    return found == m_below->constEnd() ? nullptr : &*found;
}

std::optional<quint32> FileHistory::crcOf(int dirFd, const QByteArray& name,
                                          const struct ::stat& st, const QString& path) const {
    const Known* record = known(path);
    if (record && record->size == quint64(st.st_size) && record->modified == st.st_mtim.tv_sec)
        return record->crc;
    if (st.st_size == 0)
        return 0;
    handles::UniqueFd fd(::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    quint32 crc = 0;
    // A file that cannot be read is like no other: it is written anew.
    if (!fd.valid() || !library::crcOfFile(fd.get(), quint64(st.st_size), &crc))
        return std::nullopt;
    return crc;
}

void FileHistory::apply(Manifest::File& file, bool& backUp, QString& owner,
                        const std::function<std::optional<quint32>()>& currentCrc) const {
    if (!m_knows)
        return;
    const bool found = bool(currentCrc);
    const Manifest::File* before = earlier(file.path);
    // Still as the earlier version wrote it?
    const bool asEarlier = before && found && currentCrc() == before->crc;
    if (before && before->written() && asEarlier) {
        file.action = before->action;
        file.backup = before->backup;
        file.previousOwner = before->previousOwner;
        backUp = false;
        return;
    }
    if (before && !before->written()) {
        owner = before->previousOwner;
    } else if (found) {
        // The file is a package's only while it is as that package wrote it;
        // a version the user changed is the user's, and so is its backup.
        const Known* record = known(file.path);
        if (record && currentCrc() == record->crc)
            owner = record->owner;
    }
    if (file.action != Manifest::File::Action::New)
        file.previousOwner = owner;
    if (backUp)
        file.backup = file.path;
}

} // namespace packshelf
