#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "core/PosixHandles.h"
#include "core/Result.h"
#include "install/records/Manifest.h"
#include "install/records/RecordsIndex.h"

namespace packshelf {

class Executor;
class RecordInterest;
struct RecordFile;        // one record file as LibraryRecords reads it
enum class RecordReading; // how much of it is read

// What reading the library's records found.
struct RecordsRead {
    std::vector<Manifest> manifests;      // by install, the earliest first
    std::vector<PackageListing> listings; // for a list of the packages
    // Record files whose content cannot be used (cut short, edited, not
    // safe to act on), each named with why: their packages are unknown.
    QStringList damaged;
    // Record files that could not be read at all (an input/output error),
    // each named with why: nothing may change the library while a record
    // of it is unknown this way.
    QStringList unreadable;
    // The file names of both, in the records folder.
    QSet<QByteArray> namesNotRead;
};

// The records of a library, DEST/.packshelf: a record per installed
// package ("<id>.json", see Manifest), and an index of them all
// ("records.index") so that a library of thousands of packages is read at
// once. Every path in a record is relative to the library, so a copied or
// moved library works where it is. Records are written under a staging
// name and renamed into place by a journal's step, so a crash never leaves
// one torn. The folder must be a real one: nothing is reached through a
// link. Records files are read side by side on the executor.
class LibraryRecords {
public:
    // A record's file ends so; a journal's file, in the same folder, begins
    // with the prefix.
    static constexpr char RecordSuffix[] = ".json";
    static constexpr char JournalPrefix[] = "journal-";
    // Where records of the earlier form kept the files packages replaced,
    // until the first change moves them into the store of versions.
    static constexpr char LegacyBackupFolder[] = "backup";

    LibraryRecords(QString library, Executor& executor);
    // Under the Change lock (see maintainIndex), brings the index of
    // records up to date.
    ~LibraryRecords();
    LibraryRecords(const LibraryRecords&) = delete;
    LibraryRecords& operator=(const LibraryRecords&) = delete;

    // The library holds the Change lock while this object lives: the
    // index is brought up to date before the lock is let go.
    void maintainIndex();

    QString library() const { return m_library; }
    // The records folder's path, for messages.
    QString folder() const;
    // The records folder, entered without following a link; made when
    // `makeMissing`. Invalid, with errno set, when it cannot be.
    handles::UniqueFd openFolder(bool makeMissing) const;
    QString recordPath(const QString& archive) const;
    // The record's file name in the records folder.
    QString recordName(const QString& archive) const;

    // Every record that can be read (see RecordsRead). Records are taken
    // from the index of records where it holds them as they are on disk.
    // With `interest`, the records of archives it does not name are read
    // without their files (Manifest::whole false), to be completed when a
    // change wants them, while this object lives. Fails when the records
    // folder cannot be read.
    Result<RecordsRead> load(const RecordInterest* interest = nullptr);
    // Reads whole each record of `manifests` read without its files that
    // `interest` wants; fails naming the first that cannot be.
    Status complete(std::vector<Manifest>& manifests, const RecordInterest& interest);
    // What a list of the installed packages shows of each record (in
    // RecordsRead::listings), checked as load() checks it, without keeping
    // the records' files.
    Result<RecordsRead> loadListings();
    // The highest sequence number given so far.
    static qint64 lastSequence(const std::vector<Manifest>& manifests);

    // Writes the record under a staging name in the records folder and
    // answers that name; fails, saying why, when it cannot. Not synced on
    // its own: the journal that places it syncs it with the rest of the
    // change.
    Result<QString> stage(const Manifest& manifest) const;
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
    Result<std::vector<RecordFile>>
    scanRecords(int folderFd, const KnownRecords& known, RecordReading reading, bool binaryWanted,
                bool* changed, RecordsRead* read, const RecordInterest* interest = nullptr,
                const QHash<QByteArray, RecordStamp>* stamps = nullptr) const;
    static KnownRecords knownFromIndex(const recordsindex::MappedIndex& mapped);
    // How many entries of the index file no record file bears as it is now.
    static qsizetype entriesNoRecordBears(const KnownRecords& known,
                                          const std::vector<RecordFile>& records);
    static bool locateRecord(int folderFd, RecordFile& record, const KnownRecords& known,
                             const QHash<QByteArray, RecordStamp>* stamps);
    Result<std::vector<RecordFile>> readRecordFiles(RecordReading reading, bool binaryWanted,
                                                    RecordsRead* read,
                                                    const RecordInterest* interest);
    Status completeOne(Manifest& manifest, const RecordInterest& interest) const;
    QString problemWith(const QByteArray& name, const QString& reason) const;
    bool indexWorthRewriting() const;
    void updateIndex();

    QString m_library;
    Executor& m_executor;
    bool m_maintainIndex = false;
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
    // Entries of the index file load() found no record file bearing.
    qsizetype m_staleEntries = 0;
};

} // namespace packshelf
