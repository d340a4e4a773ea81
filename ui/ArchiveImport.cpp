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

Warnings ArchiveImport::run() const {
    Warnings failures;
    for (const QString& file : m_files) {
        if (const Status copied = copyOne(file, targetIn(m_folder, file)); !copied)
            failures.add(tr("%1: %2").arg(QFileInfo(file).fileName(), copied.reason()));
    }
    return failures;
}

// Written under a temporary name beside the target and renamed over it at
// the end, so that the scan never sees half an archive.
Status ArchiveImport::copyOne(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return fail(source.errorString());
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return fail(target.errorString());
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(ChunkBytes);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
            return fail(source.errorString());
        if (target.write(chunk) != chunk.size())
            return fail(target.errorString());
    }
    if (!target.commit())
        return fail(target.errorString());
    return {};
}

} // namespace packshelf
