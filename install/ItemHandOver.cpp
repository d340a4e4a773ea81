#include "install/ItemHandOver.h"

namespace packshelf {

std::vector<ArchiveItem> takeReadyItems(std::vector<ArchiveItem>& list, const RowRemoval& removal) {
    std::vector<ArchiveItem> taken;
    std::vector<qint64> rows;
    for (std::size_t row = 0; row < list.size(); ++row) {
        if (list[row].state() == ItemState::Ready) {
            taken.push_back(list[row].isolatedCopy());
            rows.push_back(qint64(row));
        }
    }
    const auto eraseRow = [&list](qint64 row) { list.erase(list.begin() + row); };
    if (removal) {
        removal(rows, eraseRow);
    } else {
        for (auto row = rows.rbegin(); row != rows.rend(); ++row)
            eraseRow(*row);
    }
    return taken;
}

void returnUninstalledItems(std::vector<ArchiveItem>& list, std::vector<ArchiveItem> items) {
    for (ArchiveItem& item : items) {
        if (item.state() != ItemState::Installed)
            list.push_back(std::move(item));
    }
}

InstallJob readyItemsJob(const std::vector<ArchiveItem>& list, const QString& sourceDir,
                         const QString& destDir, const QString& workDir) {
    InstallJob job;
    job.sourceDir = isolatedString(sourceDir);
    job.destDir = isolatedString(destDir);
    job.workDir = isolatedString(workDir);
    for (const ArchiveItem& item : list) {
        if (item.state() == ItemState::Ready)
            job.items.push_back(item.isolatedCopy());
    }
    return job;
}

} // namespace packshelf
