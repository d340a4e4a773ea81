#include "install/journal/JournalRunner.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/EngineText.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"
#include "install/store/VersionStore.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

constexpr std::size_t MaxOpen = 256;

template <typename... Ts> struct Overloaded : Ts... { using Ts::operator()...; };

// The inode of `name` in the open folder, 0 when nothing is there.
quint64 inodeAt(int folder, const QByteArray& name) {
    struct stat st;
    if (folder < 0 || ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    return quint64(st.st_ino);
}

bool exists(int folder, const QByteArray& name) {
    return inodeAt(folder, name) != 0;
}

// True when the file is as `expected`: of its size and time, or else of
// its CRC-32.
bool isAsExpected(int folder, const QByteArray& name, const ExpectedContent& expected) {
    struct stat st;
    if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || quint64(st.st_size) != expected.size)
        return false;
    return st.st_mtim.tv_sec == expected.modified ||
           fileHasContent(folder, name, expected.size, expected.crc);
}

} // namespace

JournalRunner::JournalRunner(QString library, VersionStore& store, bool replaying,
                             std::function<bool(const QString&)> stillNamed)
    : m_library(std::move(library))
    , m_store(store)
    , m_replaying(replaying)
    , m_stillNamed(std::move(stillNamed)) {}

QString JournalRunner::shown(const RootedPath& path) const {
    return path.absoluteIn(m_library);
}

Status JournalRunner::failure(const RootedPath& path, int error) const {
    return fail(QStringLiteral("%1: %2").arg(shown(path), systemReason(error)));
}

int JournalRunner::openFolder(const RootedPath& folder) {
    const QString key = folder.destination + QChar(0) + folder.relative;
    if (const auto found = m_open.find(key); found != m_open.end())
        return found->second.get();
    UniqueFd fd;
    if (folder.relative.isEmpty()) {
        fd = openFolderBelow(folder.rootIn(m_library), QString(), false);
    } else {
        const int parent = openFolder(folder.folder());
        if (parent < 0)
            return -1;
        fd = openFolderIn(parent, QFile::encodeName(folder.name()));
    }
    if (!fd.valid())
        return -1;
    if (m_open.size() >= MaxOpen)
        m_open.clear();
    const int result = fd.get();
    m_open.emplace(key, std::move(fd));
    return result;
}

JournalRunner::Place JournalRunner::placeOf(const RootedPath& path) {
    errno = 0;
    const int folder = openFolder(path.folder());
    return {folder, QFile::encodeName(path.name()), folder < 0 ? errno : 0};
}

Status JournalRunner::rename(const Place& from, const Place& to, unsigned flags,
                             const RootedPath& shownPath) {
    if (renameIn(from.folder, from.name.constData(), to.folder, to.name.constData(), flags) == 0)
        return {};
    const int error = errno;
    if (error == EEXIST)
        return fail(EngineText::tr("%1: something else is there now").arg(shown(shownPath)));
    return failure(shownPath, error);
}

Status JournalRunner::moveAside(const step::MoveAside& step) {
    const Place path = placeOf(step.path);
    if (path.folder < 0)
        return path.error == ENOENT ? Status() : failure(step.path, path.error);
    if (!exists(path.folder, path.name))
        return {}; // moved already, or gone
    if (step.expected && !isAsExpected(path.folder, path.name, *step.expected))
        return fail(EngineText::tr("%1: changed since it was written").arg(shown(step.path)));
    const Place aside = placeOf(step.aside);
    if (aside.folder < 0)
        return failure(step.aside, aside.error);
    return rename(path, aside, RENAME_NOREPLACE, step.path);
}

Status JournalRunner::forward(const JournalStep& step) {
    return std::visit(
        Overloaded{
            [&](const step::PlaceFile& s) -> Status {
                const Place target = placeOf(s.target);
                if (target.folder < 0)
                    return failure(s.target, target.error);
                const QByteArray staged = QFile::encodeName(s.staged);
                if (exists(target.folder, staged))
                    return rename({target.folder, staged}, target,
                                  s.original.isEmpty() ? RENAME_NOREPLACE : 0, s.target);
                // Placed already, by the run that wrote the journal?
                if (inodeAt(target.folder, target.name) == s.inode)
                    return {};
                return fail(
                    EngineText::tr("%1: what was staged for it is gone").arg(shown(s.target)));
            },
            [&](const step::PlaceFolder& s) -> Status {
                const Place target = placeOf(s.target);
                if (target.folder < 0)
                    return failure(s.target, target.error);
                const QByteArray staged = QFile::encodeName(s.staged);
                if (exists(target.folder, staged))
                    return rename({target.folder, staged}, target, RENAME_NOREPLACE, s.target);
                if (inodeAt(target.folder, target.name) == s.inode)
                    return {};
                return fail(
                    EngineText::tr("%1: what was staged for it is gone").arg(shown(s.target)));
            },
            [&](const step::MoveAside& s) -> Status { return moveAside(s); },
            [&](const step::PlaceRecord& s) -> Status {
                const RootedPath record = inRecords(s.name);
                const Place target = placeOf(record);
                if (target.folder < 0)
                    return failure(record, target.error);
                const QByteArray staged = QFile::encodeName(s.staged);
                if (!exists(target.folder, staged))
                    return exists(target.folder, target.name)
                               ? Status()
                               : fail(EngineText::tr("%1: what was staged for it is gone")
                                          .arg(shown(record)));
                return rename({target.folder, staged}, target,
                              s.original.isEmpty() ? RENAME_NOREPLACE : 0, record);
            },
            [&](const step::DropRecord& s) -> Status {
                const RootedPath record = inRecords(s.name);
                const Place target = placeOf(record);
                if (target.folder < 0)
                    return failure(record, target.error);
                if (!exists(target.folder, target.name))
                    return {};
                return rename(target, {target.folder, QFile::encodeName(s.aside)}, RENAME_NOREPLACE,
                              record);
            },
            [](const auto&) -> Status { return {}; }},
        step);
}

// Takes a commit step back. A placed file or folder goes back to its
// staging name (or the original comes back over it) only while it is the
// one the journal staged: a journal never moves away what it did not put
// there.
Status JournalRunner::backward(const JournalStep& step) {
    return std::visit(
        Overloaded{[&](const step::PlaceFile& s) -> Status {
                       const Place target = placeOf(s.target);
                       if (target.folder < 0 || inodeAt(target.folder, target.name) != s.inode)
                           return {};
                       if (!s.original.isEmpty())
                           return rename({target.folder, QFile::encodeName(s.original)}, target, 0,
                                         s.target);
                       return rename(target, {target.folder, QFile::encodeName(s.staged)},
                                     RENAME_NOREPLACE, s.target);
                   },
                   [&](const step::PlaceFolder& s) -> Status {
                       const Place target = placeOf(s.target);
                       if (target.folder < 0 || inodeAt(target.folder, target.name) != s.inode)
                           return {};
                       return rename(target, {target.folder, QFile::encodeName(s.staged)},
                                     RENAME_NOREPLACE, s.target);
                   },
                   [&](const step::MoveAside& s) -> Status {
                       const Place aside = placeOf(s.aside);
                       if (aside.folder < 0 || !exists(aside.folder, aside.name))
                           return {};
                       const Place path = placeOf(s.path);
                       if (path.folder < 0)
                           return failure(s.path, path.error);
                       return rename(aside, path, RENAME_NOREPLACE, s.path);
                   },
                   [&](const step::PlaceRecord& s) -> Status {
                       const RootedPath record = inRecords(s.name);
                       const Place target = placeOf(record);
                       if (target.folder < 0)
                           return {};
                       const QByteArray original = QFile::encodeName(s.original);
                       if (!s.original.isEmpty() && exists(target.folder, original))
                           return rename({target.folder, original}, target, 0, record);
                       if (s.original.isEmpty() && exists(target.folder, target.name))
                           return rename(target, {target.folder, QFile::encodeName(s.staged)},
                                         RENAME_NOREPLACE, record);
                       return {};
                   },
                   [&](const step::DropRecord& s) -> Status {
                       const RootedPath record = inRecords(s.name);
                       const Place target = placeOf(record);
                       const QByteArray aside = QFile::encodeName(s.aside);
                       if (target.folder < 0 || !exists(target.folder, aside))
                           return {};
                       return rename({target.folder, aside}, target, RENAME_NOREPLACE, record);
                   },
                   [](const auto&) -> Status { return {}; }},
        step);
}

Status JournalRunner::finish(const JournalStep& step) {
    return std::visit(
        Overloaded{
            [&](const step::Discard& s) -> Status {
                const Place place = placeOf(s.path);
                if (place.folder < 0)
                    return place.error == ENOENT ? Status() : failure(s.path, place.error);
                const Status removed = removeTree(place.folder, place.name);
                if (!removed)
                    return fail(QStringLiteral("%1: %2").arg(shown(s.path), removed.reason()));
                return {};
            },
            [&](const step::RemoveEmptyFolder& s) -> Status {
                const Place place = placeOf(s.path);
                if (place.folder < 0)
                    return place.error == ENOENT ? Status() : failure(s.path, place.error);
                if (unlinkIn(place.folder, place.name.constData(), AT_REMOVEDIR) == 0 ||
                    errno == ENOENT || errno == ENOTEMPTY || errno == EEXIST || errno == ENOTDIR)
                    return {};
                return failure(s.path, errno);
            },
            [&](const step::DropVersion& s) -> Status {
                const std::optional<Version> version = Version::fromKey(s.key);
                if (!version || (m_replaying && (!m_stillNamed || m_stillNamed(s.key))))
                    return {};
                return m_store.drop(*version);
            },
            [](const auto&) -> Status { return {}; }},
        step);
}

JournalRunner::Outcome JournalRunner::commit(const std::vector<JournalStep>& steps) {
    Outcome outcome;
    std::vector<const JournalStep*> done;
    outcome.committed = true;
    for (const JournalStep& step : steps) {
        if (!isCommitStep(step))
            continue;
        const Status taken = forward(step);
        if (taken) {
            done.push_back(&step);
            continue;
        }
        outcome.problems << taken.reason();
        outcome.committed = false;
        break;
    }
    if (!outcome.committed) {
        m_open.clear();
        for (auto step = done.rbegin(); step != done.rend(); ++step) {
            const Status undone = backward(**step);
            if (!undone) {
                outcome.undoFailed = true;
                outcome.problems << EngineText::tr("cannot be put back: %1").arg(undone.reason());
            }
        }
    }
    // Folders may go from here on: none is kept open.
    m_open.clear();
    return outcome;
}

QStringList JournalRunner::finish(const std::vector<JournalStep>& steps, const Outcome& commit) {
    QStringList unfinished;
    if (commit.undoFailed)
        return unfinished;
    for (const JournalStep& step : steps) {
        if (isCommitStep(step) ||
            (!commit.committed && !std::holds_alternative<step::Discard>(step)))
            continue;
        if (const Status finished = finish(step); !finished)
            unfinished << finished.reason();
        if (std::holds_alternative<step::RemoveEmptyFolder>(step))
            m_open.clear();
    }
    return unfinished;
}

} // namespace packshelf
