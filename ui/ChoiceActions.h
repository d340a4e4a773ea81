#pragma once

#include <QObject>
#include <QString>

#include "analysis/ArchiveItem.h"
#include "analysis/ManualChoice.h"

namespace packshelf {

class ArchiveBrowser;
class ChoiceMemory;
class ContentListModel;
class ConfigurationSheet;
class ListSelection;
class ListedArchives;
struct PlatformServices;
struct WindowOutlets;

// The window's actions that make a choice by hand in the selected archive:
// the folder picked in its browser as Runtime, Data or forced, or a folder
// of the library to install it into. The engine's rules write each into the
// record (ManualChoice); ChoiceMemory keeps it for the archive's next
// analysis; ChoiceButtons says which of these actions are offered.
class ChoiceActions : public QObject {
    Q_OBJECT
public:
    struct Parts {
        ContentListModel& list;
        const ListSelection& selection;
        const ArchiveBrowser& browser;
        ChoiceMemory& memory;
        const ListedArchives& listed;
        const ConfigurationSheet& folders;
        PlatformServices& services;
        const WindowOutlets& outlets;
    };

    explicit ChoiceActions(Parts parts, QObject* parent = nullptr);

    // The browser's selected folder as the selected archive's choice.
    void recordFolder(FolderChoice choice);
    // Asks for the folder of the library to install the selected archive
    // into.
    void defineDestination();

signals:
    // A choice was written into `item`.
    void chosen(const ArchiveItem& item);
    void refused(const QString& why);

private:
    QString sourcePath() const;
    void applyDestination(qint64 row, const QString& fileName, const QString& folder);

    Parts m_parts;
};

} // namespace packshelf
