#include "archive/NestedArchive.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "archive/ArchiveIndex.h"
#include "archive/EntryDecoder.h"
#include "archive/FreeSpace.h"
#include "core/EngineText.h"
#include "core/PosixIo.h"

namespace packshelf {

using handles::UniqueFd;

namespace {

// A file in `folder` that no name refers to: it disappears with its
// descriptor, also when the process is killed.
Result<UniqueFd> anonymousFile(const QString& folder) {
    QDir().mkpath(folder);
    const QByteArray nativeFolder = QFile::encodeName(folder);
    UniqueFd fd(::open(nativeFolder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (fd.valid())
        return fd;
    // File systems without O_TMPFILE: create, then unlink at once.
    QByteArray pattern = nativeFolder + "/.packshelf-nested-XXXXXX";
    fd.reset(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.valid())
        return fail(systemReason(errno));
    ::unlink(pattern.constData());
    return fd;
}

} // namespace

Result<std::unique_ptr<NestedArchive>>
NestedArchive::load(const ZipInput& parent, const IndexEntry& entry, NestedBudget& budget,
                    const QString& scratchFolder, const std::atomic<bool>* cancel,
                    const Password* password) {
    const quint64 size = entry.uncompressedSize;
    if (budget.m_archivesLeft <= 0 || size > budget.m_inflateLeft) {
        return fail(EngineText::tr("more nested archives than one archive may hold"));
    }
    --budget.m_archivesLeft;
    budget.m_inflateLeft -= size;

    if (size <= NestedBudget::InMemoryLimit && size <= budget.m_memoryLeft) {
        QByteArray bytes;
        bytes.reserve(qsizetype(size));
        const Status read = readEntryData(
            parent, entry,
            [&bytes](const char* data, std::size_t length) {
                bytes.append(data, qsizetype(length));
                return true;
            },
            cancel, password);
        if (!read)
            return read.failure();
        budget.m_memoryLeft -= size;
        return std::unique_ptr<NestedArchive>(
            new NestedArchive(std::make_unique<MemoryInput>(std::move(bytes)), &budget, size));
    }

    if (!fitsOnFileSystem(scratchFolder, size)) {
        return fail(
            EngineText::tr("not enough free space in the work folder for %1").arg(entry.name));
    }
    Result<UniqueFd> made = anonymousFile(scratchFolder);
    if (!made) {
        return fail(EngineText::tr("cannot make a temporary file in %1: %2")
                        .arg(scratchFolder, made.reason()));
    }
    UniqueFd fd = std::move(*made);
    Status written;
    const Status read = readEntryData(
        parent, entry,
        [&fd, &written](const char* data, std::size_t length) {
            written = writeAll(fd.get(), data, length);
            return written.ok();
        },
        cancel, password);
    if (!written)
        return fail(EngineText::tr("cannot write a temporary file in %1: %2")
                        .arg(scratchFolder, written.reason()));
    if (!read)
        return read.failure();
    return std::unique_ptr<NestedArchive>(
        new NestedArchive(FileInput::adopt(std::move(fd), size), &budget, 0));
}

quint64 declaredContent(const ArchiveIndex& index) {
    quint64 bytes = 0;
    for (const IndexEntry& entry : index.entries) {
        if (!entry.isFolder())
            bytes += entry.uncompressedSize;
    }
    return bytes;
}

Status NestedBudget::chargeContent(quint64 bytes) {
    if (bytes > m_inflateLeft) {
        return fail(EngineText::tr("its content inflates to more than one archive may hold"));
    }
    m_inflateLeft -= bytes;
    return {};
}

NestedArchive::~NestedArchive() {
    m_input.reset();
    m_budget->m_memoryLeft += m_memoryHeld;
}

} // namespace packshelf
