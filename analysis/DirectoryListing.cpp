#include "analysis/DirectoryListing.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>

#include "archive/ZipHandles.h"

namespace packshelf {

bool listingOrderLess(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return QFile::encodeName(a) < QFile::encodeName(b);
}

std::optional<QStringList> sortedEntryNames(const QString& folder, QString* error) {
    const QByteArray nativePath = QFile::encodeName(folder);
    handles::UniqueDir dir(::opendir(nativePath.constData()));
    if (!dir) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    QStringList names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        names.append(QFile::decodeName(name));
    }
    std::sort(names.begin(), names.end(), listingOrderLess);
    return names;
}

} // namespace packshelf
