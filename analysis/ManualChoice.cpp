#include "analysis/ManualChoice.h"

#include "analysis/StateEvaluation.h"
#include "analysis/StructureQueries.h"
#include "core/EngineText.h"

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

Status checkFolderChoice(const ArchiveItem& item, FolderChoice choice, const QString& holderPath) {
    const bool forced = choice == FolderChoice::Forced;
    if (forced &&
        !(item.state() == ItemState::Failed && item.integer(key::Error) == ItemError::ErrorContent))
        return fail(
            EngineText::tr("a folder can be forced only where no Runtime folder was found"));
    if (!forced && item.state() != ItemState::NeedsHelp)
        return fail(
            EngineText::tr("the Runtime and Data folders are chosen only among duplicates"));
    const ContentTree* entries = entriesAt(item.tree(key::Zip).get(), holderPath);
    if (!entries)
        return fail(EngineText::tr("there is no folder %1 in the archive").arg(holderPath));
    const QString wanted = choice == FolderChoice::Runtime ? folder::Runtime : folder::Data;
    for (const ContentNode& node : *entries) {
        if (node.isFolder() && (forced || node.name.toUpper() == wanted))
            return {};
    }
    if (forced)
        return fail(EngineText::tr("the folder %1 holds no folder").arg(holderPath));
    return fail(EngineText::tr("the folder %1 holds no %2 folder")
                    .arg(holderPath.isEmpty() ? EngineText::tr("at the top") : holderPath,
                         choice == FolderChoice::Runtime ? QStringLiteral("Runtime")
                                                         : QStringLiteral("Data")));
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
