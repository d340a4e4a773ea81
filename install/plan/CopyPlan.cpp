#include "install/plan/CopyPlan.h"

#include <algorithm>

#include "analysis/ItemKeys.h"
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

bool CopyPlan::leavesOut(const QString& source, const QString& name) const {
    if (rule != Rule::RuntimeAndData || !primarySource || !dataSource ||
        *primarySource == *dataSource)
        return false;
    const QString kind = name.toUpper();
    return (source == *dataSource && kind == folder::Runtime) ||
           (source == *primarySource && kind == folder::Data);
}

namespace {

// The entry of `source` that `path` (at or below it) lies in, or nothing
// when `path` is `source` itself.
QString firstNameBelow(const QString& source, const QString& path) {
    const QString rest = source.isEmpty() ? path : path.mid(source.size() + 1);
    return rest.section(QLatin1Char('/'), 0, 0);
}

} // namespace

NestedInstall nestedArchiveInstall(const CopyPlan& plan, const QString& holder,
                                   const QString& nestedFolder, const QStringList& above) {
    for (const QString& source : plan.sources()) {
        if (!isAtOrBelow(holder, source))
            continue;
        const QString entry = firstNameBelow(source, holder);
        if (!entry.isEmpty() && plan.leavesOut(source, entry))
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
