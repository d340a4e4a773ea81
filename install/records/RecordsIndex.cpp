#include "install/records/RecordsIndex.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>
#include <zlib.h>

#include "core/PosixHandles.h"
#include "install/disk/LibraryFiles.h"
#include "install/records/BinaryForm.h"

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
    const QByteArrayView body = bytes.sliced(MagicSize, bytes.size() - MagicSize - EndMarkSize);
    BinaryReader in(body);
    const quint64 count = in.get<quint64>();
    std::vector<Entry> entries;
    for (quint64 i = 0; in.ok() && i < count; ++i) {
        Entry entry;
        const qsizetype start = in.position();
        entry.name = in.bytes().toByteArray();
        entry.stamp.size = in.get<qint64>();
        entry.stamp.modifiedNs = in.get<qint64>();
        entry.stamp.changedNs = in.get<qint64>();
        entry.stamp.inode = in.get<quint64>();
        entry.record = in.bytes();
        entry.crc = in.get<quint32>();
        entry.encoded = body.sliced(start, in.position() - start);
        if (in.ok())
            entries.push_back(std::move(entry));
    }
    if (!in.ok() || !in.atEnd())
        return std::nullopt;
    return entries;
}

namespace {

QByteArray encodeEntry(const Entry& entry) {
    BinaryWriter out;
    out.reserve(entry.name.size() + entry.record.size() + 64);
    out.putBytes(entry.name);
    out.put(entry.stamp.size);
    out.put(entry.stamp.modifiedNs);
    out.put(entry.stamp.changedNs);
    out.put(entry.stamp.inode);
    out.putBytes(entry.record);
    out.put(crcOf(entry.record));
    return out.take();
}

// The index as pieces to write one after the other: an entry decoded from
// an index file is its bytes there, unchanged; the others are encoded into
// `storage`. Pieces that lie one after the other are joined.
std::vector<QByteArrayView> piecesOf(const std::vector<Entry>& entries,
                                     std::deque<QByteArray>& storage) {
    BinaryWriter header;
    header.putRaw(QByteArrayView(Magic, MagicSize));
    header.put(quint64(entries.size()));
    std::vector<QByteArrayView> pieces{storage.emplace_back(header.take())};
    for (const Entry& entry : entries) {
        const QByteArrayView piece = entry.encoded.isNull()
                                         ? QByteArrayView(storage.emplace_back(encodeEntry(entry)))
                                         : entry.encoded;
        QByteArrayView& last = pieces.back();
        if (last.data() + last.size() == piece.data())
            last = QByteArrayView(last.data(), last.size() + piece.size());
        else
            pieces.push_back(piece);
    }
    pieces.emplace_back(EndMark, EndMarkSize);
    return pieces;
}

bool writePieces(int fd, const std::vector<QByteArrayView>& pieces) {
    std::vector<iovec> vectors;
    for (const QByteArrayView& piece : pieces)
        vectors.push_back({const_cast<char*>(piece.data()), std::size_t(piece.size())});
    for (std::size_t first = 0; first < vectors.size();) {
        const int count = int(std::min<std::size_t>(vectors.size() - first, IOV_MAX));
        const ssize_t written = ::writev(fd, vectors.data() + first, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        // Passes over what was written, which may end within a piece.
        for (std::size_t done = std::size_t(written); done > 0;) {
            iovec& vector = vectors[first];
            const std::size_t taken = std::min(done, vector.iov_len);
            vector.iov_base = static_cast<char*>(vector.iov_base) + taken;
            vector.iov_len -= taken;
            done -= taken;
            if (vector.iov_len == 0)
                ++first;
        }
        while (first < vectors.size() && vectors[first].iov_len == 0)
            ++first;
    }
    return true;
}

} // namespace

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

bool write(int folderFd, const std::vector<Entry>& entries) {
    std::deque<QByteArray> storage;
    const std::vector<QByteArrayView> pieces = piecesOf(entries, storage);
    const QByteArray staged = library::stagingName();
    UniqueFd fd(::openat(folderFd, staged.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.valid() && writePieces(fd.get(), pieces) && fd.close() &&
        ::renameat(folderFd, staged.constData(), folderFd, FileName) == 0)
        return true;
    ::unlinkat(folderFd, staged.constData(), 0);
    return false;
}

} // namespace recordsindex

} // namespace packshelf
