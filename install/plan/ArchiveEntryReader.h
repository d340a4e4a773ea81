#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>

#include "core/Result.h"
#include "install/plan/ArchiveView.h"

namespace packshelf {

// One file of an archive read into memory for a look at it, through the
// reading the install uses (nested archives opened on the way, the content
// decoded and, when read whole, checked against its size and CRC-32), and
// never more than the caller allows.
class ArchiveEntryReader {
public:
    // What was read: the file's first bytes and its declared size.
    struct Content {
        QByteArray bytes;
        quint64 size = 0;
        // The bytes are the whole file.
        bool whole() const { return quint64(bytes.size()) == size; }
    };

    // Opens the archive at `nativePath` and finds the file at `path` (names
    // joined with "/", a nested archive standing as the folder named after
    // it). Fails, saying why, when there is no such file or the archive
    // cannot be read. `cancel`, when set, stops any read.
    static Result<ArchiveEntryReader> open(const QByteArray& nativePath, const QString& path,
                                           const QString& workdir,
                                           const std::atomic<bool>* cancel = nullptr);

    quint64 size() const;
    // The file's first `limit` bytes (all of it when it is no larger).
    // Fails, saying why, when the content cannot be decoded: damaged, or
    // encrypted without the password.
    Result<Content> read(quint64 limit) const;

private:
    ArchiveEntryReader(std::unique_ptr<ArchiveView> view, const ViewNode* node);

    std::unique_ptr<ArchiveView> m_view;
    const ViewNode* m_node;
};

} // namespace packshelf
