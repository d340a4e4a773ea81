#include "archive/ZipInput.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/EngineText.h"
#include "core/PosixIo.h"

namespace packshelf {

using handles::UniqueFd;

Result<std::unique_ptr<FileInput>> FileInput::openRegular(const QByteArray& nativePath) {
    struct stat st;
    if (::stat(nativePath.constData(), &st) != 0) {
        return fail(systemReason(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        return fail(EngineText::tr("not a regular file"));
    }
    // Non-blocking, so that a file swapped for a FIFO since the check above
    // cannot make the open wait; the type is checked again on what opened.
    UniqueFd fd(::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        return fail(systemReason(errno));
    }
    if (::fstat(fd.get(), &st) != 0) {
        return fail(systemReason(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        return fail(EngineText::tr("not a regular file"));
    }
    std::unique_ptr<FileInput> input = adopt(std::move(fd), quint64(st.st_size));
    input->m_identity =
        FileIdentity{quint64(st.st_dev), quint64(st.st_ino), quint64(st.st_size),
                     qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                     qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
    return input;
}

std::unique_ptr<FileInput> FileInput::adopt(UniqueFd fd, quint64 size) {
    return std::unique_ptr<FileInput>(new FileInput(std::move(fd), size));
}

qint64 FileInput::readAt(quint64 offset, void* data, quint64 length) const {
    auto* out = static_cast<char*>(data);
    quint64 done = 0;
    while (done < length && offset + done < m_size) {
        const ssize_t got = ::pread(m_fd.get(), out + done, length - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += quint64(got);
    }
    return qint64(done);
}

qint64 MemoryInput::readAt(quint64 offset, void* data, quint64 length) const {
    if (offset >= size())
        return 0;
    const quint64 take = std::min(length, size() - offset);
    std::memcpy(data, m_bytes.constData() + offset, take);
    return qint64(take);
}

} // namespace packshelf
