#include "archive/ArchiveScreening.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <sys/statvfs.h>
#include <vector>

namespace packshelf {

namespace {

constexpr int MethodStored = 0;
constexpr int MethodDeflate = 8;
constexpr quint64 MinimumMargin = 64ull << 20;

struct DataRange {
    quint64 begin;
    quint64 end;
};

bool overlaps(std::vector<DataRange>& ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const DataRange& a, const DataRange& b) { return a.begin < b.begin; });
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].begin < ranges[i - 1].end)
            return true;
    }
    return false;
}

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

ArchiveScreening screenEntries(unzFile archive) {
    ArchiveScreening result;
    std::vector<DataRange> ranges;
    int status = unzGoToFirstFile(archive);
    while (status == UNZ_OK) {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            result.problem = QStringLiteral("Error occurs while getting file info");
            return result;
        }
        if (info.compression_method != MethodStored && info.compression_method != MethodDeflate) {
            result.problem =
                QStringLiteral("Unsupported compression method %1").arg(info.compression_method);
            return result;
        }
        int method = 0;
        int level = 0;
        if (unzOpenCurrentFile2(archive, &method, &level, /*raw=*/1) != UNZ_OK) {
            result.problem = QStringLiteral("Error occurs");
            return result;
        }
        const quint64 begin = unzGetCurrentFileZStreamPos64(archive);
        unzCloseCurrentFile(archive);
        if (info.compressed_size > 0)
            ranges.push_back({begin, begin + info.compressed_size});
        result.declaredBytes += info.uncompressed_size;
        if (result.declaredBytes < info.uncompressed_size) {
            result.problem = QStringLiteral("Declared sizes overflow");
            return result;
        }
        status = unzGoToNextFile(archive);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
        result.problem = QStringLiteral("Error occurs");
        return result;
    }
    if (overlaps(ranges)) {
        result.problem = QStringLiteral("Overlapping entries");
        return result;
    }
    result.ok = true;
    return result;
}

std::optional<quint64> freeBytesAt(const QString& path) {
    const auto fs = fileSystemOf(path);
    if (!fs)
        return std::nullopt;
    return quint64(fs->f_bavail) * quint64(fs->f_frsize);
}

quint64 freeSpaceMargin(const QString& path) {
    const auto fs = fileSystemOf(path);
    if (!fs)
        return MinimumMargin;
    const quint64 total = quint64(fs->f_blocks) * quint64(fs->f_frsize);
    return std::max(MinimumMargin, total / 100);
}

} // namespace packshelf
