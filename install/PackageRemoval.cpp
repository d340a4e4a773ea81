#include "install/PackageRemoval.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"
#include "install/records/LibraryRecords.h"

namespace packshelf {

using namespace library;

namespace {

using Action = Manifest::File::Action;

// The records of later packages that wrote over one of `package`'s files
// (their version replaced its version), by path.
QHash<QString, std::pair<Manifest*, Manifest::File*>> recordsOver(const Manifest& package,
                                                                  std::vector<Manifest>& others) {
    QHash<QString, std::pair<Manifest*, Manifest::File*>> found;
    for (Manifest& other : others) {
        if (other.sequence <= package.sequence || other.root != package.root)
            continue;
        for (Manifest::File& record : other.files) {
            if (record.previousOwner == package.archive)
                found.insert(record.path, {&other, &record});
        }
    }
    return found;
}

enum class Current { Missing, AsWritten, Changed };

// The folders of one package's files, each entered once (without
// following a link) however many files it holds.
class PackageFolders {
public:
    explicit PackageFolders(const Manifest& package)
        : m_package(package) {}

    int open(const QString& folder) {
        if (folder != m_lastPath || !m_last.valid()) {
            m_last = openFolderBelow(m_package.root, folder, false);
            m_lastPath = folder;
        }
        return m_last.get();
    }

private:
    const Manifest& m_package;
    QString m_lastPath;
    handles::UniqueFd m_last;
};

// Whether the library file is still as the package wrote it: size and
// modification time first, the CRC-32 when the time differs.
Current currentState(PackageFolders& folders, const Manifest::File& file) {
    const auto [folder, name] = splitLast(file.path);
    const int dir = folders.open(folder);
    struct stat st;
    if (dir < 0 || ::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Current::Missing : Current::Changed;
    if (!S_ISREG(st.st_mode) || quint64(st.st_size) != file.size)
        return Current::Changed;
    if (st.st_mtim.tv_sec == file.modified)
        return Current::AsWritten;
    return fileHasContent(dir, name, file.size, file.crc) ? Current::AsWritten : Current::Changed;
}

bool backupHolds(const LibraryRecords& records, const Manifest& package, const QString& backup,
                 quint64 size, quint32 crc) {
    const auto [folder, name] = splitLast(backupPath(records, package, backup).relative);
    const handles::UniqueFd dir = openFolderBelow(records.library(), folder, false);
    return dir.valid() && fileHasContent(dir.get(), name, size, crc);
}

// Hands `file` of the package being removed on to the later record that
// wrote over it: that record now stands for what was there before.
void handOn(const Manifest& package, const Manifest::File& file, Manifest& later,
            Manifest::File& record, const LibraryRecords& records, LibraryJournal& journal) {
    record.previousOwner = file.previousOwner;
    if (file.action == Action::Replaced) {
        if (record.backup.isEmpty())
            record.backup = record.path;
        record.action = Action::Replaced;
        journal.move(backupPath(records, package, file.backup),
                     backupPath(records, later, record.backup));
    } else if (file.action == Action::New) {
        // Nothing was there before: the later package's file is its own new
        // one, unless what it backed up was a user's own version, which
        // stays the user's to get back.
        if (record.action == Action::Replaced &&
            !backupHolds(records, later, record.backup, file.size, file.crc))
            return;
        if (record.action == Action::Replaced)
            journal.remove(backupPath(records, later, record.backup), file.size, file.crc,
                           LibraryJournal::Tally::None);
        record.action = Action::New;
        record.backup.clear();
    }
}

// True when a package installed after `package` wrote the file last: it is
// that package's now, whatever it kept of what was there.
bool writtenLaterOver(const Manifest& package, const Manifest::File& file,
                      const std::vector<Manifest>& others) {
    for (const Manifest& other : others) {
        if (other.sequence <= package.sequence || other.root != package.root)
            continue;
        for (const Manifest::File& record : other.files) {
            if (record.path == file.path && record.written())
                return true;
        }
    }
    return false;
}

// The latest other package of the same root with a file below `folder`.
Manifest* laterHolderOf(const QString& folder, const Manifest& package,
                        std::vector<Manifest>& others) {
    const QString prefix = folder + QLatin1Char('/');
    for (auto other = others.rbegin(); other != others.rend(); ++other) {
        if (other->root != package.root)
            continue;
        for (const Manifest::File& file : other->files) {
            if (file.written() && file.path.startsWith(prefix))
                return &*other;
        }
    }
    return nullptr;
}

} // namespace

RootedPath backupPath(const LibraryRecords& records, const Manifest& package,
                      const QString& backup) {
    return inRecords(records.backupFolderOf(package.archive) + QLatin1Char('/') + backup);
}

void RemovalOutcome::keep(const QString& path, const QString& reason) {
    kept.append(path);
    keptReasons.append(reason);
}

void RemovalOutcome::countResults(const LibraryJournal& journal, const QString& root) {
    for (const LibraryJournal::Result& result : journal.results()) {
        if (result.done) {
            ++(result.tally == LibraryJournal::Tally::Restored ? restored : removed);
            continue;
        }
        if (result.problem.isEmpty())
            continue; // gone already
        keep(root + QLatin1Char('/') + result.shown,
             result.problem.section(QStringLiteral(": "), -1));
        notRemoved.append(result.shown);
    }
}

bool isAsRecorded(const Manifest& package) {
    PackageFolders folders(package);
    return std::all_of(package.files.begin(), package.files.end(), [&](const Manifest::File& file) {
        return currentState(folders, file) == Current::AsWritten;
    });
}

std::vector<const Manifest::File*> allFiles(const Manifest& package) {
    std::vector<const Manifest::File*> files;
    for (const Manifest::File& file : package.files)
        files.push_back(&file);
    return files;
}

RemovalOutcome planRemoval(const Manifest& package, const std::vector<const Manifest::File*>& files,
                           std::vector<Manifest>& others, const LibraryRecords& records,
                           LibraryJournal& journal) {
    RemovalOutcome outcome;
    PackageFolders folders(package);
    const auto over = recordsOver(package, others);
    for (const Manifest::File* file : files) {
        if (const auto found = over.constFind(file->path); found != over.constEnd()) {
            auto [later, record] = *found;
            handOn(package, *file, *later, *record, records, journal);
            if (!outcome.changedRecords.contains(later->archive))
                outcome.changedRecords.append(later->archive);
            ++outcome.handedOn;
            continue;
        }
        if (!file->written())
            continue;
        if (writtenLaterOver(package, *file, others)) {
            ++outcome.handedOn;
            continue;
        }
        const RootedPath path{package.destination, file->path};
        switch (currentState(folders, *file)) {
        case Current::Changed:
            outcome.keep(path.absoluteIn(records.library()),
                         QStringLiteral("changed since %1 installed it").arg(package.archive));
            break;
        case Current::Missing:
            // Nothing of the package's is there; what it replaced comes back.
            if (file->action == Action::Replaced)
                journal.restore(backupPath(records, package, file->backup), path);
            break;
        case Current::AsWritten:
            if (file->action == Action::Replaced)
                journal.restore(backupPath(records, package, file->backup), path);
            else
                journal.remove(path, file->size, file->crc);
            break;
        }
    }
    return outcome;
}

RemovalOutcome planUninstall(const Manifest& package, std::vector<Manifest>& others,
                             const LibraryRecords& records, LibraryJournal& journal) {
    RemovalOutcome outcome = planRemoval(package, allFiles(package), others, records, journal);
    for (auto folder = package.folders.crbegin(); folder != package.folders.crend(); ++folder) {
        Manifest* holder = laterHolderOf(*folder, package, others);
        if (!holder) {
            journal.removeFolder({package.destination, *folder});
            continue;
        }
        if (!holder->folders.contains(*folder)) {
            holder->folders.append(*folder);
            std::sort(holder->folders.begin(), holder->folders.end(),
                      [](const QString& a, const QString& b) {
                          return a.count(QLatin1Char('/')) < b.count(QLatin1Char('/'));
                      });
        }
        if (!outcome.changedRecords.contains(holder->archive))
            outcome.changedRecords.append(holder->archive);
    }
    // Backups of kept files stay; the rest of the backup folder goes,
    // deepest folders first.
    QStringList backupFolders;
    for (const Manifest::File& file : package.files) {
        for (QString folder = file.backup.section(QLatin1Char('/'), 0, -2); !folder.isEmpty();
             folder = folder.section(QLatin1Char('/'), 0, -2)) {
            if (!backupFolders.contains(folder))
                backupFolders.append(folder);
            if (!folder.contains(QLatin1Char('/')))
                break;
        }
    }
    std::sort(backupFolders.begin(), backupFolders.end(), [](const QString& a, const QString& b) {
        return a.count(QLatin1Char('/')) > b.count(QLatin1Char('/'));
    });
    for (const QString& folder : backupFolders)
        journal.removeFolder(backupPath(records, package, folder));
    journal.removeFolder(inRecords(records.backupFolderOf(package.archive)));
    journal.removeFolder(inRecords(QLatin1String(LibraryRecords::BackupFolder)));
    for (const Manifest& other : others) {
        if (outcome.changedRecords.contains(other.archive))
            journal.writeRecord(records, other);
    }
    journal.dropRecord(package.archive);
    return outcome;
}

} // namespace packshelf
