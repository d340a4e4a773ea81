#include "install/transaction/LayerRemoval.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/EngineText.h"
#include "install/disk/FileCopy.h"
#include "install/disk/LibraryFiles.h"
#include "install/records/LibraryRecords.h"
#include "install/records/RecordInterest.h"
#include "install/store/VersionStore.h"
#include "install/transaction/LibraryChange.h"
#include "install/transaction/VersionHistory.h"

namespace packshelf {

using handles::UniqueFd;
using namespace library;
using Action = Manifest::File::Action;

namespace {

constexpr qsizetype NameBytesMax = 255;

ExpectedContent expectedOf(const Manifest::File& file) {
    return {file.size, file.crc, file.modified};
}

QString missingVersion() {
    return EngineText::tr("its earlier version is missing from the library's store");
}

} // namespace

QString besideName(const QString& path, int attempt) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString stem = dot > 0 ? name.left(dot) : name;
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    const QString mark = attempt <= 1 ? QStringLiteral(" (original)")
                                      : QStringLiteral(" (original %1)").arg(attempt);
    // The name must still fit: the stem gives way.
    while (!stem.isEmpty() && (stem + mark + suffix).toUtf8().size() > NameBytesMax)
        stem.chop(1);
    return folder + stem + mark + suffix;
}

void RemovalOutcome::keep(const QString& path, const QString& reason) {
    kept.append(path);
    keptReasons.append(reason);
}

LayerRemoval::LayerRemoval(VersionHistory& history, LibraryChange& change)
    : m_history(history)
    , m_change(change) {}

int FileStates::folderOf(const Manifest& package, const QString& path, QByteArray* name) {
    const auto [folder, last] = splitLast(path);
    *name = last;
    const QString key = package.root + QChar(0) + folder;
    if (key != m_openFolder || !m_openFd.valid()) {
        m_openFd = openFolderBelow(package.root, folder, false);
        m_openFolder = key;
    }
    return m_openFd.get();
}

FileStates::State FileStates::of(const Manifest& package, const Manifest::File& file) {
    QByteArray name;
    errno = 0;
    const int folder = folderOf(package, file.path, &name);
    struct stat st;
    if (folder < 0 || ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return State::Missing;
        // A file or a link where a folder of the path should be.
        return errno == ENOTDIR || errno == ELOOP ? State::Changed : State::Unreadable;
    }
    if (!S_ISREG(st.st_mode) || quint64(st.st_size) != file.size)
        return State::Changed;
    if (st.st_mtim.tv_sec == file.modified)
        return State::AsWritten;
    const UniqueFd fd(openIn(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    quint32 crc = 0;
    if (!fd.valid() || !crcOfFile(fd.get(), file.size, &crc))
        return State::Unreadable;
    return crc == file.crc ? State::AsWritten : State::Changed;
}

Status LayerRemoval::remove(const Manifest& package, const Manifest::File& file,
                            RemovalOutcome& outcome) {
    if (!file.written())
        return {};
    const std::vector<VersionHistory::Layer> layers = m_history.layersAt(package.root, file.path);
    if (layers.empty() || layers.back().package->archive == package.archive)
        return removeTop(package, file, outcome);
    return handOn(package, file, outcome);
}

Status LayerRemoval::removeTop(const Manifest& package, const Manifest::File& file,
                               RemovalOutcome& outcome) {
    const RootedPath path{package.destination, file.path};
    const QString shown = path.absoluteIn(m_change.library());
    const bool replaced = file.action == Action::Replaced;
    const std::optional<Version> version =
        replaced ? Version::fromKey(file.before) : std::optional<Version>();
    const Result<bool> held = version ? m_change.store().holds(*version) : Result<bool>(false);
    if (!held)
        return held.failure();
    const bool versionHeld = *held;
    switch (stateOf(package, file)) {
    case State::Unreadable:
        return fail(EngineText::tr("%1 cannot be read to tell whether it changed").arg(shown));
    case State::AsWritten:
        if (!replaced) {
            if (Status removed = m_change.removeFile(path, expectedOf(file)); !removed)
                return removed;
            ++outcome.removed;
            break;
        }
        if (!versionHeld) {
            // Taking the file out would lose what stood there for good.
            outcome.keep(shown, missingVersion());
            outcome.notRemoved << file.path;
            return {};
        } else {
            const Result<QString> original = m_change.keepOriginal(path);
            if (!original)
                return original.failure();
            if (Status put = m_change.putVersion(*version, path, *original); !put)
                return put;
            ++outcome.restored;
        }
        break;
    case State::Missing:
        if (replaced && !versionHeld) {
            outcome.keep(shown, EngineText::tr("it is gone, and ") + missingVersion());
            outcome.notRemoved << file.path;
            return {};
        }
        if (replaced) {
            if (Status put = m_change.putVersion(*version, path); !put)
                return put;
            ++outcome.restored;
        }
        break;
    case State::Changed:
        outcome.keep(shown, QStringLiteral("changed since %1 installed it").arg(package.archive));
        if (replaced && file.previousOwner.isEmpty()) {
            if (!version)
                outcome.warnings << EngineText::tr("%1: the version the user had before %2 "
                                                   "installed it is missing")
                                        .arg(shown, package.archive);
            else if (Status kept = keepBeside(package, file.path, file.before, outcome); !kept)
                return kept;
        }
        break;
    }
    if (replaced && !file.before.isEmpty())
        m_dropped.insert(file.before);
    m_history.removeFile(package.archive, file.path);
    return {};
}

Status LayerRemoval::handOn(const Manifest& package, const Manifest::File& file,
                            RemovalOutcome& outcome) {
    const std::optional<VersionHistory::Layer> above =
        m_history.above(package.archive, package.root, file.path);
    if (!above)
        return {};
    const QString later = above->package->archive;
    m_history.removeFile(package.archive, file.path);
    ++outcome.handedOn;
    if (above->file->previousOwner == package.archive) {
        // The later package stood on this one's version: now it stands on
        // what stood below.
        Manifest::File& record = m_history.editFile(later, file.path);
        if (!record.before.isEmpty())
            m_dropped.insert(record.before);
        record.before = file.before;
        record.previousOwner = file.previousOwner;
        record.action = file.action == Action::New ? Action::New : Action::Replaced;
        return {};
    }
    if (file.action != Action::Replaced || file.before.isEmpty())
        return {};
    m_dropped.insert(file.before);
    // The user changed this package's version before the later one came:
    // what the user had before this package is nowhere else.
    if (file.previousOwner.isEmpty())
        return keepBeside(package, file.path, file.before, outcome);
    return {};
}

Status LayerRemoval::dropUnnamed(LibraryRecords& records, std::vector<Manifest>& manifests) {
    if (m_dropped.isEmpty())
        return {};
    RecordInterest interest;
    for (const QString& key : m_dropped)
        interest.addVersion(key);
    if (const Status completed = records.complete(manifests, interest); !completed)
        return completed;
    const QSet<QString> named = m_history.named(m_dropped);
    for (const QString& key : m_dropped) {
        if (!named.contains(key))
            m_change.dropVersion(key);
    }
    return {};
}

Status LayerRemoval::keepBeside(const Manifest& package, const QString& path, const QString& key,
                                RemovalOutcome& outcome) {
    const RootedPath at{package.destination, path};
    const std::optional<Version> version = Version::fromKey(key);
    const Result<bool> held = version ? m_change.store().holds(*version) : Result<bool>(false);
    if (!held)
        return held.failure();
    if (!*held) {
        outcome.warnings << EngineText::tr("%1: the version the user had before %2 installed it "
                                           "is missing from the library's store")
                                .arg(at.absoluteIn(m_change.library()), package.archive);
        return {};
    }
    QByteArray name;
    const int folder = m_states.folderOf(package, path, &name);
    struct stat st;
    if (folder >= 0 && ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode) && quint64(st.st_size) == version->size) {
        const UniqueFd fd(openIn(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        const Result<ContentDigest> digest =
            fd.valid() ? digestOf(fd.get()) : Result<ContentDigest>(fail(QString()));
        if (digest && digest->sha256 == version->sha256)
            return {}; // the user has it in its place
    }
    QString beside;
    for (int attempt = 1;; ++attempt) {
        beside = besideName(path, attempt);
        const QString taken = package.destination + QChar(0) + beside;
        QByteArray besideFile;
        const int besideFolder = m_states.folderOf(package, beside, &besideFile);
        if (!m_besides.contains(taken) &&
            (besideFolder < 0 ||
             ::fstatat(besideFolder, besideFile.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0))
            break;
    }
    m_besides.insert(package.destination + QChar(0) + beside);
    const RootedPath besidePath{package.destination, beside};
    if (Status put = m_change.putVersion(*version, besidePath); !put)
        return put;
    outcome.originalsOf << at.absoluteIn(m_change.library());
    outcome.originalsAt << besidePath.absoluteIn(m_change.library());
    return {};
}

} // namespace packshelf
