#include "ui/DropImport.h"

#include <QFileInfo>

#include "core/MainThreadCall.h"
#include "ui/ArchiveImport.h"
#include "ui/PlatformServices.h"

namespace packshelf {

DropImport::DropImport(QWidget& window, PlatformServices& services, MainThreadCall& mainThread,
                       QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_services(services)
    , m_mainThread(mainThread) {}

void DropImport::refuse(const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths)
        names << QFileInfo(path).fileName();
    emit refused(tr("Only zip, 7z and RAR archives can be added; not added: %1")
                     .arg(names.join(QStringLiteral(", "))));
}

// The dropped files to copy: a file already in the source folder is left
// alone, and one that would replace another is copied only when the user
// says so.
QStringList DropImport::confirmedOnes(const QStringList& paths, const QString& sourceFolder) const {
    QStringList taken;
    for (const QString& path : paths) {
        const QFileInfo target(ArchiveImport::targetIn(sourceFolder, path));
        if (target.exists() && target.canonicalFilePath() == QFileInfo(path).canonicalFilePath())
            continue;
        if (target.exists() &&
            !m_services.confirm(&m_window, tr("Replace Archive"),
                                tr("The source folder already holds %1. Replace it with the "
                                   "dropped archive?")
                                    .arg(target.fileName())))
            continue;
        taken << path;
    }
    return taken;
}

void DropImport::import(const QStringList& paths, const QString& sourceFolder) {
    if (sourceFolder.isEmpty() || !QFileInfo(sourceFolder).isDir()) {
        emit refused(
            tr("Choose an existing source folder before dropping archives on the window."));
        return;
    }
    const QStringList taken = confirmedOnes(paths, sourceFolder);
    if (taken.isEmpty())
        return;
    ++m_running;
    emit said(tr("Copying %Ln archive(s) into the source folder…", nullptr, int(taken.size())));
    m_services.startWorker([this, import = ArchiveImport(taken, sourceFolder)] {
        Warnings failures = import.run();
        m_mainThread.post([this, count = import.size(), failures = std::move(failures)] {
            ended(count, failures);
        });
    });
}

void DropImport::ended(qsizetype count, const Warnings& failures) {
    --m_running;
    if (failures.isEmpty())
        emit said(tr("Copied %Ln archive(s) into the source folder.", nullptr, int(count)));
    else
        emit refused(tr("Not copied: %1").arg(failures.lines().join(QStringLiteral("; "))));
    emit copied();
}

} // namespace packshelf
