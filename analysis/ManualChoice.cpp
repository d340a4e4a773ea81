#include "analysis/ManualChoice.h"

#include "analysis/StateEvaluation.h"

namespace packshelf {

namespace {
const QString& pathKey(FolderChoice choice) {
    switch (choice) {
    case FolderChoice::Runtime:
        return key::RuntimePath;
    case FolderChoice::Data:
        return key::DataPath;
    case FolderChoice::Forced:
        break;
    }
    return key::ForcedPath;
}
} // namespace

void recordFolderChoice(ArchiveItem& item, FolderChoice choice, const QString& holderPath) {
    item.setText(pathKey(choice), holderPath);
    if (choice == FolderChoice::Data)
        item.setInteger(key::HasData, 1);
    else if (choice == FolderChoice::Forced)
        item.setInteger(key::HasForced, 1);
    checkAndSetStateForMasterNode(item);
}

QString folderChoiceLogLine(FolderChoice choice, const QString& holderPath) {
    switch (choice) {
    case FolderChoice::Runtime:
        return QStringLiteral("Runtime @ %1").arg(holderPath);
    case FolderChoice::Data:
        return QStringLiteral("Data @ %1").arg(holderPath);
    case FolderChoice::Forced:
        break;
    }
    return QStringLiteral("Forced @ %1").arg(holderPath);
}

void recordDirectDestination(ArchiveItem& item, const QString& directPath,
                             const std::optional<QString>& directSource) {
    item.setText(key::DirectPath, directPath);
    if (directSource)
        item.setText(key::DirectPathSrc, *directSource);
    else
        item.remove(key::DirectPathSrc);
    item.setInteger(key::HasDirect, 1);
    item.remove(key::HasData);
    item.remove(key::HasRuntime);
    item.remove(key::HasForced);
    item.setInteger(key::State, ItemState::Ready);
    item.setText(key::Info, verdict::ManuallySet);
    checkAndSetStateForMasterNode(item);
}

} // namespace packshelf
