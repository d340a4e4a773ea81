#pragma once

#include <QString>
#include <optional>

#include "analysis/ArchiveItem.h"

namespace packshelf {

// What the installer copies for one record. Paths are relative to the root
// of the archive's expansion ("" is the root itself); the direct
// destination is an absolute folder of the archive's own.
struct CopyPlan {
    enum class Rule {
        RuntimeAndData = 1, // "HASRUNTIME" and "HASDATA"
        Runtime,            // "HASRUNTIME"
        Data,               // "HASDATA"
        Forced,             // "HASFORCED": copied like a Runtime holder
        Direct,             // "HASDIRECT"
        Nothing,            // no flag set
    };

    Rule rule = Rule::Nothing;
    // Every entry of this folder is copied into the destination folder.
    std::optional<QString> primarySource;
    // The same for the Data holder, when it is not the primary source.
    std::optional<QString> dataSource;
    // One copy of `directSource` to `directDestination`/`directSource`.
    std::optional<QString> directSource;
    std::optional<QString> directDestination;

    bool operator==(const CopyPlan&) const = default;

    bool copiesIntoDestination() const { return primarySource || dataSource; }
    // A direct plan that lacks its source or its destination copies nothing
    // and fails, rather than passing for an install.
    bool isIncompleteDirect() const {
        return rule == Rule::Direct && (!directSource || !directDestination);
    }
};

// The plan of a record, by the first rule whose flags are set. A slot whose
// key the record lacks stays empty.
CopyPlan copyPlanFor(const ArchiveItem& item);

} // namespace packshelf
