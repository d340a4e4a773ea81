#include "install/ItemHandOver.h"

namespace packshelf {

std::vector<ArchiveItem> takeReadyItems(std::vector<ArchiveItem>& list) {
    std::vector<ArchiveItem> taken;
    for (const ArchiveItem& item : list) {
        if (item.state() == ItemState::Ready)
            taken.push_back(item.isolatedCopy());
    }
    std::erase_if(list, [](const ArchiveItem& item) { return item.state() == ItemState::Ready; });
    return taken;
}

void returnUninstalledItems(std::vector<ArchiveItem>& list, std::vector<ArchiveItem> items) {
    for (ArchiveItem& item : items) {
        if (item.state() != ItemState::Installed)
            list.push_back(std::move(item));
    }
}

} // namespace packshelf
