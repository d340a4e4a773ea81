#include "install/plan/CopyPlan.h"

#include <algorithm>

#include "analysis/NameRules.h"
#include "analysis/StructureQueries.h"

namespace packshelf {

CopyPlan copyPlanFor(const ArchiveItem& item) {
    CopyPlan plan;
    const bool hasRuntime = item.flag(key::HasRuntime);
    const bool hasData = item.flag(key::HasData);
    if (hasRuntime && hasData) {
        plan.rule = CopyPlan::Rule::RuntimeAndData;
        plan.primarySource = item.text(key::RuntimePath);
        const std::optional<QString> dataPath = item.text(key::DataPath);
        // Side by side in one folder: the primary copy brings both.
        if (!pathsInSameParent(plan.primarySource, dataPath))
            plan.dataSource = dataPath;
    } else if (hasRuntime) {
        plan.rule = CopyPlan::Rule::Runtime;
        plan.primarySource = item.text(key::RuntimePath);
    } else if (hasData) {
        plan.rule = CopyPlan::Rule::Data;
        plan.dataSource = item.text(key::DataPath);
    } else if (item.flag(key::HasForced)) {
        plan.rule = CopyPlan::Rule::Forced;
        plan.primarySource = item.text(key::ForcedPath);
    } else if (item.flag(key::HasDirect)) {
        plan.rule = CopyPlan::Rule::Direct;
        plan.directDestination = item.text(key::DirectPath);
        plan.directSource = item.text(key::DirectPathSrc);
    }
    return plan;
}

QStringList CopyPlan::sources() const {
    QStringList folders;
    for (const std::optional<QString>& source : {primarySource, dataSource, directSource}) {
        if (source)
            folders << *source;
    }
    return folders;
}

NestedInstall nestedArchiveInstall(const CopyPlan& plan, const QString& holder,
                                   const QString& nestedFolder, const QStringList& above) {
    for (const QString& source : plan.sources()) {
        if (!isAtOrBelow(holder, source))
            continue;
        const bool reached = std::all_of(above.begin(), above.end(), [&](const QString& outer) {
            return isUnpackedByInstall(outer, source);
        });
        if (!reached)
            continue;
        return isUnpackedByInstall(nestedFolder, source) ? NestedInstall::AsFileAndFolder
                                                         : NestedInstall::AsFile;
    }
    return NestedInstall::NotWritten;
}

} // namespace packshelf
