#pragma once

#include <QString>
#include <QStringList>
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

    // The folders the plan copies from, those it has.
    QStringList sources() const;

    // True when the copy of every entry of the folder `source` leaves out
    // its folder `name`. With the Runtime and the Data folder in two
    // holders, each holder gives its own folder and what is neither kind,
    // never a variant of the other kind that the user passed over: a choice
    // of one of several Runtime folders installs that one alone.
    bool leavesOut(const QString& source, const QString& name) const;

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

// What an install writes of a nested archive.
enum class NestedInstall {
    NotWritten,      // it lies outside what is copied
    AsFile,          // the archive file, its content not unpacked
    AsFileAndFolder, // the archive file and, beside it, the folder of its content
};

// What an install of `plan` writes of the nested archive that lies in the
// folder `holder` of the tree, its content shown as the folder
// `nestedFolder`, inside the nested archives whose folders are `above`
// (outermost first): it is written when a folder the plan copies holds it
// and the install unpacks every archive on the way (isUnpackedByInstall()).
NestedInstall nestedArchiveInstall(const CopyPlan& plan, const QString& holder,
                                   const QString& nestedFolder, const QStringList& above);

} // namespace packshelf
