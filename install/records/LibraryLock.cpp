#include "install/records/LibraryLock.h"

#include <QFile>
#include <QList>
#include <cerrno>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "core/EngineText.h"
#include "install/disk/LibraryFiles.h"

namespace packshelf {

using namespace library;

namespace {

// The process holding a lock on the open file, from the kernel's table of
// locks, and whether it changes; 0 when it cannot be told.
std::pair<qint64, bool> lockHolder(int fd) {
    struct stat st;
    QFile locks(QStringLiteral("/proc/locks"));
    if (::fstat(fd, &st) != 0 || !locks.open(QIODevice::ReadOnly))
        return {0, false};
    const QByteArray device = QByteArray::number(major(st.st_dev), 16).rightJustified(2, '0') +
                              ':' +
                              QByteArray::number(minor(st.st_dev), 16).rightJustified(2, '0') +
                              ':' + QByteArray::number(qulonglong(st.st_ino));
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // "1: FLOCK ADVISORY WRITE 1234 08:01:5678 0 EOF"
        if (fields.size() >= 6 && fields[1] == "FLOCK" && fields[5] == device)
            return {fields[4].toLongLong(), fields[3] == "WRITE"};
    }
    return {0, false};
}

} // namespace

LibraryLock::LibraryLock(QString library)
    : m_library(std::move(library)) {}

Status LibraryLock::acquire(Access access, const std::function<void(const QString&)>& waiting) {
    m_access = access;
    m_fd = openFolderBelow(m_library, QString(), false);
    if (!m_fd.valid())
        return fail(EngineText::tr("%1 cannot be locked: %2").arg(m_library, systemReason(errno)));
    const int operation = access == Access::Change ? LOCK_EX : LOCK_SH;
    if (::flock(m_fd.get(), operation | LOCK_NB) == 0)
        return {};
    if (errno != EWOULDBLOCK) {
        const int error = errno;
        m_fd.reset();
        return fail(EngineText::tr("%1 cannot be locked: %2").arg(m_library, systemReason(error)));
    }
    if (waiting) {
        const auto [holder, changing] = lockHolder(m_fd.get());
        // The window may wait for a change of its own, as a listing waits
        // for its install; its own process number would tell the user nothing.
        const QString who = holder == 0            ? EngineText::tr("another process")
                            : holder == ::getpid() ? EngineText::tr("this PackShelf itself")
                                                   : EngineText::tr("process %1").arg(holder);
        waiting(EngineText::tr("waiting for the library, which %1 is %2")
                    .arg(who, changing ? EngineText::tr("changing", "the library, by its holder")
                                       : EngineText::tr("reading", "the library, by its holder")));
    }
    while (::flock(m_fd.get(), operation) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            m_fd.reset();
            return fail(
                EngineText::tr("%1 cannot be locked: %2").arg(m_library, systemReason(error)));
        }
    }
    return {};
}

} // namespace packshelf
