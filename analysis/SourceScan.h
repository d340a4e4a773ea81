#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace packshelf {

// The archives of a source folder: every entry whose extension, upper-cased,
// is "ZIP", "7Z" or "RAR" (folders included), in listing order.
struct SourceScan {
    enum class Outcome {
        NotAFolder,    // missing, or not a folder: nothing is listed
        ListingFailed, // the folder could not be read; `error` tells why
        Listed,
    };
    Outcome outcome = Outcome::NotAFolder;
    QStringList fileNames;
    // The names as the file system gave them, one for each of `fileNames`.
    QList<QByteArray> nativeNames;
    QString error;
};

SourceScan scanSourceFolder(const QString& sourcePath);

} // namespace packshelf
