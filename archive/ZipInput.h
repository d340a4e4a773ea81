#pragma once

#include <QByteArray>
#include <QString>
#include <compare>
#include <memory>
#include <optional>

#include "core/PosixHandles.h"
#include "core/Result.h"

namespace packshelf {

// Where the bytes of an archive come from: a regular file, or a buffer in
// memory (an archive nested in another one). Reads are positioned, so one
// input serves the index and any number of entry reads.
class ZipInput {
public:
    virtual ~ZipInput() = default;

    virtual quint64 size() const = 0;
    // Reads up to `length` bytes at `offset`. Answers how many were read
    // (fewer only at the end), or -1 on a read error.
    virtual qint64 readAt(quint64 offset, void* data, quint64 length) const = 0;
};

// What tells one version of a file apart from any other: a write, a rename
// over it or another file at its path changes one of these.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    quint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// An archive in a file, read through its descriptor.
class FileInput : public ZipInput {
public:
    // Opens `nativePath` for reading, only when it is a regular file (a link
    // to one is followed; a FIFO, device or folder is refused without
    // waiting on it). Fails, saying why, when it cannot be used.
    static Result<std::unique_ptr<FileInput>> openRegular(const QByteArray& nativePath);
    // Reads an open file, such as an unlinked temporary one.
    static std::unique_ptr<FileInput> adopt(handles::UniqueFd fd, quint64 size);

    quint64 size() const override { return m_size; }
    qint64 readAt(quint64 offset, void* data, quint64 length) const override;
    // The file as it was opened by its path; nothing for an adopted one.
    const std::optional<FileIdentity>& identity() const { return m_identity; }

private:
    FileInput(handles::UniqueFd fd, quint64 size)
        : m_fd(std::move(fd))
        , m_size(size) {}

    handles::UniqueFd m_fd;
    quint64 m_size;
    std::optional<FileIdentity> m_identity;
};

// An archive held in memory.
class MemoryInput : public ZipInput {
public:
    explicit MemoryInput(QByteArray bytes)
        : m_bytes(std::move(bytes)) {}

    quint64 size() const override { return quint64(m_bytes.size()); }
    qint64 readAt(quint64 offset, void* data, quint64 length) const override;

private:
    QByteArray m_bytes;
};

} // namespace packshelf
