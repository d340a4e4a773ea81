#include "ui/ChoiceActions.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMainWindow>
#include <QPointer>

#include "ui/ArchiveBrowser.h"
#include "ui/ChoiceMemory.h"
#include "ui/ConfigurationSheet.h"
#include "ui/ContentListModel.h"
#include "ui/ListSelection.h"
#include "ui/ListedArchives.h"
#include "ui/PlatformServices.h"
#include "ui/WindowOutlets.h"

Q_DECLARE_LOGGING_CATEGORY(lcWindow)

namespace packshelf {

ChoiceActions::ChoiceActions(Parts parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts) {}

QString ChoiceActions::sourcePath() const {
    return m_parts.folders.sourcePath().value_or(QString());
}

// A record still waiting for its report belongs to its worker: a choice
// written into it now would be lost, so it is refused.
void ChoiceActions::recordFolder(FolderChoice choice) {
    const qint64 row = m_parts.selection.row();
    const ArchiveItem* item = m_parts.list.record(row);
    if (!item || item->state() == ItemState::New)
        return;
    const std::optional<QString> holder = m_parts.browser.pathToSelectedNode(*item);
    if (!holder)
        return;
    m_parts.list.change(row,
                        [&](ArchiveItem& record) { recordFolderChoice(record, choice, *holder); });
    m_parts.memory.rememberFolder(sourcePath(), item->fileName(),
                                  m_parts.listed.stamps().value(item->fileName()), choice, *holder);
    qCInfo(lcWindow, "%s", qUtf8Printable(folderChoiceLogLine(choice, *holder)));
    emit chosen(*item);
}

// The texts keep the controller's translation context, where they were
// first written.
void ChoiceActions::defineDestination() {
    const qint64 row = m_parts.selection.row();
    const ArchiveItem* item = m_parts.list.record(row);
    if (!item) {
        emit refused(QCoreApplication::translate(
            "packshelf::AppDelegate", "Select an archive first, then choose where to install it."));
        return;
    }
    const QString fileName = item->text(key::FileName).value_or(QString());
    if (item->state() == ItemState::New) {
        emit refused(
            QCoreApplication::translate("packshelf::AppDelegate", "%1 is still being analysed.")
                .arg(fileName));
        return;
    }
    // An archive whose content could not be read at all has nothing to
    // install.
    if (item->state() == ItemState::Failed && item->integer(key::Error) == ItemError::ErrorOpen) {
        emit refused(
            QCoreApplication::translate("packshelf::AppDelegate",
                                        "%1 cannot be read, so nothing of it can be installed.")
                .arg(fileName));
        return;
    }
    QPointer<ChoiceActions> self(this);
    m_parts.services.pickFolder(
        m_parts.outlets.mWindow,
        QCoreApplication::translate("packshelf::AppDelegate", "Install %1 into").arg(fileName),
        ConfigurationSheet::pickerStart(item->text(key::DirectPath)),
        [self, row, fileName](const QString& folder) {
            if (self)
                self->applyDestination(row, fileName, folder);
        });
}

// The picker's completion: the record it was opened for is found by its
// file name, wherever the list has moved it meanwhile; it must still be
// analysed. The browser's selection is taken only when it is still that
// record's.
void ChoiceActions::applyDestination(qint64 row, const QString& fileName, const QString& folder) {
    const qint64 now = m_parts.list.rowOf(fileName, row);
    const ArchiveItem* item = m_parts.list.record(now);
    if (!item || item->state() == ItemState::New)
        return;
    const std::optional<QString> directSource =
        m_parts.selection.row() == now ? m_parts.browser.pathToSelectedNodeWithSelf(*item)
                                       : std::nullopt;
    m_parts.list.change(
        now, [&](ArchiveItem& record) { recordDirectDestination(record, folder, directSource); });
    m_parts.memory.rememberDestination(
        sourcePath(), fileName, m_parts.listed.stamps().value(fileName), folder, directSource);
    qCInfo(lcWindow, "DirectPath @ %s", qUtf8Printable(folder));
    emit chosen(*item);
}

} // namespace packshelf
