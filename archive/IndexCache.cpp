#include "archive/IndexCache.h"

#include <deque>
#include <map>
#include <mutex>

#include "archive/ArchiveFormat.h"
#include "archive/StreamArchive.h"

namespace packshelf {

namespace {

// Entries of all the indexes kept, at most: some tens of megabytes.
constexpr std::size_t EntriesKept = 300'000;

class IndexCache {
public:
    std::shared_ptr<const ArchiveIndex> find(const FileIdentity& identity) {
        const std::lock_guard lock(m_mutex);
        const auto found = m_indexes.find(identity);
        return found == m_indexes.end() ? nullptr : found->second;
    }

    void keep(const FileIdentity& identity, std::shared_ptr<const ArchiveIndex> index) {
        const std::size_t entries = index->entries.size();
        if (entries > EntriesKept)
            return;
        const std::lock_guard lock(m_mutex);
        if (!m_indexes.emplace(identity, std::move(index)).second)
            return;
        m_order.push_back(identity);
        m_entries += entries;
        while (m_entries > EntriesKept) {
            const auto oldest = m_indexes.find(m_order.front());
            m_entries -= oldest->second->entries.size();
            m_indexes.erase(oldest);
            m_order.pop_front();
        }
    }

private:
    std::mutex m_mutex;
    std::map<FileIdentity, std::shared_ptr<const ArchiveIndex>> m_indexes;
    std::deque<FileIdentity> m_order; // oldest first
    std::size_t m_entries = 0;
};

IndexCache& cache() {
    static IndexCache instance;
    return instance;
}

} // namespace

namespace {

std::shared_ptr<const ArchiveIndex> readIndex(const FileInput& input) {
    const std::optional<FileIdentity>& identity = input.identity();
    if (identity) {
        if (std::shared_ptr<const ArchiveIndex> kept = cache().find(*identity))
            return kept;
    }
    // 7z and RAR archives announce themselves; anything else is read as zip.
    const ArchiveFormat format = sniffArchiveFormat(input);
    auto index = std::make_shared<const ArchiveIndex>(
        format == ArchiveFormat::Zip ? readArchiveIndex(input) : readStreamIndex(input, format));
    if (identity)
        cache().keep(*identity, index);
    return index;
}

ArchiveFormat formatOf(const ArchiveIndex& index) {
    if (index.format == formatName(ArchiveFormat::SevenZip))
        return ArchiveFormat::SevenZip;
    if (index.format == formatName(ArchiveFormat::Rar))
        return ArchiveFormat::Rar;
    return ArchiveFormat::Zip;
}

} // namespace

std::shared_ptr<const ArchiveIndex> readArchiveIndexOnce(const FileInput& input,
                                                         std::optional<ArchiveFormat> named) {
    std::shared_ptr<const ArchiveIndex> index = readIndex(input);
    const ArchiveFormat begins = formatOf(*index);
    if (index->ok() || !named || *named == begins)
        return index;
    auto renamed = std::make_shared<ArchiveIndex>(*index);
    renamed->problem = notAnArchiveOfItsName(*named, begins);
    return renamed;
}

} // namespace packshelf
