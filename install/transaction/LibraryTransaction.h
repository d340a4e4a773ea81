#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <vector>

#include "core/PosixHandles.h"
#include "core/Result.h"
#include "install/PackageRemoval.h"
#include "install/disk/LibraryFolders.h"
#include "install/journal/StagingLog.h"
#include "install/plan/InstallPlan.h"
#include "install/records/Manifest.h"
#include "install/transaction/FileHistory.h"

namespace packshelf {

class LibraryRecords;

// Carries out an install plan as one unit. Staging compares every planned
// file with the library (a file of the same size and CRC-32 is left alone)
// and writes each new or changed one, straight from the archive and
// checked against its CRC-32, under a staging name: a hidden file beside
// its final place, or inside a hidden folder that takes the place of a
// folder the library does not have yet. Nothing at a final name changes
// until every file is staged; then, when any file is replaced, the file
// system is synced once, and the staged folders and files are renamed into
// place. A failure or a cancel while staging removes everything staged and
// leaves the library as it was; a process killed at any moment leaves every
// library file old or new, and its staged leftovers are removed by the
// next install that writes beside them.
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

    // A library file as the records last wrote it down, by root and path.
    using LibraryFile = FileHistory::Known;
    using LibraryFiles = FileHistory::Files;

    // What the library is to remember of the package. With it, a replaced
    // file is first hard-linked (or copied) into the package's backup
    // folder, and the renames, the backups and the package's record are
    // written down as one journal and carried out from it.
    struct Memory {
        LibraryRecords* records = nullptr;
        Manifest manifest;                // its identity; files and folders are filled in
        std::vector<Manifest> others;     // the records of the other installed packages
        std::optional<Manifest> previous; // the record of an earlier version of this archive
        // The library's files as recorded; made from the records above when
        // not given.
        const LibraryFiles* files = nullptr;
    };

    // The files the records name, each as its latest record has it.
    static LibraryFiles filesOf(const std::vector<Manifest>& manifests) {
        return FileHistory::filesOf(manifests);
    }
    static void addFiles(LibraryFiles& files, const Manifest& manifest) {
        FileHistory::addFiles(files, manifest);
    }

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
    // The memory given, as a commit left it (the package's record filled
    // in, records of others it changed), for the next install of a run.
    Memory takeMemory() { return std::move(*m_memory); }

    // Each step fails with the first problem met, at failedPath().
    // Compares every planned file with the library, writing nothing.
    Status compare();
    const std::vector<Change>& changes() const { return m_changes; }

    // Fails when the plan cannot be staged whole.
    Status stage();
    // Renames everything staged into place; fails when any step fails: the
    // library is then as it was (or, when even the undo failed, left as it
    // is for the journal the next run reads).
    Status commit();

    const Counts& counts() const { return m_counts; }
    // With memory: what became of the files an earlier version had and this
    // one does not.
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

    struct Recorded;

    bool fail(const QString& target, const QString& problem);
    Status outcome(bool done) const;
    bool compareAll();
    bool stageAll();
    bool commitAll();
    bool resolveAll();
    bool backUpReplacedFiles(const QByteArray& staging);
    void noteStagingIn(const QByteArray& folder);
    bool commitThroughJournal();
    QString destinationPath() const;
    bool nothingChanges() const;
    bool cancelled();
    void sweep(const QByteArray& path);
    Folder* resolveFolder(const QString& target);
    bool resolveFile(const PlannedFile& file);
    bool makeFolder(const QString& target);
    bool canWriteIn(const QByteArray& folder, const QString& target);
    bool writeFile(const FileWrite& write);
    std::vector<FileWrite*> writeOrder();
    void rollback();
    QByteArray newStagingName();

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
    FileHistory m_history; // what the memory tells of the files met
    std::vector<Change> m_changes;
    RemovalOutcome m_removal;
    bool m_dryRun = false;
    std::optional<StagingLog> m_stagingLog; // with the library's memory
    Counts m_counts;
    QString m_problem;
    QString m_failedPath;
    bool m_committed = false;
    bool m_leftForRecovery = false; // neither finished nor undone: left as it is
    bool m_cancelledSeen = false;
    bool m_dataDamaged = false;
    int m_leftoversRemoved = 0;
};

// True for a name an install gives what it is writing.
bool isStagingName(const QString& name);

} // namespace packshelf
