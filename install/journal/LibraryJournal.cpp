#include "install/journal/LibraryJournal.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/EngineText.h"
#include "install/disk/LibraryFiles.h"
#include "install/journal/JournalRunner.h"
#include "install/plan/InstallPlan.h"
#include "install/records/DestinationTrust.h"
#include "install/records/LibraryRecords.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

constexpr char EndMark[] = "end ";
constexpr char SealMark[] = "seal ";

QByteArray digestOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

template <typename... Ts> struct Overloaded : Ts... { using Ts::operator()...; };

// True when the commit steps only add: files, folders and a record placed
// where nothing was, nothing moved aside or dropped. Run again whole after
// a crash, such a journal finds each step taken and takes nothing back, so
// the finishing steps (which then only clear staging names the commit
// used up) need no journal of their own first.
bool onlyAdds(const std::vector<JournalStep>& steps) {
    return std::all_of(steps.begin(), steps.end(), [](const JournalStep& step) {
        return std::visit(
            Overloaded{[](const step::PlaceFile& s) { return s.original.isEmpty(); },
                       [](const step::PlaceFolder&) { return true; },
                       [](const step::PlaceRecord& s) { return s.original.isEmpty(); },
                       [](const step::Discard&) { return true; },
                       [](const auto&) { return false; }},
            step);
    });
}

} // namespace

LibraryJournal::LibraryJournal(QString library)
    : m_library(std::move(library)) {}

void LibraryJournal::add(JournalStep step) {
    m_steps.push_back(std::move(step));
}

QSet<QByteArray> LibraryJournal::recordNames() const {
    QSet<QByteArray> names;
    for (const JournalStep& step : m_steps) {
        if (const auto* place = std::get_if<step::PlaceRecord>(&step))
            names.insert(QFile::encodeName(place->name));
        else if (const auto* drop = std::get_if<step::DropRecord>(&step))
            names.insert(QFile::encodeName(drop->name));
    }
    return names;
}

QByteArray LibraryJournal::bytesOf(const std::vector<JournalStep>& steps) {
    QJsonArray array;
    bool outside = false;
    for (const JournalStep& step : steps) {
        array.append(toJson(step));
        outside = outside || !destinationOf(step).isEmpty();
    }
    const QByteArray body = QJsonDocument(QJsonObject{{QStringLiteral("format"), Format},
                                                      {QStringLiteral("steps"), array}})
                                .toJson(QJsonDocument::Compact);
    QByteArray content = body + '\n';
    if (outside)
        content += SealMark + DestinationTrust::sealOf(body) + '\n';
    return content + EndMark + digestOf(content) + '\n';
}

Result<LibraryJournal::Read> LibraryJournal::parse(const QByteArray& bytes) {
    const qsizetype mark = bytes.lastIndexOf(QByteArray("\n") + EndMark);
    if (mark < 0)
        return fail(EngineText::tr("it is not a whole journal of this version"));
    const QByteArray content = bytes.left(mark + 1);
    if (digestOf(content) != bytes.mid(mark + 1 + qsizetype(std::strlen(EndMark))).trimmed())
        return fail(EngineText::tr("it does not match its digest"));
    const QList<QByteArray> lines = content.split('\n');
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(lines.first(), &error);
    const QJsonObject object = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        !object.value(QStringLiteral("steps")).isArray())
        return fail(EngineText::tr("it is not a journal"));
    if (object.value(QStringLiteral("format")).toInt() != Format)
        return fail(EngineText::tr("it was written by another version of PackShelf"));
    Read read;
    for (const QJsonValue& value : object.value(QStringLiteral("steps")).toArray()) {
        Result<JournalStep> step = stepFromJson(value.toObject());
        if (!step)
            return step.failure();
        read.steps.push_back(std::move(*step));
    }
    if (lines.size() > 1 && lines[1].startsWith(SealMark))
        read.sealed = DestinationTrust::isSealed(lines.first(),
                                                 lines[1].mid(qsizetype(std::strlen(SealMark))));
    return read;
}

Status LibraryJournal::write(const QString& library, const QByteArray& name,
                             const std::vector<JournalStep>& steps, const SyncFirst& syncFirst) {
    const QString folderPath = library + QLatin1Char('/') + QLatin1String(LibraryRecordsFolder);
    const UniqueFd folder = openFolderBelow(library, QLatin1String(LibraryRecordsFolder), false);
    if (!folder.valid())
        return fail(QStringLiteral("%1: %2").arg(folderPath, systemReason(errno)));
    const QByteArray temporary = stagingName();
    const QByteArray bytes = bytesOf(steps);
    UniqueFd fd(openIn(folder.get(), temporary.constData(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    // The journal takes its name only once its bytes are on disk: with
    // `syncFirst`, by the sync of whole file systems that also brings
    // everything staged there.
    bool written = fd.valid() && writeAll(fd.get(), bytes.constData(), std::size_t(bytes.size()));
    if (written && syncFirst) {
        if (const Status synced = syncFirst(); !synced) {
            ::unlinkat(folder.get(), temporary.constData(), 0);
            return synced;
        }
    } else if (written) {
        written = syncData(fd.get()) == 0;
    }
    written = written && fd.close() &&
              renameIn(folder.get(), temporary.constData(), folder.get(), name.constData()) == 0 &&
              syncFile(folder.get()) == 0;
    if (written)
        return {};
    const QString problem =
        QStringLiteral("%1/%2: %3").arg(folderPath, QFile::decodeName(name), systemReason(errno));
    ::unlinkat(folder.get(), temporary.constData(), 0);
    return fail(problem);
}

// Notes the inode of everything staged to be placed, so that a run after a
// crash can tell whether it was placed.
Status LibraryJournal::noteInodes() {
    for (JournalStep& step : m_steps) {
        RootedPath target;
        QString staged;
        quint64* inode = nullptr;
        if (auto* file = std::get_if<step::PlaceFile>(&step))
            target = file->target, staged = file->staged, inode = &file->inode;
        else if (auto* folder = std::get_if<step::PlaceFolder>(&step))
            target = folder->target, staged = folder->staged, inode = &folder->inode;
        if (!inode)
            continue;
        const UniqueFd folder =
            openFolderBelow(target.rootIn(m_library), target.folder().relative, false);
        struct stat st;
        if (!folder.valid() || ::fstatat(folder.get(), QFile::encodeName(staged).constData(), &st,
                                         AT_SYMLINK_NOFOLLOW) != 0)
            return fail(EngineText::tr("%1: what was staged for it is gone (%2)")
                            .arg(target.absoluteIn(m_library), systemReason(errno)));
        *inode = quint64(st.st_ino);
    }
    return {};
}

Result<QStringList> LibraryJournal::commit(VersionStore& store) {
    // A journal takes no step a run after a crash would refuse: whatever
    // a plan names, nothing among the records or outside the folders the
    // change was given is touched.
    for (const JournalStep& step : m_steps) {
        if (const Status acceptable = checkStep(step, [](const QString&) { return true; });
            !acceptable)
            return acceptable.failure();
    }
    if (const Status noted = noteInodes(); !noted)
        return noted.failure();
    // Everything staged, on each file system the change touches, is on disk
    // before the journal is: one sync of each, not one per file.
    QSet<QString> roots{m_library, m_library + QLatin1Char('/') + LibraryRecordsFolder};
    for (const JournalStep& step : m_steps) {
        if (const QString destination = destinationOf(step); !destination.isEmpty())
            roots.insert(destination);
    }
    const auto syncRoots = [&roots]() -> Status {
        QSet<dev_t> synced;
        for (const QString& root : roots) {
            const UniqueFd fd = openFolderBelow(root, QString(), false);
            struct stat st {};
            if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
                return fail(QStringLiteral("%1: %2").arg(root, systemReason(errno)));
            if (synced.contains(st.st_dev))
                continue;
            if (syncFileSystem(fd.get()) != 0)
                return fail(QStringLiteral("%1: %2").arg(root, systemReason(errno)));
            synced.insert(st.st_dev);
        }
        return {};
    };
    const QByteArray name = LibraryRecords::JournalPrefix +
                            stagingName().mid(qsizetype(std::strlen(StagingPrefix))) +
                            LibraryRecords::RecordSuffix;
    if (const Status written = write(m_library, name, m_steps, syncRoots); !written) {
        // Not written whole: it must not be carried out later either.
        const UniqueFd folder =
            openFolderBelow(m_library, QLatin1String(LibraryRecordsFolder), false);
        if (!folder.valid() || (unlinkIn(folder.get(), name.constData()) != 0 && errno != ENOENT))
            m_leftForRecovery = true;
        return written.failure();
    }
    const Carried carried = carryOut(m_library, store, name, m_steps, false);
    m_leftForRecovery = carried.leftForRecovery;
    if (!carried.committed)
        return fail((carried.problems + carried.unfinished).join(QStringLiteral("; ")));
    return carried.unfinished;
}

LibraryJournal::Carried
LibraryJournal::carryOut(const QString& library, VersionStore& store, const QByteArray& name,
                         const std::vector<JournalStep>& steps, bool replaying,
                         const std::function<bool(const QString& key)>& stillNamed) {
    Carried carried;
    JournalRunner runner(library, store, replaying, stillNamed);
    const JournalRunner::Outcome outcome = runner.commit(steps);
    carried.committed = outcome.committed;
    carried.problems = outcome.problems;
    if (outcome.undoFailed) {
        // The journal is all that says how to mend the library: it stays,
        // and the next run refuses to change the library until then.
        carried.leftForRecovery = true;
        return carried;
    }
    // What is left once the commit steps are taken or undone is all a run
    // after a crash may do: the journal says so before it is done.
    std::vector<JournalStep> rest;
    for (const JournalStep& step : steps) {
        if (!isCommitStep(step) &&
            (outcome.committed || std::holds_alternative<step::Discard>(step)))
            rest.push_back(step);
    }
    const UniqueFd folder = openFolderBelow(library, QLatin1String(LibraryRecordsFolder), false);
    const auto removeJournal = [&] {
        return folder.valid() && (unlinkIn(folder.get(), name.constData()) == 0 || errno == ENOENT);
    };
    const QString journalPath =
        QStringLiteral("%1/%2/%3")
            .arg(library, QLatin1String(LibraryRecordsFolder), QFile::decodeName(name));
    if (!rest.empty() && rest.size() != steps.size() && !(outcome.committed && onlyAdds(steps))) {
        if (const Status rewritten = write(library, name, rest); !rewritten) {
            // Undone, the journal must not make a later run take the change.
            if (!outcome.committed && !removeJournal()) {
                carried.leftForRecovery = true;
                carried.problems << QStringLiteral("%1: %2").arg(journalPath, systemReason(errno));
                return carried;
            }
            carried.unfinished << rewritten.reason();
        }
    }
    carried.unfinished += runner.finish(steps, outcome);
    if (carried.unfinished.isEmpty() && !removeJournal())
        carried.unfinished << QStringLiteral("%1: %2").arg(journalPath, systemReason(errno));
    return carried;
}

} // namespace packshelf
