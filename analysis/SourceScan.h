#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "core/Result.h"

namespace packshelf {

// The archives of a source folder: every entry whose extension, upper-cased,
// is "ZIP", "7Z" or "RAR" (folders included), in listing order.
struct SourceScan {
    QString folder; // the folder listed
    QStringList fileNames;
    // The names as the file system gave them, one for each of `fileNames`.
    QList<QByteArray> nativeNames;
};

// Lists the archives of `sourcePath`; fails, saying why, when it is missing,
// not a folder, or cannot be read.
Result<SourceScan> scanSourceFolder(const QString& sourcePath);

} // namespace packshelf
