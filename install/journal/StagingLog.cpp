#include "install/journal/StagingLog.h"

#include <QFile>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "install/disk/LibraryFiles.h"
#include "install/records/LibraryRecords.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

// The first line of a list whose folders are in an archive's own
// destination rather than in the library.
constexpr char DestinationLine[] = "destination ";

} // namespace

StagingLog::StagingLog(LibraryRecords& records, QString destination)
    : m_records(records)
    , m_destination(std::move(destination)) {}

void StagingLog::note(const QByteArray& folder) {
    if (m_noted.contains(folder))
        return;
    m_noted.insert(folder);
    if (!m_fd.valid()) {
        const UniqueFd records = m_records.openFolder(true);
        m_name = stagingName() + LibraryRecords::StagingLogSuffix;
        m_fd.reset(::openat(records.get(), m_name.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!m_destination.isEmpty()) {
            const QByteArray line = DestinationLine + QFile::encodeName(m_destination) + '\n';
            writeAll(m_fd.get(), line.constData(), std::size_t(line.size()));
        }
    }
    const QByteArray line = folder + '\n';
    writeAll(m_fd.get(), line.constData(), std::size_t(line.size()));
}

void StagingLog::remove() {
    if (!m_fd.valid())
        return;
    m_fd.reset();
    const UniqueFd records = m_records.openFolder(false);
    ::unlinkat(records.get(), m_name.constData(), 0);
}

void StagingLog::removeStaged(int folderFd, bool onlyOfEndedWriters, QStringList* listed,
                              const QString& shownFolder) {
    for (const DirEntry& entry : entriesOf(folderFd)) {
        const pid_t writer = writerOf(entry.name);
        if (writer == 0 || (onlyOfEndedWriters && !hasEnded(writer)))
            continue;
        if (listed) {
            listed->append(shownFolder + QLatin1Char('/') + QFile::decodeName(entry.name));
            continue;
        }
        if (entry.folder)
            removeTree(folderFd, entry.name);
        else
            ::unlinkat(folderFd, entry.name.constData(), 0);
    }
}

void StagingLog::forEachFolder(
    const QString& library, const QByteArray& lines,
    const std::function<void(int fd, bool inLibrary, const QString&)>& visit) {
    QString root = library;
    for (const QByteArray& line : lines.split('\n')) {
        if (line.startsWith(DestinationLine)) {
            const QString destination =
                QFile::decodeName(line.mid(qsizetype(std::strlen(DestinationLine))));
            root = isSafeDestination(destination) ? destination : QString();
            continue;
        }
        const QString relative = QFile::decodeName(line);
        if (root.isEmpty() || (!relative.isEmpty() && !isSafeRelative(relative)))
            continue;
        const UniqueFd folder = openFolderBelow(root, relative, false);
        if (folder.valid())
            visit(folder.get(), root == library,
                  relative.isEmpty() ? root : root + QLatin1Char('/') + relative);
    }
}

} // namespace packshelf
