#include "install/plan/ArchiveEntryReader.h"

#include <algorithm>

#include "core/EngineText.h"

namespace packshelf {

ArchiveEntryReader::ArchiveEntryReader(std::unique_ptr<ArchiveView> view, const ViewNode* node)
    : m_view(std::move(view))
    , m_node(node) {}

Result<ArchiveEntryReader> ArchiveEntryReader::open(const QByteArray& nativePath,
                                                    const QString& path, const QString& workdir,
                                                    const std::atomic<bool>* cancel) {
    Result<std::unique_ptr<ArchiveView>> opened = ArchiveView::open(nativePath, workdir, cancel);
    if (!opened)
        return opened.failure();
    const Result<const ViewNode*> found = (*opened)->locate(path);
    if (!found)
        return fail(QStringLiteral("%1: %2").arg(path, found.reason()));
    const ViewNode* node = *found;
    if (node->folder || !node->entry)
        return fail(EngineText::tr("%1: not a file").arg(path));
    return ArchiveEntryReader(std::move(*opened), node);
}

quint64 ArchiveEntryReader::size() const {
    return m_node->entry->uncompressedSize;
}

Result<ArchiveEntryReader::Content> ArchiveEntryReader::read(quint64 limit) const {
    Content content;
    content.size = size();
    const quint64 wanted = std::min(limit, content.size);
    // The declared size is trusted only as far as the limit: the buffer
    // grows with what actually arrives.
    bool enough = wanted == 0 && content.size > 0;
    if (!enough) {
        const Status read = m_view->read(m_node->source, [&](const char* data, std::size_t size) {
            const quint64 room = wanted - quint64(content.bytes.size());
            const quint64 taken = std::min<quint64>(room, size);
            content.bytes.append(data, qsizetype(taken));
            enough = quint64(content.bytes.size()) == wanted && wanted < content.size;
            return !enough;
        });
        // Stopping at the limit is the one failure asked for.
        if (!read && !enough)
            return read.failure();
    }
    return content;
}

} // namespace packshelf
