#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace packshelf {

// What tells a record file apart from the same name written again: a new
// content or a rename over it changes one of these.
struct RecordStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 inode = 0;
    bool operator==(const RecordStamp&) const = default;
};
RecordStamp stampOf(const struct stat& st);

// A compact copy of the library's records in one file of the records
// folder, so that a library of thousands of packages is read with one read
// rather than a file and a JSON parse per package. It only speeds reading
// up: an entry stands for a record file only while that file bears the
// stamp the entry names, and what it holds goes through the same checks as
// the file. An index that is torn, damaged or of another version is passed
// over.
namespace recordsindex {

inline constexpr char FileName[] = "records.index";

struct Entry {
    QByteArray name; // the record file's name in the records folder
    RecordStamp stamp;
    QByteArrayView record; // Manifest::toBinary(), within the bytes decoded
    quint32 crc = 0;       // of `record`: checked by whoever reads it
    // The whole entry as it lies in the index file it was decoded from,
    // written again as it is; null for an entry to be encoded.
    QByteArrayView encoded;
};

// The CRC-32 of an entry's record.
quint32 crcOf(QByteArrayView record);

// The entries of an index file's bytes; nothing when they are not a whole
// index of this version. Each entry's CRC is left to be checked where its
// record is read, side by side with the others.
std::optional<std::vector<Entry>> decode(QByteArrayView bytes);

// The index file of an open records folder, mapped into memory while this
// lives; empty when there is none or it cannot be read.
class MappedIndex {
public:
    explicit MappedIndex(int folderFd);
    ~MappedIndex();
    MappedIndex(const MappedIndex&) = delete;
    MappedIndex& operator=(const MappedIndex&) = delete;
    QByteArrayView bytes() const { return {m_data, qsizetype(m_size)}; }

private:
    const char* m_data = nullptr;
    std::size_t m_size = 0;
};
// Writes the index of `entries` under a staging name and renames it into
// place; false, with nothing left behind, when it cannot.
bool write(int folderFd, const std::vector<Entry>& entries);

} // namespace recordsindex

} // namespace packshelf
