#include "install/UnchangedPackage.h"

#include "install/InstalledPackages.h"
#include "install/transaction/LayerRemoval.h"
#include "install/transaction/VersionHistory.h"

namespace packshelf {

bool isInstalledUnchanged(const Manifest& previous, const QString& fileName,
                          const QByteArray& nativePath, const CopyPlan& plan,
                          const VersionHistory& history) {
    if (!previous.whole || !(previous.plan == plan) ||
        !isInstalledFrom(previous, fileName, nativePath))
        return false;
    FileStates states;
    for (const Manifest::File& file : previous.files) {
        if (!file.written())
            continue;
        const std::optional<VersionHistory::Layer> top = history.top(previous.root, file.path);
        if (top && top->package->archive != previous.archive)
            continue; // a later package's now
        if (states.of(previous, file) != FileStates::State::AsWritten)
            return false;
    }
    return true;
}

} // namespace packshelf
