#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <vector>

#include "core/Result.h"
#include "install/disk/LibraryFiles.h"
#include "install/disk/LibraryFolders.h"
#include "install/plan/InstallPlan.h"
#include "install/records/Manifest.h"
#include "install/transaction/LayerRemoval.h"
#include "install/transaction/LibraryMemory.h"
#include "install/transaction/RecordedFile.h"

namespace packshelf {

class LibraryChange;
class LibraryRecords;
class VersionHistory;

// Carries out an install plan as one unit. Staging compares every planned
// file with the library (a file of the same size and CRC-32 is left alone)
// and writes each new or changed one, straight from the archive and
// checked against its CRC-32, under a staging name: a hidden file beside
// its final place, or inside a hidden folder that takes the place of a
// folder the library does not have yet. Nothing at a final name changes
// until every file is staged; then what the package replaces is set aside
// (see InstallLayers) and the change is committed through one journal
// (see LibraryChange). A failure or a cancel while staging removes
// everything staged and leaves the library as it was.
//
// Paths of the library are matched without regard to letter case: a
// planned "runtime/a.txt" goes into an existing "Runtime/A.TXT". Nothing is
// ever written through a symbolic link, and nothing of the user's is
// removed.
class LibraryTransaction {
public:
    struct Counts {
        int added = 0;
        int replaced = 0;
        int same = 0;
    };

    using Memory = LibraryMemory;

    // One planned file as it would go into the library.
    struct Change {
        enum class Kind { Add, Replace, Same };
        QString path;   // under the root, as named on disk
        QString target; // under the root, as the plan names it
        Kind kind = Kind::Add;
        QString owner; // the installed package the library's file belongs to
        quint64 size = 0;
        quint32 crc = 0;
        // False for a 7z or RAR file not decoded yet: its CRC-32 is known
        // only once the install writes it.
        bool crcKnown = true;
    };

    using Recorded = RecordedFile;

    LibraryTransaction(const InstallPlan& plan, const ArchiveView& view,
                       const std::atomic<bool>* cancel = nullptr);
    // Removes whatever is staged and not committed.
    ~LibraryTransaction();
    LibraryTransaction(const LibraryTransaction&) = delete;
    LibraryTransaction& operator=(const LibraryTransaction&) = delete;

    void remember(Memory memory);
    // Told, while staging, of every piece of a file written: the file's
    // path as the plan names it and the bytes just written. Called on the
    // staging thread, often.
    using Written = std::function<void(const QString& target, quint64 bytes)>;
    void onWritten(Written written) { m_written = std::move(written); }

    // Compares every planned file with the library, writing nothing.
    Status compare();
    const std::vector<Change>& changes() const { return m_changes; }
    // Fails when the plan cannot be staged whole.
    Status stage();
    // Sets aside what the package replaces and commits everything staged
    // through the journal; fails when any step fails: the library is then
    // as it was (or, when even the undo failed, left as it is for the
    // journal the next run reads). Answers what the change could not
    // finish, which the next command does.
    Result<QStringList> commit();

    // For a repair: what stands at these paths (record paths) and is not a
    // file (a link, a folder) is kept rather than in the way.
    void keepAsideAt(QSet<QString> paths) { m_keepAside = std::move(paths); }
    // What a repair kept of what stood in the files' places: the path, and
    // where it is kept (absolute paths).
    struct Kept {
        QStringList from;
        QStringList as;
    };
    // A repair's commit: every file staged is put in its place, what stood
    // there kept first in a new folder "repaired-…/<package>/" of the
    // records folder; the records stay as they are.
    Result<QStringList> commitRepair(const QString& package, Kept& kept);

    const Counts& counts() const { return m_counts; }
    // What became of the files an earlier version had and this one has not.
    const RemovalOutcome& removal() const { return m_removal; }
    // The library path the failure concerns.
    const QString& failedPath() const { return m_failedPath; }
    bool wasCancelled() const { return m_cancelledSeen; }
    // The failure was the archive's data (damaged, or not as declared),
    // not the library.
    bool dataDamaged() const { return m_dataDamaged; }
    // Staged leftovers of ended installs removed on the way.
    int leftoversRemoved() const { return m_leftoversRemoved; }

private:
    struct Folder;
    struct StagedFolder;
    struct FileWrite;

    Status failure(const QString& target, const QString& problem);
    Status resolveAll();
    Status resolveFile(const PlannedFile& file);
    Result<Folder*> resolveFolder(const QString& target);
    Status makeFolder(const QString& target);
    Status canWriteIn(const QByteArray& folder, const QString& target);
    Status writeFile(const FileWrite& write);
    Status noteStaging(const QByteArray& folder);
    QString ownerOf(const Recorded& recorded, const struct ::stat& st, int dirFd) const;
    Result<quint32> currentCrc(const Recorded& recorded, const struct ::stat& st, int dirFd) const;
    QString destinationPath() const;
    bool cancelled();
    void sweep(const QByteArray& path);
    std::vector<FileWrite*> writeOrder();
    void rollback();
    bool sharesListings() const;
    void noteCommittedNames();

    const InstallPlan& m_plan;
    const ArchiveView& m_view;
    const std::atomic<bool>* m_cancel;
    Written m_written;
    LibraryFolders m_disk;               // the root and the folders that exist below it
    std::map<QString, Folder> m_folders; // nodes stay put while others are added
    std::vector<StagedFolder> m_stagedFolders;
    std::vector<FileWrite> m_writes;
    std::vector<Recorded> m_recorded;
    QHash<QByteArray, std::size_t> m_recordAt;
    std::optional<Memory> m_memory;
    std::unique_ptr<LibraryChange> m_change; // with the library's records
    std::vector<Change> m_changes;
    RemovalOutcome m_removal;
    QSet<QString> m_keepAside;
    bool m_dryRun = false;
    Counts m_counts;
    QString m_failedPath;
    bool m_committed = false;
    bool m_leftForRecovery = false; // neither finished nor undone: left as it is
    bool m_cancelledSeen = false;
    bool m_dataDamaged = false;
    int m_leftoversRemoved = 0;
};

// True for a name an install gives what it is writing.
inline bool isStagingName(const QString& name) {
    return library::isStagingName(name);
}

} // namespace packshelf
