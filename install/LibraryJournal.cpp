#include "install/LibraryJournal.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

// The folder holding `path`, entered safely, and the name in it.
struct Place {
    UniqueFd folder;
    QByteArray name;
};

Place placeOf(const RootedPath& path, bool makeMissing = false) {
    const auto [folder, name] = splitLast(path.relative);
    return {openFolderBelow(path.root, folder, makeMissing), name};
}

bool exists(const Place& place) {
    struct stat st;
    return place.folder.valid() &&
           ::fstatat(place.folder.get(), place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Copies a file to a staging name beside `to` and renames it over `to`.
bool copyOver(const Place& from, const Place& to) {
    UniqueFd in(
        ::openat(from.folder.get(), from.name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    const QByteArray staging = stagingName();
    UniqueFd out(::openat(to.folder.get(), staging.constData(),
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
    ok =
        ok && ::fdatasync(out.get()) == 0 && out.close() &&
        ::renameat(to.folder.get(), staging.constData(), to.folder.get(), to.name.constData()) == 0;
    if (!ok)
        ::unlinkat(to.folder.get(), staging.constData(), 0);
    return ok;
}

bool runStep(const QJsonObject& step, LibraryRecords& records, QString* problem) {
    const QString kind = step.value(QStringLiteral("step")).toString();
    if (kind == QLatin1String("writeRecord")) {
        QString invalid;
        const std::optional<Manifest> manifest =
            Manifest::fromJson(step.value(QStringLiteral("record")).toObject(), &invalid);
        return manifest && records.write(*manifest, problem);
    }
    if (kind == QLatin1String("dropRecord"))
        return records.remove(step.value(QStringLiteral("archive")).toString());

    const RootedPath path = pathFrom(step.value(QStringLiteral("path")));
    const Place place = placeOf(path);
    if (kind == QLatin1String("removeFolder")) {
        if (place.folder.valid())
            ::unlinkat(place.folder.get(), place.name.constData(), AT_REMOVEDIR);
        return true; // a folder that is not empty stays
    }
    if (kind == QLatin1String("removeTree")) {
        if (place.folder.valid())
            removeTree(place.folder.get(), place.name);
        return true;
    }
    if (kind == QLatin1String("remove")) {
        const quint64 size = quint64(step.value(QStringLiteral("size")).toInteger());
        const quint32 crc = quint32(step.value(QStringLiteral("crc32")).toInteger());
        if (place.folder.valid() && fileHasContent(place.folder.get(), place.name, size, crc))
            return ::unlinkat(place.folder.get(), place.name.constData(), 0) == 0;
        return true; // gone already, or changed since: kept
    }
    // rename, move
    if (!exists(place))
        return true; // done already
    const RootedPath target = pathFrom(step.value(QStringLiteral("to")));
    const Place to = placeOf(target, kind == QLatin1String("move"));
    if (!to.folder.valid()) {
        *problem = QStringLiteral("%1: %2").arg(target.absolute(), systemReason(errno));
        return false;
    }
    const unsigned flags =
        step.value(QStringLiteral("keepExisting")).toBool() ? RENAME_NOREPLACE : 0;
    if (::renameat2(place.folder.get(), place.name.constData(), to.folder.get(),
                    to.name.constData(), flags) == 0)
        return true;
    if (errno == EXDEV && kind == QLatin1String("move") && copyOver(place, to)) {
        ::unlinkat(place.folder.get(), place.name.constData(), 0);
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

void LibraryJournal::writeRecord(const Manifest& manifest) {
    m_steps.append({{QStringLiteral("step"), QStringLiteral("writeRecord")},
                    {QStringLiteral("record"), manifest.toJson()}});
}

void LibraryJournal::dropRecord(const QString& archive) {
    m_steps.append({{QStringLiteral("step"), QStringLiteral("dropRecord")},
                    {QStringLiteral("archive"), archive}});
}

bool LibraryJournal::commit(LibraryRecords& records, QStringList* problems) {
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
    for (const QJsonValue& step : journal.value(QStringLiteral("steps")).toArray()) {
        QString problem;
        if (!runStep(step.toObject(), records, &problem) && !problem.isEmpty())
            problems->append(problem);
    }
}

} // namespace packshelf
