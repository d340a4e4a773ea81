#include "archive/FreeSpace.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/statvfs.h>

namespace packshelf {

namespace {

constexpr quint64 MarginCap = 16ull << 20;

std::optional<struct statvfs> fileSystemOf(const QString& path) {
    QString existing = QFileInfo(path).absoluteFilePath();
    while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).absolutePath();
        if (parent == existing)
            break;
        existing = parent;
    }
    struct statvfs fs;
    if (::statvfs(QFile::encodeName(existing).constData(), &fs) != 0)
        return std::nullopt;
    return fs;
}

} // namespace

std::optional<quint64> freeBytesAt(const QString& path) {
    const auto fs = fileSystemOf(path);
    if (!fs)
        return std::nullopt;
    return quint64(fs->f_bavail) * quint64(fs->f_frsize);
}

quint64 freeSpaceMargin(const QString& path) {
    const auto fs = fileSystemOf(path);
    if (!fs)
        return 0;
    const quint64 total = quint64(fs->f_blocks) * quint64(fs->f_frsize);
    return std::min(MarginCap, total / 100);
}

bool fitsOnFileSystem(const QString& path, quint64 bytes) {
    const std::optional<quint64> available = freeBytesAt(path);
    if (!available)
        return true;
    const quint64 margin = freeSpaceMargin(path);
    return *available >= margin && bytes <= *available - margin;
}

} // namespace packshelf
