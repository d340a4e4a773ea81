#include "install/ItemHandOver.h"

namespace packshelf {

namespace {

bool isTaken(const ArchiveItem& item, const ItemFilter& chosen) {
    return item.state() == ItemState::Ready && (!chosen || chosen(item));
}

} // namespace

std::vector<ArchiveItem> takeReadyItems(std::vector<ArchiveItem>& list, const RowRemoval& removal,
                                        const ItemFilter& chosen) {
    std::vector<ArchiveItem> taken;
    std::vector<qint64> rows;
    for (std::size_t row = 0; row < list.size(); ++row) {
        if (isTaken(list[row], chosen)) {
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
                         const QString& destDir, const QString& workDir, const ItemFilter& chosen) {
    InstallJob job;
    job.sourceDir = isolatedString(sourceDir);
    job.destDir = isolatedString(destDir);
    job.workDir = isolatedString(workDir);
    for (const ArchiveItem& item : list) {
        if (isTaken(item, chosen))
            job.items.push_back(item.isolatedCopy());
    }
    return job;
}

} // namespace packshelf
