#include "install/RecordsIndex.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <zlib.h>

#include "archive/ZipHandles.h"
#include "install/BinaryForm.h"
#include "install/LibraryFiles.h"

namespace packshelf {

using handles::UniqueFd;

RecordStamp stampOf(const struct stat& st) {
    const auto nanoseconds = [](const timespec& time) {
        return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return {qint64(st.st_size), nanoseconds(st.st_mtim), nanoseconds(st.st_ctim),
            quint64(st.st_ino)};
}

namespace recordsindex {

quint32 crcOf(QByteArrayView record) {
    uLong crc = ::crc32(0L, Z_NULL, 0);
    for (qsizetype done = 0; done < record.size();) {
        const uInt chunk = uInt(std::min<qsizetype>(record.size() - done, 1 << 30));
        crc = ::crc32(crc, reinterpret_cast<const Bytef*>(record.data() + done), chunk);
        done += chunk;
    }
    return quint32(crc);
}

namespace {

// The first bytes of an index, its version in the last of them.
constexpr char Magic[] = "PackShelf records index 1\n";
constexpr qsizetype MagicSize = sizeof Magic - 1;
// The last bytes of a whole index: one cut short lacks them.
constexpr char EndMark[] = "\nend of index\n";
constexpr qsizetype EndMarkSize = sizeof EndMark - 1;

} // namespace

std::optional<std::vector<Entry>> decode(QByteArrayView bytes) {
    if (bytes.size() < MagicSize + EndMarkSize || !bytes.startsWith(QByteArrayView(Magic)) ||
        !bytes.endsWith(QByteArrayView(EndMark)))
        return std::nullopt;
    BinaryReader in(bytes.sliced(MagicSize, bytes.size() - MagicSize - EndMarkSize));
    const quint64 count = in.get<quint64>();
    std::vector<Entry> entries;
    for (quint64 i = 0; in.ok() && i < count; ++i) {
        Entry entry;
        entry.name = in.bytes().toByteArray();
        entry.stamp.size = in.get<qint64>();
        entry.stamp.modifiedNs = in.get<qint64>();
        entry.stamp.changedNs = in.get<qint64>();
        entry.stamp.inode = in.get<quint64>();
        entry.record = in.bytes();
        entry.crc = in.get<quint32>();
        if (in.ok())
            entries.push_back(std::move(entry));
    }
    if (!in.ok() || !in.atEnd())
        return std::nullopt;
    return entries;
}

QByteArray encode(const std::vector<Entry>& entries) {
    qsizetype size = MagicSize + qsizetype(sizeof(quint64)) + EndMarkSize;
    for (const Entry& entry : entries)
        size += entry.name.size() + entry.record.size() + 6 * qsizetype(sizeof(quint64)) +
                qsizetype(sizeof(quint32));
    BinaryWriter out;
    out.reserve(size);
    out.putRaw(QByteArrayView(Magic, MagicSize));
    out.put(quint64(entries.size()));
    for (const Entry& entry : entries) {
        out.putBytes(entry.name);
        out.put(entry.stamp.size);
        out.put(entry.stamp.modifiedNs);
        out.put(entry.stamp.changedNs);
        out.put(entry.stamp.inode);
        out.putBytes(entry.record);
        out.put(crcOf(entry.record));
    }
    out.putRaw(QByteArrayView(EndMark, EndMarkSize));
    return out.take();
}

MappedIndex::MappedIndex(int folderFd) {
    const UniqueFd fd(::openat(folderFd, FileName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
        return;
    // Read at once: every page of it is about to be.
    void* data = ::mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                        fd.get(), 0);
    if (data == MAP_FAILED)
        return;
    m_data = static_cast<const char*>(data);
    m_size = std::size_t(st.st_size);
}

MappedIndex::~MappedIndex() {
    if (m_data)
        ::munmap(const_cast<char*>(m_data), m_size);
}

bool write(int folderFd, const QByteArray& bytes) {
    const QByteArray staged = library::stagingName();
    UniqueFd fd(::openat(folderFd, staged.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.valid() && library::writeAll(fd.get(), bytes.constData(), std::size_t(bytes.size())) &&
        fd.close() && ::renameat(folderFd, staged.constData(), folderFd, FileName) == 0)
        return true;
    ::unlinkat(folderFd, staged.constData(), 0);
    return false;
}

} // namespace recordsindex

} // namespace packshelf
