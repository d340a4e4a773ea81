#include "install/journal/LibraryRecovery.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/EngineText.h"
#include "install/disk/LibraryFiles.h"
#include "install/journal/LibraryJournal.h"
#include "install/journal/StagingLog.h"
#include "install/plan/InstallPlan.h"
#include "install/records/DestinationTrust.h"
#include "install/records/LibraryRecords.h"
#include "install/store/VersionStore.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

constexpr char RecoveredPrefix[] = "recovered-";

bool isJournalName(const QByteArray& name) {
    return name.startsWith(LibraryRecords::JournalPrefix) &&
           name.endsWith(LibraryRecords::RecordSuffix);
}

bool isStagingLog(const QByteArray& name) {
    return writerOf(name) != 0 && name.endsWith(StagingLog::Suffix);
}

QString recordsFolder(const QString& library) {
    return library + QLatin1Char('/') + QLatin1String(LibraryRecordsFolder);
}

Result<std::vector<DirEntry>> recordsEntries(const QString& library, UniqueFd& folder) {
    folder = openFolderBelow(library, QLatin1String(LibraryRecordsFolder), false);
    if (!folder.valid()) {
        if (errno == ENOENT)
            return std::vector<DirEntry>();
        return fail(EngineText::tr("%1: %2 (it must be a folder)")
                        .arg(recordsFolder(library), systemReason(errno)));
    }
    Result<std::vector<DirEntry>> entries = entriesOf(folder.get());
    if (!entries)
        return fail(QStringLiteral("%1: %2").arg(recordsFolder(library), entries.reason()));
    return entries;
}

// The staged names in the library a journal that cannot be carried out
// names, read as loosely as it can be read: one written by an earlier
// version, or damaged, may still say where its change staged files.
QStringList stagedNamedBy(const QByteArray& bytes, const QString& library) {
    const qsizetype mark = bytes.lastIndexOf("\nend ");
    const QByteArray body = mark < 0 ? bytes : bytes.left(mark).split('\n').first();
    const QJsonObject journal = QJsonDocument::fromJson(body).object();
    QStringList staged;
    for (const QJsonValue& step : journal.value(QStringLiteral("steps")).toArray()) {
        for (const QJsonValue& value : step.toObject()) {
            const QJsonObject path = value.toObject();
            const QString root = path.value(QStringLiteral("root")).toString();
            const QString relative = path.value(QStringLiteral("path")).toString();
            if (!path.value(QStringLiteral("destination")).toString().isEmpty() ||
                (!root.isEmpty() && root != library) || !isSafeRelative(relative) ||
                !isStagingName(relative.section(QLatin1Char('/'), -1)) ||
                relative.startsWith(QLatin1String(LibraryRecordsFolder) + QLatin1Char('/')))
                continue;
            staged << relative;
        }
    }
    return staged;
}

} // namespace

QString journalProblem(const QString& path, const QString& library, const QString& why) {
    return EngineText::tr("%1 cannot be read or carried out (%2), so the library is left as it "
                          "is, with what that change staged and set aside; "
                          "packshelf-cli recover %3 sets it aside")
        .arg(path, why, library);
}

LibraryRecovery::LibraryRecovery(QString library, LibraryRecords& records, VersionStore& store,
                                 const DestinationTrust& trust)
    : m_library(std::move(library))
    , m_records(records)
    , m_store(store)
    , m_trust(trust) {}

bool LibraryRecovery::isNamed(const QString& key) {
    if (!m_named) {
        m_named.emplace();
        const Result<RecordsRead> read = m_records.load();
        // Without every record, every version counts as named.
        if (!read || !read->namesNotRead.isEmpty())
            return true;
        for (const Manifest& manifest : read->manifests) {
            for (const Manifest::File& file : manifest.files) {
                if (!file.before.isEmpty())
                    m_named->insert(file.before);
            }
        }
        m_named->insert(QString()); // marks the set as whole
    }
    return !m_named->contains(QString()) || m_named->contains(key);
}

Status LibraryRecovery::replay(const QByteArray& name, Report& report) {
    const QString path = recordsFolder(m_library) + QLatin1Char('/') + QFile::decodeName(name);
    const UniqueFd folder = openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
    const Result<QByteArray> bytes = folder.valid() ? readWholeFile(folder.get(), name)
                                                    : Result<QByteArray>(fail(systemReason(errno)));
    if (!bytes)
        return fail(journalProblem(path, m_library, bytes.reason()));
    const Result<LibraryJournal::Read> read = LibraryJournal::parse(*bytes);
    if (!read)
        return fail(journalProblem(path, m_library, read.reason()));
    const auto trusted = [&](const QString& destination) {
        return read->sealed || m_trust.confirms(destination);
    };
    for (const JournalStep& step : read->steps) {
        if (const Status acceptable = checkStep(step, trusted); !acceptable)
            return fail(journalProblem(path, m_library, acceptable.reason()));
    }
    const LibraryJournal::Carried carried =
        LibraryJournal::carryOut(m_library, m_store, name, read->steps, true,
                                 [this](const QString& key) { return isNamed(key); });
    if (carried.leftForRecovery)
        return fail(journalProblem(path, m_library, carried.problems.join(QStringLiteral("; "))));
    if (carried.committed)
        report.finished << path;
    else
        report.undone << QStringLiteral("%1 (%2)").arg(path,
                                                       carried.problems.join(QStringLiteral("; ")));
    if (!carried.unfinished.isEmpty())
        return fail(carried.unfinished.join(QStringLiteral("; ")));
    return {};
}

Status LibraryRecovery::clearStaged(Report& report) {
    UniqueFd records;
    const Result<std::vector<DirEntry>> entries = recordsEntries(m_library, records);
    if (!entries)
        return entries.failure();
    QStringList failed;
    const auto clear = [&](int folder, const QString& shownFolder, const QByteArray& name) {
        const QString shown = shownFolder + QLatin1Char('/') + QFile::decodeName(name);
        if (const Status removed = removeTree(folder, name); !removed)
            failed << QStringLiteral("%1: %2").arg(shown, removed.reason());
        else
            report.cleared << shown;
    };
    // What each log names first: the logs are staging names too.
    for (const DirEntry& entry : *entries) {
        if (entry.folder || !isStagingLog(entry.name))
            continue;
        const Result<QByteArray> lines = readWholeFile(records.get(), entry.name);
        if (!lines) {
            failed << QStringLiteral("%1/%2: %3")
                          .arg(recordsFolder(m_library), QFile::decodeName(entry.name),
                               lines.reason());
            continue;
        }
        StagingLog::forEachFolder(m_library, *lines, [&](int fd, const QString& folder) {
            const Result<std::vector<DirEntry>> staged = entriesOf(fd);
            const QString shownFolder =
                folder.isEmpty() ? m_library : m_library + QLatin1Char('/') + folder;
            if (!staged) {
                failed << QStringLiteral("%1: %2").arg(shownFolder, staged.reason());
                return;
            }
            for (const DirEntry& name : *staged) {
                if (writerOf(name.name) != 0)
                    clear(fd, shownFolder, name.name);
            }
        });
    }
    // Under the lock every staged name of the records folder is a leftover.
    for (const DirEntry& entry : *entries) {
        if (writerOf(entry.name) != 0 && (failed.isEmpty() || !isStagingLog(entry.name)))
            clear(records.get(), recordsFolder(m_library), entry.name);
    }
    if (!failed.isEmpty())
        return fail(failed.join(QStringLiteral("; ")));
    return {};
}

Status LibraryRecovery::sweepStore(Report& report) {
    const Result<RecordsRead> read = m_records.load();
    if (!read)
        return read.failure();
    // A record that cannot be read may name any version: all stay.
    if (!read->namesNotRead.isEmpty()) {
        report.storeKeptFor = read->damaged + read->unreadable;
        return {};
    }
    QSet<QString> named;
    for (const Manifest& manifest : read->manifests) {
        for (const Manifest::File& file : manifest.files) {
            if (!file.before.isEmpty())
                named.insert(file.before);
        }
    }
    Result<std::vector<Version>> versions = m_store.versions();
    if (!versions)
        return versions.failure();
    for (const Version& version : *versions) {
        if (named.contains(version.key()))
            continue;
        if (const Status dropped = m_store.drop(version); !dropped)
            return dropped;
    }
    return {};
}

Result<LibraryRecovery::Report> LibraryRecovery::recover(bool wholeStore) {
    Report report;
    UniqueFd records;
    const Result<std::vector<DirEntry>> entries = recordsEntries(m_library, records);
    if (!entries)
        return entries.failure();
    QStringList problems;
    bool interrupted = false;
    for (const DirEntry& entry : *entries) {
        if (entry.folder || !isJournalName(entry.name))
            continue;
        interrupted = true;
        if (const Status replayed = replay(entry.name, report); !replayed)
            problems << replayed.reason();
    }
    if (!problems.isEmpty())
        return fail(problems.join(QLatin1Char('\n')));
    for (const DirEntry& entry : *entries)
        interrupted = interrupted || writerOf(entry.name) != 0;
    if (const Status cleared = clearStaged(report); !cleared)
        return fail(cleared.reason());
    if (wholeStore || interrupted) {
        if (const Status swept = sweepStore(report); !swept)
            return fail(swept.reason());
    }
    return report;
}

QStringList LibraryRecovery::pendingChanges(const QString& library) {
    QStringList notes;
    UniqueFd records;
    const Result<std::vector<DirEntry>> entries = recordsEntries(library, records);
    if (!entries)
        return {entries.reason()};
    for (const DirEntry& entry : *entries) {
        if (entry.folder || !isJournalName(entry.name))
            continue;
        const QString path =
            recordsFolder(library) + QLatin1Char('/') + QFile::decodeName(entry.name);
        const Result<QByteArray> bytes = readWholeFile(records.get(), entry.name);
        const Result<LibraryJournal::Read> read =
            bytes ? LibraryJournal::parse(*bytes) : Result<LibraryJournal::Read>(bytes.failure());
        if (read)
            notes << EngineText::tr("%1: a change was interrupted; the next command that "
                                    "changes the library finishes it")
                         .arg(path);
        else
            notes << journalProblem(path, library, read.reason());
    }
    return notes;
}

Result<QStringList> LibraryRecovery::setAside() {
    UniqueFd records;
    const Result<std::vector<DirEntry>> entries = recordsEntries(m_library, records);
    if (!entries)
        return entries.failure();
    QStringList moved;
    QByteArray aside;
    UniqueFd asideFd;
    const auto openAside = [&]() -> Status {
        if (asideFd.valid())
            return {};
        aside =
            RecoveredPrefix +
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1() +
            '-' + stagingName().right(8);
        if (makeFolderIn(records.get(), aside.constData()) != 0)
            return fail(
                QStringLiteral("%1: %2").arg(recordsFolder(m_library), systemReason(errno)));
        asideFd = openFolderIn(records.get(), aside);
        return asideFd.valid() ? Status()
                               : fail(QStringLiteral("%1: %2").arg(recordsFolder(m_library),
                                                                   systemReason(errno)));
    };
    const auto moveInto = [&](int fromFd, const QByteArray& name, const QString& below) -> Status {
        if (Status opened = openAside(); !opened)
            return opened;
        const UniqueFd to =
            below.isEmpty()
                ? UniqueFd(::dup(asideFd.get()))
                : openFolderBelow(recordsFolder(m_library),
                                  QFile::decodeName(aside) + QLatin1Char('/') + below, true);
        const QString target = recordsFolder(m_library) + QLatin1Char('/') +
                               QFile::decodeName(aside) + QLatin1Char('/') +
                               (below.isEmpty() ? QString() : below + QLatin1Char('/')) +
                               QFile::decodeName(name);
        if (!to.valid() ||
            renameIn(fromFd, name.constData(), to.get(), name.constData(), RENAME_NOREPLACE) != 0)
            return fail(QStringLiteral("%1: %2").arg(target, systemReason(errno)));
        moved << target;
        return {};
    };
    // What the logs name goes first, kept below "staged/" by its folder.
    for (const DirEntry& entry : *entries) {
        if (entry.folder || !isStagingLog(entry.name))
            continue;
        const Result<QByteArray> lines = readWholeFile(records.get(), entry.name);
        if (!lines)
            return fail(
                QStringLiteral("%1/%2: %3")
                    .arg(recordsFolder(m_library), QFile::decodeName(entry.name), lines.reason()));
        Status each;
        StagingLog::forEachFolder(m_library, *lines, [&](int fd, const QString& folder) {
            const Result<std::vector<DirEntry>> staged = entriesOf(fd);
            for (const DirEntry& name : staged ? *staged : std::vector<DirEntry>()) {
                if (writerOf(name.name) == 0 || !each)
                    continue;
                each = moveInto(fd, name.name,
                                QStringLiteral("staged") +
                                    (folder.isEmpty() ? QString() : QLatin1Char('/') + folder));
            }
        });
        if (!each)
            return each.failure();
    }
    for (const DirEntry& entry : *entries) {
        if ((entry.folder || !isJournalName(entry.name)) && writerOf(entry.name) == 0)
            continue;
        // What the journal staged in the library goes with it.
        const Result<QByteArray> bytes =
            isJournalName(entry.name) ? readWholeFile(records.get(), entry.name) : QByteArray();
        for (const QString& staged : bytes ? stagedNamedBy(*bytes, m_library) : QStringList()) {
            const auto [folder, name] = splitLast(staged);
            const UniqueFd from = openFolderBelow(m_library, folder, false);
            struct stat st;
            if (!from.valid() ||
                ::fstatat(from.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (Status done =
                    moveInto(from.get(), name,
                             QStringLiteral("staged") +
                                 (folder.isEmpty() ? QString() : QLatin1Char('/') + folder));
                !done)
                return done.failure();
        }
        if (Status done = moveInto(records.get(), entry.name, QString()); !done)
            return done.failure();
    }
    if (asideFd.valid())
        syncFile(records.get());
    return moved;
}

} // namespace packshelf
