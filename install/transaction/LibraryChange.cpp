#include "install/transaction/LibraryChange.h"

#include <QDateTime>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/EngineText.h"
#include "install/disk/FileCopy.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"
#include "install/records/LibraryRecords.h"
#include "install/records/Manifest.h"
#include "install/store/VersionStore.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

LibraryChange::LibraryChange(QString library, VersionStore& store, LibraryRecords& records)
    : m_library(std::move(library))
    , m_store(store)
    , m_records(records)
    , m_journal(m_library)
    , m_log(m_library) {}

LibraryChange::~LibraryChange() {
    if (!m_committed && !m_leftForRecovery)
        rollback();
}

Status LibraryChange::noteStaging(const RootedPath& folder) {
    if (!folder.destination.isEmpty())
        return {};
    return m_log.note(folder.relative);
}

void LibraryChange::staged(const RootedPath& path) {
    m_staged.push_back(path);
}

Result<Version> LibraryChange::setAside(const RootedPath& path) {
    const RootedPath folder = path.folder();
    const UniqueFd fd = openFolderBelow(folder.rootIn(m_library), folder.relative, false);
    Result<VersionStore::SetAside> aside =
        fd.valid() ? m_store.setAside(fd.get(), QFile::encodeName(path.name()))
                   : Result<VersionStore::SetAside>(fail(systemReason(errno)));
    if (!aside)
        return fail(EngineText::tr("%1 cannot be set aside: %2")
                        .arg(path.absoluteIn(m_library), aside.reason()));
    if (aside->added)
        m_added.insert(aside->version.key());
    return aside->version;
}

Result<QString> LibraryChange::keepOriginal(const RootedPath& path) {
    const RootedPath folder = path.folder();
    if (const Status noted = noteStaging(folder); !noted)
        return noted.failure();
    const UniqueFd fd = openFolderBelow(folder.rootIn(m_library), folder.relative, false);
    const QByteArray name = QFile::encodeName(path.name());
    const QByteArray original = stagingName();
    if (!fd.valid())
        return fail(QStringLiteral("%1: %2").arg(path.absoluteIn(m_library), systemReason(errno)));
    if (linkIn(fd.get(), name.constData(), fd.get(), original.constData()) != 0) {
        const int error = errno;
        if (error != EPERM && error != EMLINK && error != ENOTSUP && error != EOPNOTSUPP)
            return fail(EngineText::tr("%1 cannot be kept: %2")
                            .arg(path.absoluteIn(m_library), systemReason(error)));
        // No links here: a copy.
        const Result<ContentDigest> copied = copyFile(fd.get(), name, fd.get(), original);
        if (!copied)
            return fail(EngineText::tr("%1 cannot be kept: %2")
                            .arg(path.absoluteIn(m_library), copied.reason()));
    }
    const RootedPath kept = folder.child(QFile::decodeName(original));
    m_staged.push_back(kept);
    discard(kept);
    return QFile::decodeName(original);
}

Result<LibraryChange::Spot> LibraryChange::spotFor(const RootedPath& path) {
    Spot spot;
    spot.folder = openFolderBelow(path.rootIn(m_library), QString(), false);
    if (!spot.folder.valid())
        return fail(QStringLiteral("%1: %2").arg(path.rootIn(m_library), systemReason(errno)));
    RootedPath at{path.destination, QString()};
    bool inStaged = false;
    const QString folderPath = path.folder().relative;
    for (const QString& part : folderPath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const RootedPath next = at.child(part);
        QByteArray name = QFile::encodeName(part);
        if (const auto branch =
                m_stagedBranches.constFind(next.destination + QChar(0) + next.relative);
            branch != m_stagedBranches.constEnd())
            name = QFile::encodeName(*branch);
        UniqueFd child = openFolderIn(spot.folder.get(), name);
        if (!child.valid() && errno == ENOENT) {
            // A missing folder is made under a staging name, which the
            // commit gives it; those below it are made inside.
            if (!inStaged) {
                if (const Status noted = noteStaging(at); !noted)
                    return noted.failure();
                name = stagingName();
                m_staged.push_back(at.child(QFile::decodeName(name)));
                m_stagedBranches.insert(next.destination + QChar(0) + next.relative,
                                        QFile::decodeName(name));
            }
            if (makeFolderIn(spot.folder.get(), name.constData()) != 0)
                return fail(
                    QStringLiteral("%1: %2").arg(next.absoluteIn(m_library), systemReason(errno)));
            if (!inStaged)
                placeFolder(next, QFile::decodeName(name));
            inStaged = true;
            child = openFolderIn(spot.folder.get(), name);
        }
        if (!child.valid())
            return fail(
                QStringLiteral("%1: %2").arg(next.absoluteIn(m_library), systemReason(errno)));
        spot.folder = std::move(child);
        at = next;
    }
    spot.placeStep = !inStaged;
    if (spot.placeStep) {
        if (const Status noted = noteStaging(at); !noted)
            return noted.failure();
        spot.name = stagingName();
        m_staged.push_back(at.child(QFile::decodeName(spot.name)));
    } else {
        spot.name = QFile::encodeName(path.name());
    }
    return spot;
}

Status LibraryChange::putVersion(const Version& version, const RootedPath& path,
                                 const QString& original) {
    Result<Spot> spot = spotFor(path);
    if (!spot)
        return spot.failure();
    if (const Status copied = m_store.copyOut(version, spot->folder.get(), spot->name); !copied)
        return fail(EngineText::tr("%1 cannot be given back: %2")
                        .arg(path.absoluteIn(m_library), copied.reason()));
    if (spot->placeStep)
        placeFile(path, QFile::decodeName(spot->name), original);
    return {};
}

void LibraryChange::placeFile(const RootedPath& target, const QString& staged,
                              const QString& original) {
    m_journal.add(step::PlaceFile{target, staged, original, 0});
}

void LibraryChange::placeFolder(const RootedPath& target, const QString& staged) {
    m_journal.add(step::PlaceFolder{target, staged, 0});
}

Status LibraryChange::removeFile(const RootedPath& path, const ExpectedContent& expected) {
    const RootedPath folder = path.folder();
    if (const Status noted = noteStaging(folder); !noted)
        return noted;
    const RootedPath aside = folder.child(QFile::decodeName(stagingName()));
    moveAside(path, aside, expected);
    discard(aside);
    return {};
}

void LibraryChange::moveAside(const RootedPath& path, const RootedPath& aside,
                              std::optional<ExpectedContent> expected) {
    m_journal.add(step::MoveAside{path, aside, expected});
}

void LibraryChange::removeEmptyFolder(const RootedPath& path) {
    m_journal.add(step::RemoveEmptyFolder{path});
}

void LibraryChange::dropVersion(const QString& key) {
    m_journal.add(step::DropVersion{key});
}

void LibraryChange::discard(const RootedPath& path) {
    m_journal.add(step::Discard{path});
}

Result<QString> LibraryChange::keepForUser(const RootedPath& path, const QString& below,
                                           bool move) {
    if (m_keptStaged.isEmpty()) {
        const QString staged = QFile::decodeName(stagingName());
        const UniqueFd records = m_records.openFolder(true);
        if (!records.valid() ||
            makeFolderIn(records.get(), QFile::encodeName(staged).constData()) != 0)
            return fail(QStringLiteral("%1: %2").arg(m_records.folder(), systemReason(errno)));
        m_keptStaged = staged;
        m_keptName = QStringLiteral("repaired-") +
                     QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmss")) +
                     QLatin1Char('-') + staged.right(6);
        m_staged.push_back(inRecords(staged));
        discard(inRecords(staged));
    }
    const auto [folder, name] =
        splitLast(m_keptStaged + QLatin1Char('/') + below + QLatin1Char('/') + path.relative);
    const UniqueFd into = openFolderBelow(m_records.folder(), folder, true);
    if (!into.valid())
        return fail(
            QStringLiteral("%1/%2: %3").arg(m_records.folder(), folder, systemReason(errno)));
    if (move) {
        moveAside(path, inRecords(folder + QLatin1Char('/') + QFile::decodeName(name)),
                  std::nullopt);
    } else {
        const RootedPath from = path.folder();
        const UniqueFd fromFd = openFolderBelow(from.rootIn(m_library), from.relative, false);
        const QByteArray file = QFile::encodeName(path.name());
        if (!fromFd.valid())
            return fail(
                QStringLiteral("%1: %2").arg(path.absoluteIn(m_library), systemReason(errno)));
        if (linkIn(fromFd.get(), file.constData(), into.get(), name.constData()) != 0) {
            const Result<ContentDigest> copied = copyFile(fromFd.get(), file, into.get(), name);
            if (!copied)
                return fail(EngineText::tr("%1 cannot be kept: %2")
                                .arg(path.absoluteIn(m_library), copied.reason()));
        }
    }
    return m_records.folder() + QLatin1Char('/') + m_keptName + QLatin1Char('/') + below +
           QLatin1Char('/') + path.relative;
}

Status LibraryChange::writeRecord(const Manifest& manifest) {
    const Result<QString> staged = m_records.stage(manifest);
    if (!staged)
        return staged.failure();
    m_staged.push_back(inRecords(*staged));
    const QString name = m_records.recordName(manifest.archive);
    const UniqueFd folder = m_records.openFolder(false);
    // The record it replaces is kept as a link until the change is done, so
    // that an undo can put it back.
    QString original;
    const QByteArray link = stagingName();
    if (folder.valid() && linkIn(folder.get(), QFile::encodeName(name).constData(), folder.get(),
                                 link.constData()) == 0) {
        original = QFile::decodeName(link);
        m_staged.push_back(inRecords(original));
        discard(inRecords(original));
    } else if (!folder.valid() || errno != ENOENT) {
        return fail(QStringLiteral("%1: %2").arg(m_records.recordPath(manifest.archive),
                                                 systemReason(errno)));
    }
    m_journal.add(step::PlaceRecord{name, *staged, original});
    discard(inRecords(*staged));
    return {};
}

void LibraryChange::dropRecord(const QString& archive) {
    const QString aside = QFile::decodeName(stagingName());
    m_journal.add(step::DropRecord{m_records.recordName(archive), aside});
    discard(inRecords(aside));
}

Result<QStringList> LibraryChange::commit() {
    // The folder of kept versions takes its name with the change, after
    // everything moved into it.
    if (!m_keptStaged.isEmpty()) {
        placeFolder(inRecords(m_keptName), m_keptStaged);
        m_keptStaged.clear();
    }
    if (m_journal.isEmpty()) {
        m_committed = true;
        m_log.remove();
        return QStringList();
    }
    for (const QByteArray& name : m_journal.recordNames())
        m_records.noteChanged(name);
    Result<QStringList> committed = m_journal.commit(m_store);
    m_leftForRecovery = m_journal.leftForRecovery();
    if (!committed) {
        if (!m_leftForRecovery)
            rollback();
        return committed;
    }
    m_committed = true;
    // What is left unfinished stays noted for the next command.
    if (committed->isEmpty())
        m_log.remove();
    return committed;
}

// Takes away what the change prepared; when something cannot be, the
// staging log stays, and the next command's recovery clears it.
void LibraryChange::rollback() {
    bool whole = true;
    for (auto path = m_staged.rbegin(); path != m_staged.rend(); ++path) {
        const RootedPath folder = path->folder();
        const UniqueFd fd = openFolderBelow(folder.rootIn(m_library), folder.relative, false);
        whole = (fd.valid() ? removeTree(fd.get(), QFile::encodeName(path->name())).ok()
                            : errno == ENOENT) &&
                whole;
    }
    m_staged.clear();
    for (const QString& key : m_added) {
        if (const std::optional<Version> version = Version::fromKey(key))
            whole = m_store.drop(*version).ok() && whole;
    }
    m_added.clear();
    if (whole)
        m_log.remove();
}

} // namespace packshelf
