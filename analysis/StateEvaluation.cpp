#include "analysis/StateEvaluation.h"

namespace packshelf {

namespace {
bool planIsComplete(const ArchiveItem& item) {
    const bool hasRuntime = item.flag(key::HasRuntime);
    const bool hasData = item.flag(key::HasData);
    // Flagged for both kinds, both paths are needed: with the Runtime path
    // alone the Data folder found would silently stay out of the library.
    if (hasRuntime && hasData)
        return item.contains(key::RuntimePath) && item.contains(key::DataPath);
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
