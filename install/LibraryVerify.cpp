#include "install/LibraryVerify.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>

#include "core/EngineText.h"
#include "core/Executor.h"
#include "install/InstalledPackages.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"

namespace packshelf {

using namespace library;
using State = FileCheck::State;

namespace {

// The sequence of the package that wrote each path last, by root.
using LatestWriters = QHash<QString, QHash<QString, qint64>>;

LatestWriters latestWriters(const std::vector<Manifest>& manifests) {
    LatestWriters writers;
    for (const Manifest& manifest : manifests) {
        QHash<QString, qint64>& below = writers[manifest.root];
        for (const Manifest::File& file : manifest.files) {
            if (!file.written())
                continue;
            qint64& latest = below[file.path];
            latest = std::max(latest, manifest.sequence);
        }
    }
    return writers;
}

// A root's descriptor and those of the folders right below it that many
// packages share (each package enters them otherwise), opened once before
// the packages are checked side by side, and only read from then on.
struct OpenedRoot {
    handles::UniqueFd fd;
    std::map<QString, handles::UniqueFd> shared;
};

// At most this many shared folders are held open per root.
constexpr std::size_t MaxSharedFolders = 64;

QString firstFolderOf(const QString& path) {
    const qsizetype slash = path.indexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

// Opens the folders below the root that more than one of `packages` writes
// into, the most used first.
void openSharedFolders(OpenedRoot& root, const std::vector<const Manifest*>& packages) {
    QHash<QString, int> users;
    for (const Manifest* package : packages) {
        QSet<QString> used;
        for (const Manifest::File& file : package->files) {
            if (const QString first = firstFolderOf(file.path); !first.isEmpty())
                used.insert(first);
        }
        for (const QString& first : used)
            ++users[first];
    }
    std::vector<std::pair<int, QString>> ranked;
    for (auto it = users.cbegin(); it != users.cend(); ++it) {
        if (it.value() > 1)
            ranked.emplace_back(-it.value(), it.key());
    }
    std::sort(ranked.begin(), ranked.end());
    ranked.resize(std::min(ranked.size(), MaxSharedFolders));
    for (const auto& [count, folder] : ranked) {
        handles::UniqueFd fd(::openat(root.fd.get(), QFile::encodeName(folder).constData(),
                                      O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.valid())
            root.shared.emplace(folder, std::move(fd));
    }
}

// The folders of one package's files, each entered once (without
// following a link, from the root's descriptor) however many files they
// hold.
class FolderCache {
public:
    explicit FolderCache(const OpenedRoot& root)
        : m_root(root.fd.get())
        , m_shared(root.shared) {}

    // The folder's descriptor, or -1 with `error` set.
    int open(const QString& folder, int* error) {
        if (folder.isEmpty()) {
            *error = m_root < 0 ? ENOENT : 0;
            return m_root;
        }
        if (const auto shared = m_shared.find(folder); shared != m_shared.end()) {
            *error = 0;
            return shared->second.get();
        }
        if (const auto found = m_folders.find(folder); found != m_folders.end()) {
            *error = found->second.error;
            return found->second.fd.get();
        }
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        int parentError = 0;
        const int parent = open(slash < 0 ? QString() : folder.left(slash), &parentError);
        Folder entered;
        entered.error = parentError;
        if (parent >= 0) {
            entered.fd.reset(::openat(parent, QFile::encodeName(folder.mid(slash + 1)).constData(),
                                      O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            entered.error = entered.fd.valid() ? 0 : errno;
        }
        *error = entered.error;
        return m_folders.emplace(folder, std::move(entered)).first->second.fd.get();
    }

private:
    struct Folder {
        handles::UniqueFd fd;
        int error = 0;
    };
    int m_root;
    const std::map<QString, handles::UniqueFd>& m_shared;
    std::map<QString, Folder> m_folders;
};

State stateForError(int error) {
    if (error == ENOENT)
        return State::Missing;
    // A link or a file where a folder of the path should be.
    if (error == ENOTDIR || error == ELOOP)
        return State::NotAFile;
    return State::Unreadable;
}

State checkFile(FolderCache& folders, const Manifest::File& file, VerifyDepth depth) {
    const auto [folder, name] = splitLast(file.path);
    int error = 0;
    const int dir = folders.open(folder, &error);
    if (dir < 0)
        return stateForError(error);
    struct stat st;
    if (::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return stateForError(errno);
    if (!S_ISREG(st.st_mode))
        return State::NotAFile;
    if (quint64(st.st_size) != file.size)
        return State::Changed;
    if (depth == VerifyDepth::Quick && st.st_mtim.tv_sec == file.modified)
        return State::AsInstalled;
    const handles::UniqueFd fd(
        ::openat(dir, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOATIME));
    const handles::UniqueFd plain =
        fd.valid()
            ? handles::UniqueFd()
            : handles::UniqueFd(::openat(dir, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    const int readable = fd.valid() ? fd.get() : plain.get();
    quint32 crc = 0;
    if (readable < 0 || !crcOfFile(readable, file.size, &crc))
        return State::Unreadable;
    return crc == file.crc ? State::AsInstalled : State::Changed;
}

PackageCheck checkPackage(const Manifest& package, const OpenedRoot& root,
                          const LatestWriters& writers, VerifyDepth depth,
                          const std::atomic<bool>* cancel) {
    PackageCheck check;
    check.archive = package.archive;
    check.root = package.root;
    FolderCache folders(root);
    const QHash<QString, qint64> latest = writers.value(package.root);
    for (const Manifest::File& file : package.files) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            break;
        if (!file.written() || latest.value(file.path) != package.sequence)
            continue;
        ++check.checked;
        const State state = checkFile(folders, file, depth);
        ++check.counts[std::size_t(state)];
        if (state != State::AsInstalled)
            check.files.push_back({file.path, state});
    }
    return check;
}

// What the records name below the library: every file, and every folder
// (those made and those holding a recorded file).
struct Recorded {
    QSet<QString> files;
    QSet<QString> folders;
};

Recorded recordedPaths(const std::vector<Manifest>& manifests) {
    Recorded recorded;
    for (const Manifest& manifest : manifests) {
        if (!manifest.destination.isEmpty())
            continue;
        for (const QString& folder : manifest.folders)
            recorded.folders.insert(folder);
        for (const Manifest::File& file : manifest.files) {
            recorded.files.insert(file.path);
            for (qsizetype slash = file.path.lastIndexOf(QLatin1Char('/')); slash > 0;
                 slash = file.path.lastIndexOf(QLatin1Char('/'), slash - 1)) {
                const QString folder = file.path.left(slash);
                if (recorded.folders.contains(folder))
                    break;
                recorded.folders.insert(folder);
            }
        }
    }
    return recorded;
}

void collectForeign(int dirFd, const QString& prefix, const Recorded& recorded,
                    QStringList* foreign) {
    Result<std::vector<DirEntry>> listed = entriesOf(dirFd);
    if (!listed)
        return; // a folder that cannot be listed holds nothing to name
    std::vector<DirEntry>& entries = *listed;
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    for (const DirEntry& entry : entries) {
        if (prefix.isEmpty() && entry.name == LibraryRecordsFolder)
            continue;
        if (writerOf(entry.name) != 0)
            continue; // staged by an install: its leftovers are recover's
        const QString path = prefix + QFile::decodeName(entry.name);
        if (recorded.files.contains(path))
            continue;
        if (!entry.folder) {
            foreign->append(path);
            continue;
        }
        if (!recorded.folders.contains(path)) {
            foreign->append(path + QLatin1Char('/'));
            continue;
        }
        const handles::UniqueFd child(::openat(dirFd, entry.name.constData(),
                                               O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (child.valid())
            collectForeign(child.get(), path + QLatin1Char('/'), recorded, foreign);
    }
}

} // namespace

QString fileStateName(FileCheck::State state) {
    switch (state) {
    case State::AsInstalled:
        return EngineText::tr("as installed");
    case State::Changed:
        return QStringLiteral("changed");
    case State::Missing:
        return QStringLiteral("missing");
    case State::NotAFile:
        return EngineText::tr("not a file");
    case State::Unreadable:
        break;
    }
    return QStringLiteral("unreadable");
}

std::vector<PackageCheck> verifyPackages(const std::vector<Manifest>& manifests,
                                         const std::vector<std::size_t>& packages,
                                         VerifyDepth depth, Executor& executor,
                                         const std::atomic<bool>* cancel) {
    const LatestWriters writers = latestWriters(manifests);
    // Each root is opened once; the packages' folders are entered from it.
    std::map<QString, std::vector<const Manifest*>> byRoot;
    for (const std::size_t package : packages)
        byRoot[manifests[package].root].push_back(&manifests[package]);
    std::map<QString, OpenedRoot> roots;
    for (const auto& [path, below] : byRoot) {
        OpenedRoot& root = roots[path];
        root.fd = openFolderBelow(path, QString(), false);
        if (root.fd.valid())
            openSharedFolders(root, below);
    }
    std::vector<PackageCheck> checks(packages.size());
    const auto checkOne = [&](std::size_t i) {
        const Manifest& package = manifests[packages[i]];
        checks[i] = checkPackage(package, roots.at(package.root), writers, depth, cancel);
    };
    // Reading content pays off side by side; a quick look at a few files
    // does not.
    if (depth == VerifyDepth::Full || packages.size() > 64)
        executor.forEachIndex(packages.size(), checkOne);
    else
        for (std::size_t i = 0; i < packages.size(); ++i)
            checkOne(i);
    return checks;
}

QStringList foreignPaths(const std::vector<Manifest>& manifests, const QString& library) {
    QStringList foreign;
    const handles::UniqueFd root = openFolderBelow(library, QString(), false);
    if (root.valid())
        collectForeign(root.get(), QString(), recordedPaths(manifests), &foreign);
    return foreign;
}

bool VerifyReport::asInstalled() const {
    return problems.isEmpty() && foreign.isEmpty() && notInstalled.isEmpty() &&
           unreadable.isEmpty() &&
           std::all_of(packages.begin(), packages.end(),
                       [](const PackageCheck& check) { return check.asInstalled(); });
}

Status verifyLibrary(const QString& library, const QStringList& names, VerifyDepth depth,
                     bool foreign, Executor& executor, VerifyReport* report,
                     const std::function<void(const QString&)>& waiting,
                     const std::atomic<bool>* cancel) {
    InstalledPackages installed(library, executor);
    if (const Status opened = installed.open(LibraryLock::Access::Read, waiting); !opened) {
        report->problems = installed.problems();
        return opened;
    }
    report->problems = installed.problems();
    const std::vector<Manifest>& manifests = installed.manifests();
    std::vector<std::size_t> packages;
    for (std::size_t i = 0; i < manifests.size(); ++i) {
        if (names.isEmpty() || names.contains(manifests[i].archive))
            packages.push_back(i);
    }
    for (const QString& name : names) {
        if (!installed.contains(name))
            (installed.recordUnreadable(name) ? report->unreadable : report->notInstalled)
                .append(name);
    }
    report->packages = verifyPackages(manifests, packages, depth, executor, cancel);
    if (foreign)
        report->foreign = foreignPaths(manifests, library);
    return {};
}

} // namespace packshelf
