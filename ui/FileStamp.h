#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace packshelf {

// What tells one version of a file from the next without reading it: its
// size and its modification time. A file that cannot be looked at has the
// stamp of nothing.
struct FileStamp {
    qint64 size = -1;
    qint64 modifiedNs = 0;

    static FileStamp of(const QByteArray& nativePath);
    bool exists() const { return size >= 0; }
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

} // namespace packshelf
