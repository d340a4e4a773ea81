#include "install/LibraryJournal.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "install/InstallPlan.h"
#include "install/LibraryFiles.h"
#include "install/LibraryRecords.h"
#include "install/Manifest.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;

namespace {

QJsonObject pathJson(const RootedPath& path) {
    return {{QStringLiteral("root"), path.root}, {QStringLiteral("path"), path.relative}};
}

RootedPath pathFrom(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    return {object.value(QStringLiteral("root")).toString(),
            object.value(QStringLiteral("path")).toString()};
}

// Folders entered while a journal runs, kept open for the steps after:
// each is entered from its parent without following a link.
class Folders {
public:
    int open(const QString& root, const QString& folder, bool makeMissing) {
        const QString key = root + QChar(0) + folder;
        if (const auto found = m_open.find(key); found != m_open.end())
            return found->second.get();
        UniqueFd fd;
        if (folder.isEmpty()) {
            fd = openFolderBelow(root, QString(), makeMissing);
        } else {
            const auto [parentPath, name] = splitLast(folder);
            const int parent = open(root, parentPath, makeMissing);
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

private:
    static constexpr std::size_t MaxOpen = 256;
    std::map<QString, UniqueFd> m_open;
};

// The folder holding `path`, entered safely, and the name in it.
struct Place {
    int folder = -1;
    QByteArray name;
};

Place placeOf(Folders& folders, const RootedPath& path, bool makeMissing = false) {
    const auto [folder, name] = splitLast(path.relative);
    return {folders.open(path.root, folder, makeMissing), name};
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
         ::renameat(to.folder, staging.constData(), to.folder, to.name.constData()) == 0;
    if (!ok)
        ::unlinkat(to.folder, staging.constData(), 0);
    return ok;
}

bool runStep(const QJsonObject& step, LibraryRecords& records, Folders& folders, QString* problem) {
    const QString kind = step.value(QStringLiteral("step")).toString();
    if (kind == QLatin1String("dropRecord"))
        return records.remove(step.value(QStringLiteral("archive")).toString());

    const RootedPath path = pathFrom(step.value(QStringLiteral("path")));
    const Place place = placeOf(folders, path);
    if (kind == QLatin1String("removeFolder") || kind == QLatin1String("removeTree")) {
        if (place.folder >= 0 && kind == QLatin1String("removeTree"))
            removeTree(place.folder, place.name);
        else if (place.folder >= 0)
            ::unlinkat(place.folder, place.name.constData(), AT_REMOVEDIR); // stays when not empty
        folders.forget();
        return true;
    }
    if (kind == QLatin1String("remove")) {
        const quint64 size = quint64(step.value(QStringLiteral("size")).toInteger());
        const quint32 crc = quint32(step.value(QStringLiteral("crc32")).toInteger());
        if (place.folder >= 0 && fileHasContent(place.folder, place.name, size, crc))
            return ::unlinkat(place.folder, place.name.constData(), 0) == 0;
        return true; // gone already, or changed since: kept
    }
    // rename, move
    if (!exists(place))
        return true; // done already
    const RootedPath target = pathFrom(step.value(QStringLiteral("to")));
    const Place to = placeOf(folders, target, kind == QLatin1String("move"));
    if (to.folder < 0) {
        *problem = QStringLiteral("%1: %2").arg(target.absolute(), systemReason(errno));
        return false;
    }
    const unsigned flags =
        step.value(QStringLiteral("keepExisting")).toBool() ? RENAME_NOREPLACE : 0;
    if (::renameat2(place.folder, place.name.constData(), to.folder, to.name.constData(), flags) ==
        0)
        return true;
    if (errno == EXDEV && kind == QLatin1String("move") && copyOver(place, to)) {
        ::unlinkat(place.folder, place.name.constData(), 0);
        return true;
    }
    *problem = QStringLiteral("%1: %2").arg(target.absolute(), systemReason(errno));
    return false;
}

} // namespace

QString RootedPath::absolute() const {
    return relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
}

void LibraryJournal::rename(RootedPath from, RootedPath to, bool keepExisting) {
    m_steps.append({{QStringLiteral("step"), QStringLiteral("rename")},
                    {QStringLiteral("path"), pathJson(from)},
                    {QStringLiteral("to"), pathJson(to)},
                    {QStringLiteral("keepExisting"), keepExisting}});
}

void LibraryJournal::move(RootedPath from, RootedPath to) {
    m_steps.append({{QStringLiteral("step"), QStringLiteral("move")},
                    {QStringLiteral("path"), pathJson(from)},
                    {QStringLiteral("to"), pathJson(to)}});
}

void LibraryJournal::remove(RootedPath path, quint64 size, quint32 crc) {
    m_steps.append({{QStringLiteral("step"), QStringLiteral("remove")},
                    {QStringLiteral("path"), pathJson(path)},
                    {QStringLiteral("size"), qint64(size)},
                    {QStringLiteral("crc32"), qint64(crc)}});
}

void LibraryJournal::removeFolder(RootedPath path) {
    m_steps.append({{QStringLiteral("step"), QStringLiteral("removeFolder")},
                    {QStringLiteral("path"), pathJson(path)}});
}

void LibraryJournal::removeTree(RootedPath path) {
    m_steps.append({{QStringLiteral("step"), QStringLiteral("removeTree")},
                    {QStringLiteral("path"), pathJson(path)}});
}

void LibraryJournal::writeRecord(const LibraryRecords& records, const Manifest& manifest) {
    QString problem;
    const QString staged = records.stage(manifest, &problem);
    if (staged.isEmpty()) {
        m_problems.append(problem);
        return;
    }
    rename({records.folder(), staged}, {records.folder(), records.recordName(manifest.archive)});
}

void LibraryJournal::dropRecord(const QString& archive) {
    m_steps.append({{QStringLiteral("step"), QStringLiteral("dropRecord")},
                    {QStringLiteral("archive"), archive}});
}

bool LibraryJournal::commit(LibraryRecords& records, QStringList* problems) {
    if (!m_problems.isEmpty()) {
        *problems += m_problems;
        return false;
    }
    QJsonArray steps;
    for (const QJsonObject& step : m_steps)
        steps.append(step);
    const QJsonObject journal{{QStringLiteral("steps"), steps}};
    const UniqueFd folder =
        openFolderBelow(records.library(), QLatin1String(LibraryRecordsFolder), true);
    // Named after this process, so that the next run knows when it ended.
    const QByteArray name =
        "journal-" + stagingName().mid(qsizetype(std::strlen(StagingPrefix))) + ".json";
    const QByteArray temporary = stagingName();
    const QByteArray bytes = QJsonDocument(journal).toJson(QJsonDocument::Compact);
    UniqueFd fd(folder.valid()
                    ? ::openat(folder.get(), temporary.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644)
                    : -1);
    const bool written =
        fd.valid() && writeAll(fd.get(), bytes.constData(), std::size_t(bytes.size())) &&
        ::fdatasync(fd.get()) == 0 && fd.close() &&
        ::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) == 0;
    if (!written) {
        problems->append(QStringLiteral("%1: %2").arg(records.folder(), systemReason(errno)));
        if (folder.valid())
            ::unlinkat(folder.get(), temporary.constData(), 0);
        return false;
    }
    replay(journal, records, problems);
    ::unlinkat(folder.get(), name.constData(), 0);
    return true;
}

void LibraryJournal::replay(const QJsonObject& journal, LibraryRecords& records,
                            QStringList* problems) {
    Folders folders;
    for (const QJsonValue& step : journal.value(QStringLiteral("steps")).toArray()) {
        QString problem;
        if (!runStep(step.toObject(), records, folders, &problem) && !problem.isEmpty())
            problems->append(problem);
    }
}

} // namespace packshelf
