#pragma once

#include "analysis/ArchiveItem.h"
#include "analysis/ContentTree.h"

namespace packshelf {

struct WindowOutlets;

// Which of the manual choice buttons (Runtime, Data, Force Folder) are
// shown and which can be clicked: the archive's state shows them, the
// folder selected in its browser enables them.
class ChoiceButtons {
public:
    struct State {
        bool shown = false;
        bool enabled = false;
    };

    // `item` is the selected archive and `selected` the browser's selected
    // entry, `beside` the entries of the folder that holds it; any may be
    // null.
    static ChoiceButtons of(const ArchiveItem* item, const ContentNode* selected,
                            const ContentTree* beside = nullptr);

    // Sets both what is shown and what is enabled (with Force Folder's
    // tooltip), or only the latter.
    void apply(const WindowOutlets& outlets) const;
    void enable(const WindowOutlets& outlets) const;

    State runtime;
    State data;
    State forced;
    // What Force Folder would install, for its tooltip; empty when it
    // cannot be clicked.
    QString forcedTakes;
};

} // namespace packshelf
