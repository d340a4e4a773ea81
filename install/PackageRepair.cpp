#include "install/PackageRepair.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "analysis/NameRules.h"
#include "install/InstalledPackages.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/ArchiveView.h"
#include "install/plan/InstallPlan.h"
#include "install/transaction/LibraryTransaction.h"

namespace packshelf {

using namespace library;

namespace {

bool copyInto(int fromDir, const QByteArray& from, int toDir, const QByteArray& to) {
    const handles::UniqueFd in(
        ::openat(fromDir, from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    handles::UniqueFd out(in.valid()
                              ? ::openat(toDir, to.constData(),
                                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644)
                              : -1);
    char buffer[65536];
    bool copied = out.valid();
    for (ssize_t got; copied && (got = ::read(in.get(), buffer, sizeof buffer)) != 0;)
        copied = got > 0 && writeAll(out.get(), buffer, std::size_t(got));
    return copied && ::fdatasync(out.get()) == 0 && out.close();
}

// The plan's files that write the paths of `checks`, with the folders on
// their way; `missing` names the paths the plan does not write.
InstallPlan planFor(const InstallPlan& plan, const std::vector<FileCheck>& checks,
                    QStringList* missing) {
    QSet<QString> wanted;
    for (const FileCheck& check : checks)
        wanted.insert(check.path.toCaseFolded());
    InstallPlan repair;
    repair.root = plan.root;
    QSet<QString> found;
    QSet<QString> folders;
    for (const PlannedFile& file : plan.files) {
        const QString folded = file.target.toCaseFolded();
        if (!wanted.contains(folded))
            continue;
        repair.files.push_back(file);
        found.insert(folded);
        for (qsizetype slash = folded.lastIndexOf(QLatin1Char('/')); slash > 0;
             slash = folded.lastIndexOf(QLatin1Char('/'), slash - 1))
            folders.insert(folded.left(slash));
    }
    for (const QString& folder : plan.folders) {
        if (folders.contains(folder.toCaseFolded()))
            repair.folders.append(folder);
    }
    for (const FileCheck& check : checks) {
        if (!found.contains(check.path.toCaseFolded()))
            missing->append(check.path);
    }
    return repair;
}

// Repairs one package; the library is as it was when it fails.
class Repair {
public:
    Repair(const std::vector<Manifest>& manifests, std::size_t index, const QString& keptFolder)
        : m_manifests(manifests)
        , m_index(index)
        , m_package(manifests[index])
        , m_keptFolder(keptFolder + QLatin1Char('/') + manifestId(m_package.archive)) {}

    RepairOutcome run(const QString& library, const QString& sourceDir, const QString& workDir,
                      const std::atomic<bool>* cancel) {
        m_library = library;
        m_outcome.archive = m_package.archive;
        const PackageCheck check =
            verifyPackages(m_manifests, {m_index}, VerifyDepth::Full).front();
        if (check.asInstalled())
            return m_outcome;
        if (rewrite(check.files, sourceDir, workDir, cancel))
            m_outcome.remaining =
                verifyPackages(m_manifests, {m_index}, VerifyDepth::Full).front().files;
        else
            m_outcome.remaining = check.files;
        return m_outcome;
    }

private:
    struct Kept {
        QString path; // the record's path
        bool moved = false;
    };

    bool rewrite(const std::vector<FileCheck>& checks, const QString& sourceDir,
                 const QString& workDir, const std::atomic<bool>* cancel) {
        const QString archivePath = joinPath(sourceDir, m_package.archive);
        const QByteArray nativePath = QFile::encodeName(archivePath);
        if (!isInstalledFrom(m_package, m_package.archive, nativePath))
            return fail(QStringLiteral("%1 is not the archive the package was installed from "
                                       "(missing, or its size or listing differs)")
                            .arg(archivePath));
        const Result<std::unique_ptr<ArchiveView>> opened =
            ArchiveView::open(nativePath, workDir.isEmpty() ? QDir::tempPath() : workDir, cancel);
        if (!opened)
            return fail(QStringLiteral("%1: %2").arg(archivePath, opened.reason()));
        const std::unique_ptr<ArchiveView>& view = *opened;
        const InstallPlan plan = planInstall(m_package.plan, *view, m_library);
        if (!plan.ok())
            return fail(QStringLiteral("%1: %2").arg(plan.problemPath, plan.problem));
        if (plan.root != m_package.root)
            return fail(QStringLiteral("the archive's plan writes into %1, not %2")
                            .arg(plan.root, m_package.root));
        QStringList notInArchive;
        const InstallPlan repair = planFor(plan, checks, &notInArchive);
        if (!notInArchive.isEmpty())
            return fail(QStringLiteral("%1 is not in %2").arg(notInArchive.first(), archivePath));
        if (!keepVersions(checks))
            return false;
        LibraryTransaction transaction(repair, *view, cancel);
        Status written = transaction.stage();
        if (written)
            written = transaction.commit();
        if (!written) {
            putBack();
            return fail(QStringLiteral("%1: %2").arg(transaction.failedPath(), written.reason()));
        }
        m_outcome.rewritten = transaction.counts().added + transaction.counts().replaced;
        return true;
    }

    // Keeps what stands in the place of each file not as installed: a
    // regular file is linked (or copied) into the kept folder, anything
    // else is moved there so that the file can be written.
    bool keepVersions(const std::vector<FileCheck>& checks) {
        for (const FileCheck& check : checks) {
            if (check.state == FileCheck::State::Missing)
                continue;
            if (!keepVersion(check.path)) {
                putBack();
                return false;
            }
        }
        return true;
    }

    bool keepVersion(const QString& path) {
        const auto [folder, name] = splitLast(path);
        const handles::UniqueFd from = openFolderBelow(m_package.root, folder, false);
        if (!from.valid())
            return fail(QStringLiteral("%1/%2: its folder cannot be entered (%3)")
                            .arg(m_package.root, folder, systemReason(errno)));
        struct stat st;
        if (::fstatat(from.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ||
                   fail(QStringLiteral("%1/%2: %3").arg(m_package.root, path, systemReason(errno)));
        const handles::UniqueFd to =
            openFolderBelow(m_library, m_keptFolder + QLatin1Char('/') + folder, true);
        if (!to.valid())
            return fail(
                QStringLiteral("%1/%2: %3").arg(m_library, m_keptFolder, systemReason(errno)));
        Kept kept{path, !S_ISREG(st.st_mode)};
        const bool done =
            kept.moved ? renameIn(from.get(), name.constData(), to.get(), name.constData(),
                                  RENAME_NOREPLACE) == 0
                       : linkIn(from.get(), name.constData(), to.get(), name.constData()) == 0 ||
                             copyInto(from.get(), name, to.get(), name);
        if (!done)
            return fail(QStringLiteral("%1/%2 cannot be kept: %3")
                            .arg(m_package.root, path, systemReason(errno)));
        m_kept.push_back(kept);
        m_outcome.keptFrom.append(m_package.root + QLatin1Char('/') + path);
        m_outcome.keptAs.append(m_library + QLatin1Char('/') + m_keptFolder + QLatin1Char('/') +
                                path);
        return true;
    }

    // Puts what was moved aside back, and lets go of the kept links.
    void putBack() {
        for (const Kept& kept : m_kept) {
            if (!kept.moved)
                continue;
            const auto [folder, name] = splitLast(kept.path);
            const handles::UniqueFd from =
                openFolderBelow(m_library, m_keptFolder + QLatin1Char('/') + folder, false);
            const handles::UniqueFd to = openFolderBelow(m_package.root, folder, false);
            if (!from.valid() || !to.valid() ||
                renameIn(from.get(), name.constData(), to.get(), name.constData(),
                         RENAME_NOREPLACE) != 0)
                return; // what could not go back stays kept, and is named
        }
        const auto [parent, name] = splitLast(m_keptFolder);
        const handles::UniqueFd folder = openFolderBelow(m_library, parent, false);
        if (folder.valid())
            removeTree(folder.get(), name);
        // The run's folder goes too when nothing else was kept in it.
        const auto [records, run] = splitLast(parent);
        const handles::UniqueFd recordsFolder = openFolderBelow(m_library, records, false);
        if (recordsFolder.valid())
            ::unlinkat(recordsFolder.get(), run.constData(), AT_REMOVEDIR);
        m_kept.clear();
        m_outcome.keptFrom.clear();
        m_outcome.keptAs.clear();
    }

    bool fail(const QString& problem) {
        if (m_outcome.problem.isEmpty())
            m_outcome.problem = problem;
        return false;
    }

    const std::vector<Manifest>& m_manifests;
    std::size_t m_index;
    const Manifest& m_package;
    QString m_keptFolder; // below the library
    QString m_library;
    std::vector<Kept> m_kept;
    RepairOutcome m_outcome;
};

} // namespace

Status repairPackages(const QString& library, const QStringList& names, const QString& sourceDir,
                      const QString& workDir, RepairReport* report,
                      const std::function<void(const QString&)>& waiting,
                      const std::atomic<bool>* cancel) {
    InstalledPackages installed(library);
    const Status opened = installed.open(LibraryRecords::Access::Change, waiting);
    report->problems = installed.problems();
    if (!opened)
        return opened;
    const QString keptFolder =
        QLatin1String(LibraryRecordsFolder) + QStringLiteral("/repaired-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmss"));
    const std::vector<Manifest>& manifests = installed.manifests();
    for (const QString& name : names) {
        const auto found = std::find_if(manifests.begin(), manifests.end(),
                                        [&](const Manifest& m) { return m.archive == name; });
        if (found == manifests.end()) {
            report->notInstalled.append(name);
            continue;
        }
        Repair repair(manifests, std::size_t(found - manifests.begin()), keptFolder);
        report->packages.push_back(repair.run(library, sourceDir, workDir, cancel));
    }
    return {};
}

} // namespace packshelf
