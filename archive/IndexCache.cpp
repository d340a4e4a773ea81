#include "archive/IndexCache.h"

#include <deque>
#include <map>
#include <mutex>
#include <optional>

#include "archive/ArchiveFormat.h"
#include "archive/StreamArchive.h"

namespace packshelf {

namespace {

// Entries of all the indexes kept, at most: some tens of megabytes.
constexpr std::size_t EntriesKept = 300'000;

using ReadIndex = Result<std::shared_ptr<const ArchiveIndex>>;

std::size_t entriesOf(const ReadIndex& index) {
    return index ? (*index)->entries.size() : 0;
}

class IndexCache {
public:
    std::optional<ReadIndex> find(const FileIdentity& identity) {
        const std::lock_guard lock(m_mutex);
        const auto found = m_indexes.find(identity);
        if (found == m_indexes.end())
            return std::nullopt;
        return found->second;
    }

    void keep(const FileIdentity& identity, const ReadIndex& index) {
        const std::size_t entries = entriesOf(index);
        if (entries > EntriesKept)
            return;
        const std::lock_guard lock(m_mutex);
        if (!m_indexes.emplace(identity, index).second)
            return;
        m_order.push_back(identity);
        m_entries += entries;
        // A refusal counts as one entry, so that refusals too are bounded.
        ++m_entries;
        while (m_entries > EntriesKept) {
            const auto oldest = m_indexes.find(m_order.front());
            m_entries -= entriesOf(oldest->second) + 1;
            m_indexes.erase(oldest);
            m_order.pop_front();
        }
    }

private:
    std::mutex m_mutex;
    std::map<FileIdentity, ReadIndex> m_indexes;
    std::deque<FileIdentity> m_order; // oldest first
    std::size_t m_entries = 0;
};

IndexCache& cache() {
    static IndexCache instance;
    return instance;
}

} // namespace

namespace {

ReadIndex readIndex(const FileInput& input) {
    const std::optional<FileIdentity>& identity = input.identity();
    if (identity) {
        if (std::optional<ReadIndex> kept = cache().find(*identity))
            return *kept;
    }
    // 7z and RAR archives announce themselves; anything else is read as zip.
    const ArchiveFormat format = sniffArchiveFormat(input);
    Result<ArchiveIndex> read =
        format == ArchiveFormat::Zip ? readArchiveIndex(input) : readStreamIndex(input, format);
    ReadIndex index = read ? ReadIndex(std::make_shared<const ArchiveIndex>(std::move(*read)))
                           : ReadIndex(read.failure());
    if (identity)
        cache().keep(*identity, index);
    return index;
}

} // namespace

ReadIndex cachedIndex(const FileInput& input, std::optional<ArchiveFormat> named) {
    ReadIndex index = readIndex(input);
    if (index || !named)
        return index;
    if (const ArchiveFormat begins = sniffArchiveFormat(input); *named != begins)
        return fail(notAnArchiveOfItsName(*named, begins));
    return index;
}

std::shared_ptr<const ArchiveIndex> readArchiveIndexOnce(const FileInput& input) {
    ReadIndex index = cachedIndex(input);
    if (index)
        return *index;
    auto refused = std::make_shared<ArchiveIndex>();
    refused->problem = index.reason();
    return refused;
}

} // namespace packshelf
