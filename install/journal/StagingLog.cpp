#include "install/journal/StagingLog.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

StagingLog::StagingLog(QString library)
    : m_library(std::move(library)) {}

Status StagingLog::note(const QString& folder) {
    if (m_noted.contains(folder))
        return {};
    if (!m_fd.valid()) {
        const UniqueFd library = openFolderBelow(m_library, QString(), false);
        if (library.valid())
            makeFolderIn(library.get(), LibraryRecordsFolder);
        const UniqueFd records =
            openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
        m_name = stagingName() + Suffix;
        if (records.valid())
            m_fd.reset(openIn(records.get(), m_name.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC,
                              0644));
        if (!m_fd.valid())
            return fail(
                QStringLiteral("%1/%2: %3")
                    .arg(m_library, QLatin1String(LibraryRecordsFolder), systemReason(errno)));
    }
    // The library itself is ".".
    const QByteArray line = (folder.isEmpty() ? QByteArray(".") : QFile::encodeName(folder)) + '\n';
    if (!writeAll(m_fd.get(), line.constData(), std::size_t(line.size())))
        return fail(QStringLiteral("%1/%2/%3: %4")
                        .arg(m_library, QLatin1String(LibraryRecordsFolder),
                             QFile::decodeName(m_name), systemReason(errno)));
    m_noted.insert(folder);
    return {};
}

void StagingLog::remove() {
    if (!m_fd.valid())
        return;
    m_fd.reset();
    const UniqueFd records = openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
    if (records.valid())
        unlinkIn(records.get(), m_name.constData());
    // A records folder made for nothing goes again.
    const UniqueFd library = openFolderBelow(m_library, QString(), false);
    if (library.valid())
        ::unlinkat(library.get(), LibraryRecordsFolder, AT_REMOVEDIR);
}

void StagingLog::forEachFolder(const QString& library, const QByteArray& lines,
                               const std::function<void(int fd, const QString& path)>& visit) {
    QSet<QString> seen;
    for (const QByteArray& line : lines.split('\n')) {
        const QString relative = line == "." ? QString() : QFile::decodeName(line);
        if ((line != "." && !isSafeRelative(relative)) || seen.contains(relative))
            continue;
        seen.insert(relative);
        const UniqueFd folder = openFolderBelow(library, relative, false);
        if (folder.valid())
            visit(folder.get(), relative);
    }
}

} // namespace packshelf
