#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/PosixHandles.h"
#include "core/Result.h"
#include "install/records/Manifest.h"
#include "install/records/RecordsIndex.h"

namespace packshelf {

class RecordInterest;
struct RecordFile;        // one record file as LibraryRecords reads it
enum class RecordReading; // how much of it is read

// The library's own folder, DEST/.packshelf: a manifest per installed
// package ("<id>.json"), the files the packages replaced
// ("backup/<id>/…"), and the journals of changes under way. Every path in
// it is relative to the library, so a copied or moved library works where
// it is. Records are written through a temporary file and a rename, so a
// crash never leaves one torn; a change that touches several files and
// records is written as a journal first and carried out from it, so that
// the next run can finish what a killed one began. The folder and its
// backup folder must be real folders: nothing is reached through a link.
class LibraryRecords {
public:
    static constexpr char BackupFolder[] = "backup";
    // Lists the folders an install stages in, one a line relative to the
    // library (after a line "destination PATH" when it writes into an
    // archive's own destination); named with the staging prefix and this
    // ending.
    static constexpr char StagingLogSuffix[] = ".staged";
    // Where `recover` puts what an unreadable journal left.
    static constexpr char RecoveredPrefix[] = "recovered-";

    explicit LibraryRecords(QString library);
    // Under the Change lock, brings the index of records up to date before
    // the lock is let go.
    ~LibraryRecords();
    LibraryRecords(const LibraryRecords&) = delete;
    LibraryRecords& operator=(const LibraryRecords&) = delete;

    QString library() const { return m_library; }
    // The records folder's path, for messages.
    QString folder() const;
    // The records folder, entered without following a link; made when
    // `makeMissing`. Invalid, with errno set, when it cannot be.
    handles::UniqueFd openFolder(bool makeMissing) const;
    QString recordPath(const QString& archive) const;
    QString backupFolderOf(const QString& archive) const;

    enum class Access { Read, Change };
    // Waits until no other process changes the library (for Change: nor
    // reads it), and holds it while this object lives. `waiting` hears,
    // before the wait, who holds it. Fails when the library cannot be
    // locked: nothing may then be done.
    Status lock(Access access, const std::function<void(const QString&)>& waiting = nullptr);
    // The way into the records before reading them: locks the library, then
    // settles what killed runs left. To Read, they are only noted in
    // `problems`; to Change, they are finished first (recover), and it
    // fails, with `problems` saying why, when one cannot be: the library is
    // then left as it is and must not change.
    Status lockAndSettle(Access access, QStringList* problems,
                         const std::function<void(const QString&)>& waiting = nullptr);

    // Under the Change lock: finishes (or undoes) the journals that ended
    // runs left, and removes what they staged. False, with `problems` set,
    // when a journal cannot be read or carried out: it is then left as it
    // is, with every staged file and backup, and nothing may change the
    // library until `setAside` was run.
    bool recover(QStringList* problems);
    // Writes nothing: notes, in `problems`, journals that wait to be
    // finished or cannot be read.
    void pendingChanges(QStringList* notes) const;
    // Moves unreadable journals, and the backups and logs of staged files
    // they may have needed, into a "recovered-…" folder in the records
    // folder, where they stay for the user; lists, in `moved`, what was
    // moved and the staged files it leaves in place.
    Status setAside(QStringList* moved);

    // Every record that can be read; each one that cannot (unreadable, torn,
    // edited by hand) is named in `problems`, and its package is unknown.
    // Records are taken from the index of records where it holds them as
    // they are on disk.
    // With `interest`, the records of archives it does not name are read
    // without their files (Manifest::whole false), to be completed when a
    // change wants them, while this object lives.
    std::vector<Manifest> load(QStringList* problems, const RecordInterest* interest = nullptr);
    // Reads whole each record of `manifests` read without its files that
    // `interest` wants; one that cannot be is named in `problems` and left
    // as it is.
    void complete(std::vector<Manifest>& manifests, const RecordInterest& interest,
                  QStringList* problems);
    // What a list of the installed packages shows of each record, checked
    // as load() checks it, without keeping the records' files.
    std::vector<PackageListing> loadListings(QStringList* problems);
    // The highest sequence number given so far.
    static qint64 lastSequence(const std::vector<Manifest>& manifests);

    // The record's file name in the records folder.
    QString recordName(const QString& archive) const;
    // Writes the record under a staging name in the records folder, synced,
    // and answers that name; fails, saying why, when it cannot.
    Result<QString> stage(const Manifest& manifest) const;
    bool remove(const QString& archive);
    // A record file of this name may change under the Change lock: the
    // index of records looks at it again when it is brought up to date.
    // The others are taken to bear the stamps load() found on them.
    void noteChanged(const QByteArray& name) { m_changed.insert(name); }

private:
    struct KnownRecord {
        recordsindex::Entry entry;
        bool inFile = false; // an entry of the index file
    };
    using KnownRecords = QHash<QByteArray, KnownRecord>;
    struct KeptIndexEntry {
        QByteArray name;
        RecordStamp stamp;
        QByteArray record;
        quint32 crc = 0;
    };
    std::vector<RecordFile>
    scanRecords(int folderFd, const KnownRecords& known, RecordReading reading, bool binaryWanted,
                bool* changed, QStringList* problems, const RecordInterest* interest = nullptr,
                const QHash<QByteArray, RecordStamp>* stamps = nullptr) const;
    static KnownRecords knownFromIndex(const recordsindex::MappedIndex& mapped);
    static bool locateRecord(int folderFd, RecordFile& record, const KnownRecords& known,
                             const QHash<QByteArray, RecordStamp>* stamps);
    std::vector<RecordFile> readRecordFiles(RecordReading reading, bool binaryWanted,
                                            QStringList* problems, const RecordInterest* interest);
    bool completeOne(Manifest& manifest, const RecordInterest& interest,
                     QStringList* problems) const;
    QString problemWith(const QByteArray& name, const QString& reason) const;
    void updateIndex();

    QString m_library;
    Access m_access = Access::Read;
    handles::UniqueFd m_lock;
    // The records load() read from their files, for the index.
    std::vector<KeptIndexEntry> m_readFromFiles;
    bool m_indexKept = false;
    // The index as load() read it, and where in it each record read without
    // its files is, by archive.
    std::unique_ptr<recordsindex::MappedIndex> m_mapped;
    KnownRecords m_known; // its entries
    QHash<QString, QByteArrayView> m_unread;
    // The stamps of the record files load() read, and the names of those a
    // change may have written since.
    QHash<QByteArray, RecordStamp> m_stamps;
    QSet<QByteArray> m_changed;
};

} // namespace packshelf
