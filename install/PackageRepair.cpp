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
#include "core/EngineText.h"
#include "install/InstalledPackages.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/ArchiveView.h"
#include "install/plan/InstallPlan.h"
#include "install/records/RecordInterest.h"
#include "install/transaction/LibraryTransaction.h"

namespace packshelf {

using namespace library;

namespace {

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

// Repairs one package as one change: the library is as it was when it fails.
class Repair {
public:
    Repair(InstalledPackages& packages, std::size_t index)
        : m_packages(packages)
        , m_index(index)
        , m_package(packages.manifests()[index]) {}

    RepairOutcome run(const QString& sourceDir, const QString& workDir,
                      const std::atomic<bool>* cancel) {
        m_outcome.archive = m_package.archive;
        if (!m_packages.trust().trusts(m_package)) {
            m_outcome.needsConfirmation = m_package.destination;
            m_outcome.problem = needsConfirmationReason(m_package.destination);
            return m_outcome;
        }
        const PackageCheck check = verifyPackages(m_packages.manifests(), {m_index},
                                                  VerifyDepth::Full, m_packages.executor())
                                       .front();
        if (check.asInstalled())
            return m_outcome;
        if (const Status rewritten = rewrite(check.files, sourceDir, workDir, cancel); rewritten)
            m_outcome.remaining = verifyPackages(m_packages.manifests(), {m_index},
                                                 VerifyDepth::Full, m_packages.executor())
                                      .front()
                                      .files;
        else {
            m_outcome.problem = rewritten.reason();
            m_outcome.remaining = check.files;
        }
        return m_outcome;
    }

private:
    Status rewrite(const std::vector<FileCheck>& checks, const QString& sourceDir,
                   const QString& workDir, const std::atomic<bool>* cancel) {
        const QString archivePath = joinPath(sourceDir, m_package.archive);
        const QByteArray nativePath = QFile::encodeName(archivePath);
        if (!isInstalledFrom(m_package, m_package.archive, nativePath))
            return fail(EngineText::tr("%1 is not the archive the package was installed from "
                                       "(missing, or its size or listing differs)")
                            .arg(archivePath));
        const Result<std::unique_ptr<ArchiveView>> opened =
            ArchiveView::open(nativePath, workDir.isEmpty() ? QDir::tempPath() : workDir, cancel);
        if (!opened)
            return fail(QStringLiteral("%1: %2").arg(archivePath, opened.reason()));
        const std::unique_ptr<ArchiveView>& view = *opened;
        const InstallPlan plan = planInstall(m_package.plan, *view, m_packages.library());
        if (!plan.ok())
            return fail(QStringLiteral("%1: %2").arg(plan.problemPath, plan.problem));
        if (plan.root != m_package.root)
            return fail(EngineText::tr("the archive's plan writes into %1, not %2")
                            .arg(plan.root, m_package.root));
        QStringList notInArchive;
        const InstallPlan repair = planFor(plan, checks, &notInArchive);
        if (!notInArchive.isEmpty())
            return fail(EngineText::tr("%1 is not in %2").arg(notInArchive.first(), archivePath));
        QSet<QString> obstacles;
        for (const FileCheck& check : checks) {
            if (check.state == FileCheck::State::NotAFile)
                obstacles.insert(check.path);
        }
        LibraryTransaction transaction(repair, *view, cancel);
        LibraryTransaction::Memory memory;
        memory.records = &m_packages.records();
        memory.store = &m_packages.store();
        transaction.remember(std::move(memory));
        transaction.keepAsideAt(obstacles);
        if (const Status staged = transaction.stage(); !staged)
            return fail(QStringLiteral("%1: %2").arg(transaction.failedPath(), staged.reason()));
        LibraryTransaction::Kept kept;
        const Result<QStringList> committed =
            transaction.commitRepair(manifestId(m_package.archive), kept);
        if (!committed)
            return fail(QStringLiteral("%1: %2").arg(transaction.failedPath(), committed.reason()));
        m_outcome.keptFrom = kept.from;
        m_outcome.keptAs = kept.as;
        m_outcome.unfinished = *committed;
        m_outcome.rewritten = transaction.counts().added + transaction.counts().replaced;
        return {};
    }

    InstalledPackages& m_packages;
    std::size_t m_index;
    const Manifest& m_package;
    RepairOutcome m_outcome;
};

} // namespace

Status repairPackages(const QString& library, const QStringList& names, const QString& sourceDir,
                      const QString& workDir, Executor& executor, RepairReport* report,
                      const RepairOptions& options) {
    InstalledPackages installed(library, executor, DestinationTrust(options.allowedOutside));
    RecordInterest interest;
    for (const QString& name : names)
        interest.addArchive(name);
    const Status opened = installed.open(LibraryLock::Access::Change, options.waiting, &interest);
    report->problems = installed.problems();
    if (!opened)
        return opened;
    const std::vector<Manifest>& manifests = installed.manifests();
    for (const QString& name : names) {
        const auto found = std::find_if(manifests.begin(), manifests.end(),
                                        [&](const Manifest& m) { return m.archive == name; });
        if (found == manifests.end()) {
            (installed.recordUnreadable(name) ? report->unreadable : report->notInstalled)
                .append(name);
            continue;
        }
        // Which of its files it still owns depends on the packages over them.
        if (const Status completed = installed.records().complete(
                installed.manifestsToChange(), RecordInterest::ofRemoval(*found));
            !completed) {
            RepairOutcome failed;
            failed.archive = name;
            failed.problem = completed.reason();
            report->packages.push_back(failed);
            continue;
        }
        Repair repair(installed, std::size_t(found - manifests.begin()));
        report->packages.push_back(repair.run(sourceDir, workDir, options.cancel));
    }
    return {};
}

} // namespace packshelf
