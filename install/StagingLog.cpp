#include "install/StagingLog.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

#include "install/LibraryFiles.h"
#include "install/LibraryRecords.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

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
            const QByteArray line = "destination " + QFile::encodeName(m_destination) + '\n';
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

} // namespace packshelf
