#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "analysis/ArchiveItem.h"
#include "install/InstallJob.h"
#include "install/ItemHandOver.h"

namespace packshelf {

class ConfigurationSheet;
class ContentListModel;
class InstallSession;
class LibrarySide;

// What an install of the ready archives would do to the library, and which
// listed archives are installed there. Looked at after each scan (an
// install ends with one), after a choice or a drop and after an uninstall;
// several reasons in one turn of the event loop make one look.
class LibraryLook : public QObject {
    Q_OBJECT
public:
    // `paused` tells when no look may run (an install is asked for or runs,
    // or quitting has begun); `scanRunning` when the batch is not known yet.
    LibraryLook(const ContentListModel& list, const ConfigurationSheet& folders, LibrarySide& side,
                InstallSession& session, std::function<bool()> paused,
                std::function<bool()> scanRunning, QObject* parent = nullptr);

    void schedule();
    // The ready archives (those `chosen`, when given) as one install.
    InstallJob readyJob(const ItemFilter& chosen = nullptr) const;
    // Reads which listed archives are installed in the library.
    void readLibrary();
    // Whether the archive's package is installed, and for a ready archive
    // what installing it would do.
    QString libraryText(const ArchiveItem& item) const;

private:
    void look();
    void previewReadyItems();

    const ContentListModel& m_list;
    const ConfigurationSheet& m_folders;
    LibrarySide& m_side;
    InstallSession& m_session;
    std::function<bool()> m_paused;
    std::function<bool()> m_scanRunning;
    QTimer m_timer;
};

} // namespace packshelf
