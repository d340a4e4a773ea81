#include "ui/ArchiveImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "analysis/ArchiveItem.h"
#include "analysis/NameRules.h"
#include "archive/ArchiveFormat.h"

namespace packshelf {

namespace {
constexpr qint64 ChunkBytes = 1 << 20;
} // namespace

ArchiveImport::ArchiveImport(const QStringList& files, const QString& folder)
    : m_folder(isolatedString(folder)) {
    for (const QString& file : files)
        m_files << isolatedString(file);
}

bool ArchiveImport::isArchive(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return hasArchiveExtension(name) || isStreamArchiveName(name);
}

QString ArchiveImport::targetIn(const QString& folder, const QString& path) {
    return QDir(folder).filePath(QFileInfo(path).fileName());
}

QStringList ArchiveImport::run() const {
    QStringList failures;
    for (const QString& file : m_files) {
        const QString problem = copyOne(file, targetIn(m_folder, file));
        if (!problem.isEmpty())
            failures << tr("%1: %2").arg(QFileInfo(file).fileName(), problem);
    }
    return failures;
}

// Written under a temporary name beside the target and renamed over it at
// the end, so that the scan never sees half an archive.
QString ArchiveImport::copyOne(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return target.errorString();
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(ChunkBytes);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
            return source.errorString();
        if (target.write(chunk) != chunk.size())
            return target.errorString();
    }
    return target.commit() ? QString() : target.errorString();
}

} // namespace packshelf
