#include "analysis/StateEvaluation.h"

namespace packshelf {

namespace {
bool planIsComplete(const ArchiveItem& item) {
    const bool hasRuntime = item.flag(key::HasRuntime);
    const bool hasData = item.flag(key::HasData);
    if (hasRuntime && hasData) {
        if (!item.contains(key::RuntimePath))
            return false;
        // Without the Data option the Runtime path alone suffices.
        return !(item.integer(key::IgnoreDS) != 0 && !item.contains(key::DataPath));
    }
    if (hasRuntime)
        return item.contains(key::RuntimePath);
    if (hasData)
        return item.contains(key::DataPath);
    if (item.flag(key::HasForced))
        return item.contains(key::ForcedPath);
    return false;
}
} // namespace

void checkAndSetStateForMasterNode(ArchiveItem& item) {
    if (!planIsComplete(item))
        return;
    item.setInteger(key::State, ItemState::Ready);
    item.setText(key::Info, verdict::Ok);
}

} // namespace packshelf
