#include "install/journal/LibraryJournal.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"
#include "install/records/LibraryRecords.h"
#include "install/records/Manifest.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

constexpr int JournalFormat = 2;
constexpr char EndMark[] = "end ";

const QString Step = QStringLiteral("step");
const QString PhaseKey = QStringLiteral("phase");
const QString PathKey = QStringLiteral("path");
const QString To = QStringLiteral("to");
const QString Original = QStringLiteral("original");

// Commit steps succeed together; clean-up steps each on their own; the
// steps that remove the journal's own temporaries run whatever happened.
enum class Phase { Commit, CleanUp, Always };

Phase phaseOf(const QJsonObject& step) {
    const QString phase = step.value(PhaseKey).toString();
    if (phase == QLatin1String("commit"))
        return Phase::Commit;
    return phase == QLatin1String("always") ? Phase::Always : Phase::CleanUp;
}

QString phaseName(Phase phase) {
    switch (phase) {
    case Phase::Commit:
        return QStringLiteral("commit");
    case Phase::Always:
        return QStringLiteral("always");
    case Phase::CleanUp:
        break;
    }
    return QStringLiteral("cleanUp");
}

QJsonObject pathJson(const RootedPath& path) {
    QJsonObject object{{PathKey, path.relative}};
    if (!path.destination.isEmpty())
        object.insert(QStringLiteral("destination"), path.destination);
    return object;
}

RootedPath pathFrom(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    return {object.value(QStringLiteral("destination")).toString(),
            object.value(PathKey).toString()};
}

bool isRecordsPath(const QString& relative) {
    return relative.startsWith(QLatin1String(LibraryRecordsFolder) + QLatin1Char('/'));
}

bool namesStaging(const RootedPath& path) {
    return writerOf(QFile::encodeName(path.relative.section(QLatin1Char('/'), -1))) != 0;
}

// Folders entered while a journal runs, kept open for the steps after:
// each is entered from its parent without following a link.
class Folders {
public:
    explicit Folders(QString library)
        : m_library(std::move(library)) {}

    int open(const RootedPath& at, const QString& folder, bool makeMissing) {
        const QString key = at.destination + QChar(0) + folder;
        if (const auto found = m_open.find(key); found != m_open.end())
            return found->second.get();
        UniqueFd fd;
        if (folder.isEmpty()) {
            fd = openFolderBelow(at.rootIn(m_library), QString(), false);
        } else {
            const auto [parentPath, name] = splitLast(folder);
            const int parent = open(at, parentPath, makeMissing);
            if (parent < 0)
                return -1;
            if (makeMissing)
                ::mkdirat(parent, name.constData(), 0777);
            fd.reset(::openat(parent, name.constData(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        if (!fd.valid())
            return -1;
        if (m_open.size() >= MaxOpen)
            m_open.clear();
        const int result = fd.get();
        m_open.emplace(key, std::move(fd));
        return result;
    }
    // After a step that may remove folders.
    void forget() { m_open.clear(); }
    const QString& library() const { return m_library; }

private:
    static constexpr std::size_t MaxOpen = 256;
    QString m_library;
    std::map<QString, UniqueFd> m_open;
};

// The folder holding `path`, entered safely, and the name in it.
struct Place {
    int folder = -1;
    QByteArray name;
    int error = 0; // why the folder could not be entered
};

Place placeOf(Folders& folders, const RootedPath& path, bool makeMissing = false) {
    const auto [folder, name] = splitLast(path.relative);
    errno = 0;
    const int fd = folders.open(path, folder, makeMissing);
    return {fd, name, fd < 0 ? errno : 0};
}

bool exists(const Place& place) {
    struct stat st;
    return place.folder >= 0 &&
           ::fstatat(place.folder, place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Copies a file to a staging name beside `to` and renames it over `to`.
bool copyOver(const Place& from, const Place& to) {
    UniqueFd in(::openat(from.folder, from.name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    const QByteArray staging = stagingName();
    UniqueFd out(::openat(to.folder, staging.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    bool ok = in.valid() && out.valid();
    char buffer[65536];
    while (ok) {
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = writeAll(out.get(), buffer, std::size_t(got));
    }
    struct stat st;
    if (ok && ::fstat(in.get(), &st) == 0) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        ::futimens(out.get(), times);
    }
    ok = ok && ::fdatasync(out.get()) == 0 && out.close() &&
         renameIn(to.folder, staging.constData(), to.folder, to.name.constData()) == 0;
    if (!ok)
        ::unlinkat(to.folder, staging.constData(), 0);
    return ok;
}

// What running one step did.
struct Outcome {
    enum Kind { Done, Skipped, Failed } kind = Done;
    QString problem;
};

Outcome failed(const QString& problem) {
    return {Outcome::Failed, problem};
}

class Runner {
public:
    Runner(LibraryRecords& records, bool replaying)
        : m_records(records)
        , m_folders(records.library())
        , m_replaying(replaying) {}

    // Runs every step; false when the commit steps failed (and were undone,
    // unless `undoFailed`).
    bool run(const QJsonArray& steps, std::vector<LibraryJournal::Result>* results,
             QStringList* problems) {
        std::vector<QJsonObject> done;
        bool committed = true;
        for (const QJsonValue& value : steps) {
            const QJsonObject step = value.toObject();
            const Phase phase = phaseOf(step);
            if (phase == Phase::Commit) {
                if (!committed)
                    continue;
                const Outcome outcome = runStep(step);
                if (outcome.kind != Outcome::Failed) {
                    done.push_back(step);
                    continue;
                }
                problems->append(outcome.problem);
                committed = false;
                undo(done, problems);
                continue;
            }
            if (!committed && phase != Phase::Always)
                continue;
            const Outcome outcome = runStep(step);
            if (outcome.kind == Outcome::Failed && !outcome.problem.isEmpty() &&
                step.value(QStringLiteral("tally")).toInt() == 0)
                problems->append(outcome.problem);
            const auto tally = LibraryJournal::Tally(step.value(QStringLiteral("tally")).toInt());
            if (tally != LibraryJournal::Tally::None && results)
                results->push_back({tally, step.value(QStringLiteral("shown")).toString(),
                                    outcome.kind == Outcome::Done, outcome.problem});
        }
        return committed;
    }

    bool undoFailed() const { return m_undoFailed; }

private:
    QString shown(const RootedPath& path) const { return path.absoluteIn(m_folders.library()); }

    Outcome reason(const RootedPath& path, int error) const {
        return failed(QStringLiteral("%1: %2").arg(shown(path), systemReason(error)));
    }

    Outcome runStep(const QJsonObject& step) {
        const QString kind = step.value(Step).toString();
        if (kind == QLatin1String("dropRecord")) {
            if (m_records.remove(step.value(QStringLiteral("archive")).toString()))
                return {};
            return failed(QStringLiteral("%1: %2").arg(m_records.folder(), systemReason(errno)));
        }
        const RootedPath path = pathFrom(step.value(PathKey));
        if (kind == QLatin1String("removeFolder") || kind == QLatin1String("removeTree"))
            return removeFolder(path, kind == QLatin1String("removeTree"));
        if (kind == QLatin1String("remove"))
            return remove(step, path);
        return move(step, path, pathFrom(step.value(To)));
    }

    Outcome removeFolder(const RootedPath& path, bool whole) {
        const Place place = placeOf(m_folders, path);
        if (place.folder >= 0 && whole) {
            removeTree(place.folder, place.name);
            ::unlinkat(place.folder, place.name.constData(), 0); // a temporary file
        } else if (place.folder >= 0) {
            ::unlinkat(place.folder, place.name.constData(), AT_REMOVEDIR); // stays when not empty
        }
        m_folders.forget();
        return {};
    }

    Outcome remove(const QJsonObject& step, const RootedPath& path) {
        const Place place = placeOf(m_folders, path);
        if (place.folder < 0) {
            if (place.error == ENOENT)
                return {Outcome::Skipped, {}};
            return reason(path, place.error);
        }
        struct stat st;
        if (::fstatat(place.folder, place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? Outcome{Outcome::Skipped, {}} : reason(path, errno);
        const quint64 size = quint64(step.value(QStringLiteral("size")).toInteger());
        const quint32 crc = quint32(step.value(QStringLiteral("crc32")).toInteger());
        if (!fileHasContent(place.folder, place.name, size, crc))
            return failed(QStringLiteral("%1: changed since it was written").arg(shown(path)));
        if (unlinkIn(place.folder, place.name.constData()) != 0)
            return reason(path, errno);
        return {};
    }

    // rename, move and restore.
    Outcome move(const QJsonObject& step, const RootedPath& path, const RootedPath& target) {
        const Place place = placeOf(m_folders, path);
        const QString kind = step.value(Step).toString();
        if (!exists(place)) {
            // Done already, when a run is taken up again; a backup that
            // is not there is a file that cannot be given back.
            if (kind == QLatin1String("restore") && !m_replaying)
                return failed(QStringLiteral("%1: its backup is missing").arg(shown(target)));
            return {Outcome::Skipped, {}};
        }
        const Place to = placeOf(m_folders, target, kind != QLatin1String("rename"));
        if (to.folder < 0)
            return reason(target, to.error);
        const unsigned flags =
            step.value(QStringLiteral("keepExisting")).toBool() ? RENAME_NOREPLACE : 0;
        if (renameIn(place.folder, place.name.constData(), to.folder, to.name.constData(), flags) ==
            0)
            return {};
        const int error = errno;
        if (error == EXDEV && kind != QLatin1String("rename") && copyOver(place, to)) {
            ::unlinkat(place.folder, place.name.constData(), 0);
            return {};
        }
        return reason(target, error);
    }

    // Takes back the commit steps done, latest first: a renamed file goes
    // back to its staging name, or the original it replaced comes back.
    void undo(const std::vector<QJsonObject>& done, QStringList* problems) {
        for (auto step = done.rbegin(); step != done.rend(); ++step) {
            const QString kind = step->value(Step).toString();
            if (kind != QLatin1String("rename") && kind != QLatin1String("move"))
                continue;
            const RootedPath from = pathFrom(step->value(PathKey));
            const RootedPath to = pathFrom(step->value(To));
            const Place target = placeOf(m_folders, to);
            int result = -1;
            if (step->contains(Original)) {
                const RootedPath original = pathFrom(step->value(Original));
                const Place kept = placeOf(m_folders, original);
                if (exists(kept))
                    result = renameIn(kept.folder, kept.name.constData(), target.folder,
                                      target.name.constData());
            }
            if (result != 0 && exists(target)) {
                const Place back = placeOf(m_folders, from);
                result = renameIn(target.folder, target.name.constData(), back.folder,
                                  back.name.constData(), RENAME_NOREPLACE);
            } else if (result != 0) {
                result = 0; // never placed
            }
            if (result != 0) {
                m_undoFailed = true;
                problems->append(QStringLiteral("%1 cannot be put back: %2")
                                     .arg(shown(to), systemReason(errno)));
            }
        }
    }

    LibraryRecords& m_records;
    Folders m_folders;
    bool m_replaying;
    bool m_undoFailed = false;
};

// A journal of the earlier form named the library and its records folder
// by absolute paths: taken as relative when they are this library's.
bool convertEarlierPath(QJsonObject& step, const QString& key, const QString& library) {
    if (!step.contains(key))
        return true;
    const QJsonObject path = step.value(key).toObject();
    const QString root = path.value(QStringLiteral("root")).toString();
    QString relative = path.value(PathKey).toString();
    const QString records = library + QLatin1Char('/') + QLatin1String(LibraryRecordsFolder);
    if (root == records)
        relative = QLatin1String(LibraryRecordsFolder) + QLatin1Char('/') + relative;
    else if (root != library)
        return false;
    step.insert(key, QJsonObject{{PathKey, relative}});
    return true;
}

std::optional<QJsonObject> earlierJournal(const QByteArray& bytes, const QString& library) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        !document.object().value(QStringLiteral("steps")).isArray())
        return std::nullopt;
    QJsonArray steps;
    for (const QJsonValue& value : document.object().value(QStringLiteral("steps")).toArray()) {
        QJsonObject step = value.toObject();
        if (!convertEarlierPath(step, PathKey, library) || !convertEarlierPath(step, To, library))
            return std::nullopt;
        // Its moves put backups back, and the earlier form's steps ran one by one.
        if (step.value(Step).toString() == QLatin1String("move") &&
            !isRecordsPath(pathFrom(step.value(To)).relative))
            step.insert(Step, QStringLiteral("restore"));
        steps.append(step);
    }
    return QJsonObject{{QStringLiteral("format"), JournalFormat}, {QStringLiteral("steps"), steps}};
}

bool isSafePath(const QJsonObject& step, const QString& key, const QSet<QString>& destinations) {
    const RootedPath path = pathFrom(step.value(key));
    return isSafeRelative(path.relative) &&
           (path.destination.isEmpty() || destinations.contains(path.destination));
}

// A step read from disk names only what this program makes: staged files,
// the records and their backups; removals only of content it wrote.
bool isAcceptable(const QJsonObject& step, const QSet<QString>& destinations) {
    const QString kind = step.value(Step).toString();
    if (kind == QLatin1String("dropRecord"))
        return !step.value(QStringLiteral("archive")).toString().isEmpty();
    if (!isSafePath(step, PathKey, destinations))
        return false;
    const RootedPath path = pathFrom(step.value(PathKey));
    if (kind == QLatin1String("remove") || kind == QLatin1String("removeFolder"))
        return true;
    if (kind == QLatin1String("removeTree"))
        return namesStaging(path);
    if (kind != QLatin1String("rename") && kind != QLatin1String("move") &&
        kind != QLatin1String("restore"))
        return false;
    if (!isSafePath(step, To, destinations) ||
        (step.contains(Original) && (!isSafePath(step, Original, destinations) ||
                                     !isRecordsPath(pathFrom(step.value(Original)).relative))))
        return false;
    if (kind == QLatin1String("restore"))
        return isRecordsPath(path.relative) && path.destination.isEmpty();
    return namesStaging(path) || (isRecordsPath(path.relative) && path.destination.isEmpty());
}

} // namespace

QString RootedPath::rootIn(const QString& library) const {
    return destination.isEmpty() ? library : destination;
}

QString RootedPath::absoluteIn(const QString& library) const {
    const QString root = rootIn(library);
    return relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
}

RootedPath inRecords(const QString& relative) {
    return {QString(), QLatin1String(LibraryRecordsFolder) + QLatin1Char('/') + relative};
}

void LibraryJournal::rename(RootedPath from, RootedPath to, bool keepExisting,
                            std::optional<RootedPath> original) {
    QJsonObject step{{Step, QStringLiteral("rename")},
                     {PhaseKey, phaseName(Phase::Commit)},
                     {PathKey, pathJson(from)},
                     {To, pathJson(to)},
                     {QStringLiteral("keepExisting"), keepExisting}};
    if (original)
        step.insert(Original, pathJson(*original));
    m_steps.append(step);
}

void LibraryJournal::move(RootedPath from, RootedPath to) {
    m_steps.append({{Step, QStringLiteral("move")},
                    {PhaseKey, phaseName(Phase::Commit)},
                    {PathKey, pathJson(from)},
                    {To, pathJson(to)}});
}

void LibraryJournal::restore(RootedPath backup, RootedPath to, Tally tally) {
    m_steps.append({{Step, QStringLiteral("restore")},
                    {PhaseKey, phaseName(Phase::CleanUp)},
                    {PathKey, pathJson(backup)},
                    {To, pathJson(to)},
                    {QStringLiteral("tally"), int(tally)},
                    {QStringLiteral("shown"), to.relative}});
}

void LibraryJournal::remove(RootedPath path, quint64 size, quint32 crc, Tally tally) {
    m_steps.append({{Step, QStringLiteral("remove")},
                    {PhaseKey, phaseName(Phase::CleanUp)},
                    {PathKey, pathJson(path)},
                    {QStringLiteral("size"), qint64(size)},
                    {QStringLiteral("crc32"), qint64(crc)},
                    {QStringLiteral("tally"), int(tally)},
                    {QStringLiteral("shown"), path.relative}});
}

void LibraryJournal::removeFolder(RootedPath path) {
    m_steps.append({{Step, QStringLiteral("removeFolder")},
                    {PhaseKey, phaseName(Phase::CleanUp)},
                    {PathKey, pathJson(path)}});
}

void LibraryJournal::removeTree(RootedPath path) {
    m_steps.append({{Step, QStringLiteral("removeTree")},
                    {PhaseKey, phaseName(Phase::Always)},
                    {PathKey, pathJson(path)}});
}

void LibraryJournal::writeRecord(const LibraryRecords& records, const Manifest& manifest) {
    const packshelf::Result<QString> staged = records.stage(manifest);
    if (!staged) {
        m_problems.append(staged.reason());
        return;
    }
    m_temporary.append(QFile::encodeName(*staged));
    // The record it replaces is kept as a link until the change is done, so
    // that an undo can put it back.
    const QString name = records.recordName(manifest.archive);
    const UniqueFd folder = records.openFolder(false);
    const QByteArray original = stagingName();
    std::optional<RootedPath> kept;
    if (folder.valid() && linkIn(folder.get(), QFile::encodeName(name).constData(), folder.get(),
                                 original.constData()) == 0) {
        m_temporary.append(original);
        kept = inRecords(QFile::decodeName(original));
    } else if (errno != ENOENT) {
        m_problems.append(QStringLiteral("%1: %2").arg(records.recordPath(manifest.archive),
                                                       systemReason(errno)));
        return;
    }
    rename(inRecords(*staged), inRecords(name), false, kept);
    if (kept)
        removeTree(*kept);
}

void LibraryJournal::dropRecord(const QString& archive) {
    m_steps.append({{Step, QStringLiteral("dropRecord")},
                    {PhaseKey, phaseName(Phase::CleanUp)},
                    {QStringLiteral("archive"), archive}});
}

namespace {

// Tells `records` which of its record files the steps may change, so that
// the index of records is brought up to date by looking at those alone.
void noteRecordFiles(const QList<QJsonObject>& steps, LibraryRecords& records) {
    const qsizetype prefix = qsizetype(std::strlen(LibraryRecordsFolder)) + 1;
    for (const QJsonObject& step : steps) {
        for (const QJsonValue& value : step) {
            if (!value.isObject())
                continue;
            const RootedPath path = pathFrom(value);
            if (path.destination.isEmpty() && isRecordsPath(path.relative) &&
                path.relative.indexOf(QLatin1Char('/'), prefix) < 0)
                records.noteChanged(QFile::encodeName(path.relative.mid(prefix)));
        }
    }
}

} // namespace

bool LibraryJournal::commit(LibraryRecords& records, QStringList* problems) {
    noteRecordFiles(m_steps, records);
    const UniqueFd folder = records.openFolder(true);
    const auto dropTemporaries = [&] {
        for (const QByteArray& name : m_temporary)
            ::unlinkat(folder.get(), name.constData(), 0);
    };
    if (!m_problems.isEmpty()) {
        *problems += m_problems;
        dropTemporaries();
        return false;
    }
    // Commit steps first, so that the undo of a failed one never meets a
    // removal already done.
    QJsonArray steps;
    for (const bool commitPhase : {true, false}) {
        for (const QJsonObject& step : m_steps) {
            if ((phaseOf(step) == Phase::Commit) == commitPhase)
                steps.append(step);
        }
    }
    const QJsonObject journal{{QStringLiteral("format"), JournalFormat},
                              {QStringLiteral("steps"), steps}};
    // Named after this process, so that a message can tell which run left it.
    const QByteArray name =
        "journal-" + stagingName().mid(qsizetype(std::strlen(StagingPrefix))) + ".json";
    const QByteArray temporary = stagingName();
    const QByteArray body = QJsonDocument(journal).toJson(QJsonDocument::Compact);
    const QByteArray bytes = body + '\n' + EndMark +
                             QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() +
                             '\n';
    UniqueFd fd(folder.valid()
                    ? ::openat(folder.get(), temporary.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644)
                    : -1);
    // The journal, and the staged files it names, are on disk before its
    // first step acts: one sync of the file system, not one per step.
    const bool written =
        fd.valid() && writeAll(fd.get(), bytes.constData(), std::size_t(bytes.size())) &&
        fd.close() && syncFileSystem(folder.get()) == 0 &&
        renameIn(folder.get(), temporary.constData(), folder.get(), name.constData()) == 0 &&
        ::fsync(folder.get()) == 0;
    if (!written) {
        problems->append(QStringLiteral("%1: %2").arg(records.folder(), systemReason(errno)));
        if (folder.valid()) {
            ::unlinkat(folder.get(), temporary.constData(), 0);
            ::unlinkat(folder.get(), name.constData(), 0);
        }
        dropTemporaries();
        return false;
    }
    Runner runner(records, false);
    const bool committed = runner.run(steps, &m_results, problems);
    if (!committed && !runner.undoFailed())
        dropTemporaries();
    // A journal whose undo failed stays: it is all that says how to mend
    // the library, and the next run refuses to change it until then.
    m_leftForRecovery = runner.undoFailed();
    if (!m_leftForRecovery)
        ::unlinkat(folder.get(), name.constData(), 0);
    return committed;
}

std::optional<QJsonObject> LibraryJournal::parse(const QByteArray& bytes, const QString& library) {
    const qsizetype mark = bytes.lastIndexOf(QByteArray("\n") + EndMark);
    if (mark < 0)
        return earlierJournal(bytes, library);
    const QByteArray body = bytes.left(mark);
    const QByteArray digest = bytes.mid(mark + 1 + qsizetype(std::strlen(EndMark))).trimmed();
    if (QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() != digest)
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        document.object().value(QStringLiteral("format")).toInt() != JournalFormat)
        return std::nullopt;
    return document.object();
}

bool LibraryJournal::replay(const QJsonObject& journal, LibraryRecords& records,
                            const QSet<QString>& destinations, QStringList* problems) {
    const QJsonArray steps = journal.value(QStringLiteral("steps")).toArray();
    for (const QJsonValue& step : steps) {
        if (!isAcceptable(step.toObject(), destinations)) {
            problems->append(
                QStringLiteral("it names %1, which is not the library's to change")
                    .arg(QString::fromUtf8(
                        QJsonDocument(step.toObject()).toJson(QJsonDocument::Compact))));
            return false;
        }
    }
    Runner runner(records, true);
    runner.run(steps, nullptr, problems);
    return !runner.undoFailed();
}

} // namespace packshelf
