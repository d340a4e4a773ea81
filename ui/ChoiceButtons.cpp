#include "ui/ChoiceButtons.h"

#include <QPushButton>
#include <QVariant>

#include "analysis/NameRules.h"
#include "ui/ItemDescription.h"
#include "ui/WindowOutlets.h"

namespace packshelf {

namespace {
// The button's own tooltip, kept the first time a choice adds to it; a
// screen reader reads the tooltip as the button's description.
constexpr char DesignedToolTip[] = "designedToolTip";

void showWhatForceTakes(QPushButton* force, const QString& takes) {
    QVariant designed = force->property(DesignedToolTip);
    if (!designed.isValid()) {
        designed = force->toolTip();
        force->setProperty(DesignedToolTip, designed);
    }
    const QString tip = designed.toString();
    force->setToolTip(takes.isEmpty() ? tip : tip + QLatin1Char('\n') + takes);
}
} // namespace

ChoiceButtons ChoiceButtons::of(const ArchiveItem* item, const ContentNode* selected,
                                const ContentTree* beside) {
    ChoiceButtons buttons;
    // An archive that needs help is given a folder by hand; one whose
    // content is not understood may be installed from a forced folder.
    if (item && item->state() == ItemState::NeedsHelp)
        buttons.runtime.shown = buttons.data.shown = true;
    if (item && item->state() == ItemState::Failed &&
        item->integer(key::Error) == ItemError::ErrorContent)
        buttons.forced.shown = true;
    // Only a folder can be chosen, Runtime and Data only by their names.
    if (selected && selected->type == ContentNode::Folder) {
        const QString name = selected->name.toUpper();
        buttons.runtime.enabled = name == folder::Runtime;
        buttons.data.enabled = name == folder::Data;
        buttons.forced.enabled = true;
        if (buttons.forced.shown && beside)
            buttons.forcedTakes = packshelf::forcedTakes(*beside);
    }
    return buttons;
}

void ChoiceButtons::apply(const WindowOutlets& outlets) const {
    outlets.mSetRuntimeButton->setVisible(runtime.shown);
    outlets.mSetDataButton->setVisible(data.shown);
    outlets.mForceDirButton->setVisible(forced.shown);
    enable(outlets);
}

void ChoiceButtons::enable(const WindowOutlets& outlets) const {
    outlets.mSetRuntimeButton->setEnabled(runtime.enabled);
    outlets.mSetDataButton->setEnabled(data.enabled);
    outlets.mForceDirButton->setEnabled(forced.enabled);
    showWhatForceTakes(outlets.mForceDirButton, forcedTakes);
}

} // namespace packshelf
