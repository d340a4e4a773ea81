#include "install/LibraryUpgrade.h"

#include <QDateTime>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/EngineText.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"
#include "install/records/LibraryRecords.h"
#include "install/transaction/LibraryChange.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

QString backupFolder() {
    return QLatin1String(LibraryRecords::LegacyBackupFolder);
}

// Every file below the open folder, by its path relative to it.
Status listFiles(int folder, const QString& prefix, QStringList& files) {
    const Result<std::vector<DirEntry>> entries = entriesOf(folder);
    if (!entries)
        return entries.failure();
    for (const DirEntry& entry : *entries) {
        const QString path = prefix + QFile::decodeName(entry.name);
        if (!entry.folder) {
            files << path;
            continue;
        }
        const UniqueFd child = openFolderIn(folder, entry.name);
        if (!child.valid())
            return fail(QStringLiteral("%1: %2").arg(path, systemReason(errno)));
        if (Status listed = listFiles(child.get(), path + QLatin1Char('/'), files); !listed)
            return listed;
    }
    return {};
}

} // namespace

Status moveLegacyBackups(LibraryRecords& records, VersionStore& store) {
    const QString library = records.library();
    const UniqueFd recordsFolder = records.openFolder(false);
    struct stat st;
    if (!recordsFolder.valid() || ::fstatat(recordsFolder.get(), LibraryRecords::LegacyBackupFolder,
                                            &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    const QString shownFolder = records.folder() + QLatin1Char('/') + backupFolder();
    const UniqueFd backups = openFolderIn(recordsFolder.get(), LibraryRecords::LegacyBackupFolder);
    if (!backups.valid())
        return fail(
            EngineText::tr("%1: %2 (it must be a folder)").arg(shownFolder, systemReason(errno)));
    QStringList files;
    if (Status listed = listFiles(backups.get(), QString(), files); !listed)
        return fail(QStringLiteral("%1: %2").arg(shownFolder, listed.reason()));
    const Result<RecordsRead> read = records.load();
    if (!read)
        return read.failure();
    if (!read->namesNotRead.isEmpty())
        return fail(
            EngineText::tr("%1 cannot be brought into the store while a record cannot be "
                           "read: %2")
                .arg(shownFolder, (read->damaged + read->unreadable).join(QStringLiteral("; "))));
    LibraryChange change(library, store, records);
    QSet<QString> named;
    for (Manifest manifest : read->manifests) {
        if (!manifest.hasLegacyBackups())
            continue;
        const QString folder = backupFolder() + QLatin1Char('/') + manifestId(manifest.archive);
        for (Manifest::File& file : manifest.files) {
            if (file.legacyBackup.isEmpty())
                continue;
            const QString relative = folder + QLatin1Char('/') + file.legacyBackup;
            file.legacyBackup.clear();
            if (!files.contains(relative.mid(backupFolder().size() + 1)))
                continue; // lost already: the record says so by naming no version
            const Result<Version> version = change.setAside(inRecords(relative));
            if (!version)
                return version.failure();
            file.before = version->key();
            named.insert(relative.mid(backupFolder().size() + 1));
        }
        if (Status written = change.writeRecord(manifest); !written)
            return written;
    }
    // A backup no record names may be the only copy of something of the
    // user's: it is kept where the user finds it.
    QStringList unnamed;
    for (const QString& file : files) {
        if (!named.contains(file))
            unnamed << file;
    }
    if (!unnamed.isEmpty()) {
        const QString kept = QFile::decodeName(stagingName());
        if (makeFolderIn(recordsFolder.get(), QFile::encodeName(kept).constData()) != 0)
            return fail(QStringLiteral("%1: %2").arg(records.folder(), systemReason(errno)));
        change.staged(inRecords(kept));
        for (const QString& file : unnamed) {
            const QString below = kept + QLatin1Char('/') + backupFolder() + QLatin1Char('/') +
                                  file.section(QLatin1Char('/'), 0, -2);
            const UniqueFd made = openFolderBelow(records.folder(), below, true);
            if (!made.valid())
                return fail(
                    QStringLiteral("%1/%2: %3").arg(records.folder(), below, systemReason(errno)));
            change.moveAside(
                inRecords(backupFolder() + QLatin1Char('/') + file),
                inRecords(kept + QLatin1Char('/') + backupFolder() + QLatin1Char('/') + file),
                std::nullopt);
        }
        change.placeFolder(
            inRecords(QStringLiteral("recovered-") +
                      QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                      QLatin1Char('-') + kept.right(8)),
            kept);
    }
    const QString aside = QFile::decodeName(stagingName());
    change.moveAside(inRecords(backupFolder()), inRecords(aside), std::nullopt);
    change.discard(inRecords(aside));
    const Result<QStringList> committed = change.commit();
    if (!committed)
        return fail(EngineText::tr("%1 cannot be brought into the store: %2")
                        .arg(shownFolder, committed.reason()));
    return {};
}

} // namespace packshelf
