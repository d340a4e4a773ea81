#include "ui/DropImport.h"

#include <QFileInfo>

#include "analysis/ArchiveItem.h"
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

// The sentence that names the dropped files that are not archives; empty
// when there are none.
QString DropImport::notAdded(const QStringList& others) {
    if (others.isEmpty())
        return {};
    QStringList names;
    for (const QString& path : others)
        names << QFileInfo(path).fileName();
    return tr("Only zip, 7z and RAR archives can be added; not added: %1")
        .arg(names.join(QStringLiteral(", ")));
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

void DropImport::import(const QStringList& archives, const QStringList& others,
                        const QString& sourceFolder) {
    const QString othersLine = notAdded(others);
    if (archives.isEmpty()) {
        if (!othersLine.isEmpty())
            emit refused(othersLine);
        return;
    }
    if (sourceFolder.isEmpty() || !QFileInfo(sourceFolder).isDir()) {
        emit refused(
            tr("Choose an existing source folder before dropping archives on the window."));
        return;
    }
    const QStringList taken = confirmedOnes(archives, sourceFolder);
    if (taken.isEmpty()) {
        if (!othersLine.isEmpty())
            emit refused(othersLine);
        return;
    }
    ++m_running;
    emit said(tr("Copying %Ln archive(s) into the source folder…", nullptr, int(taken.size())));
    m_services.startWorker([this, import = ArchiveImport(taken, sourceFolder),
                            othersLine = isolatedString(othersLine)] {
        Warnings failures = import.run();
        m_mainThread.post([this, count = import.size(), failures = std::move(failures),
                           othersLine] { ended(count, failures, othersLine); });
    });
}

// The line that ends the drop also names the files that were not taken,
// so that it does not hide them.
void DropImport::ended(qsizetype count, const Warnings& failures, const QString& othersLine) {
    --m_running;
    const QString copiedLine =
        failures.isEmpty()
            ? tr("Copied %Ln archive(s) into the source folder.", nullptr, int(count))
            : tr("Not copied: %1").arg(failures.lines().join(QStringLiteral("; ")));
    const QString line = othersLine.isEmpty()
                             ? copiedLine
                             : copiedLine + QLatin1Char(' ') + othersLine + QLatin1Char('.');
    if (failures.isEmpty() && othersLine.isEmpty())
        emit said(line);
    else
        emit refused(line);
    emit copied();
}

} // namespace packshelf
