#include "install/Installer.h"

#include <QDir>

#include "analysis/DirectoryListing.h"
#include "analysis/NameRules.h"
#include "install/CopyPlan.h"
#include "install/InstallExpansion.h"
#include "install/InstallLog.h"
#include "install/MergingCopy.h"

namespace packshelf {

namespace {

void markFailed(ArchiveItem& item, ItemError code) {
    item.setInteger(key::State, ItemState::Failed);
    item.setInteger(key::Error, code);
    item.setText(key::Info, verdict::InstallFailed);
}

void logFailure(const ArchiveItem& item, const QString& path, const QString& reason) {
    qCWarning(lcInstall).noquote() << installFailureLine(item.fileName(), path, reason);
}

QString workFolderOf(const InstallJob& job) {
    return job.workDir.isEmpty() ? QDir::tempPath() : job.workDir;
}

// The sources of a plan, found (or made available) in the expansion.
struct Sources {
    std::optional<QString> primary;
    std::optional<QString> data;
    std::optional<QString> direct;
};

// Copies every entry of `folder` into `destDir`, junk names aside.
CopyResult copyEntries(const QString& folder, const QString& destDir, MergingCopy& copier) {
    QString error;
    const std::optional<QStringList> names = sortedEntryNames(folder, &error);
    if (!names)
        return CopyResult::failure(folder, error);
    for (const QString& name : *names) {
        if (isJunkEntry(name))
            continue;
        if (CopyResult copied = copier.copy(joinPath(folder, name), destDir, name); !copied.ok)
            return copied;
    }
    return CopyResult::success();
}

// Installs one record: its expansion, plan, sources and copies.
class ItemInstall {
public:
    ItemInstall(ArchiveItem& item, const InstallJob& job, MergingCopy& copier)
        : m_item(item)
        , m_job(job)
        , m_copier(copier) {}

    // Answers whether the record ended installed.
    bool run() {
        qCInfo(lcInstall).noquote() << installLogLine(m_item);
        const CopyPlan plan = copyPlanFor(m_item);
        const QString archivePath = joinPath(m_job.sourceDir, m_item.fileName());
        switch (m_expansion.expand(archivePath, workFolderOf(m_job))) {
        case InstallExpansion::Outcome::OpenFailed:
            return fail(ItemError::ErrorOpen, archivePath, QStringLiteral("cannot be opened"));
        case InstallExpansion::Outcome::ExpandFailed:
            return fail(ItemError::ErrorContent, archivePath,
                        QStringLiteral("cannot be expanded into the work folder"));
        case InstallExpansion::Outcome::Expanded:
            break;
        }
        for (const auto& nested : m_expansion.expandTopLevelArchives()) {
            markFailed(m_item, nested.code);
            logFailure(m_item, joinPath(archivePath, nested.name),
                       QStringLiteral("the nested archive cannot be expanded"));
        }
        const CopyResult copied = copyPlanned(plan);
        removeExpansion();
        if (!copied.ok)
            return fail(ItemError::ErrorCopy, copied.failedPath, copied.reason);
        m_item.setInteger(key::State, ItemState::Installed);
        return true;
    }

private:
    bool fail(ItemError code, const QString& path, const QString& reason) {
        removeExpansion();
        markFailed(m_item, code);
        logFailure(m_item, path, reason);
        return false;
    }

    void removeExpansion() {
        const QString root = m_expansion.root();
        if (!m_expansion.remove())
            logFailure(m_item, root, QStringLiteral("the expansion folder cannot be removed"));
    }

    CopyResult copyPlanned(const CopyPlan& plan) {
        Sources sources;
        if (CopyResult found = locateSources(plan, &sources); !found.ok)
            return found;
        if (sources.primary) {
            if (CopyResult copied = copyEntries(*sources.primary, m_job.destDir, m_copier);
                !copied.ok)
                return copied;
        }
        if (sources.data) {
            if (CopyResult copied = copyEntries(*sources.data, m_job.destDir, m_copier); !copied.ok)
                return copied;
        }
        if (sources.direct)
            return m_copier.copy(*sources.direct, *plan.directDestination, *plan.directSource);
        return CopyResult::success();
    }

    // Checks every planned source and destination before anything is
    // copied, so that a plan that cannot be carried out copies nothing.
    CopyResult locateSources(const CopyPlan& plan, Sources* sources) {
        if (plan.isIncompleteDirect()) {
            if (!plan.directDestination)
                return CopyResult::failure(m_item.fileName(),
                                           QStringLiteral("no direct destination is set"));
            return CopyResult::failure(*plan.directDestination,
                                       QStringLiteral("no part of the archive is chosen for it"));
        }
        if (plan.copiesIntoDestination() && !QDir::isAbsolutePath(m_job.destDir))
            return CopyResult::failure(m_job.destDir,
                                       QStringLiteral("the destination is not an absolute path"));
        if (plan.directDestination && !QDir::isAbsolutePath(*plan.directDestination))
            return CopyResult::failure(*plan.directDestination,
                                       QStringLiteral("the destination is not an absolute path"));
        if (CopyResult found = locate(plan.primarySource, true, &sources->primary); !found.ok)
            return found;
        if (CopyResult found = locate(plan.dataSource, true, &sources->data); !found.ok)
            return found;
        return locate(plan.directSource, false, &sources->direct);
    }

    CopyResult locate(const std::optional<QString>& planned, bool folderOnly,
                      std::optional<QString>* found) {
        if (!planned)
            return CopyResult::success();
        QString problem;
        *found = m_expansion.locate(*planned, folderOnly, &problem);
        if (!*found)
            return CopyResult::failure(joinPath(m_item.fileName(), *planned), problem);
        return CopyResult::success();
    }

    ArchiveItem& m_item;
    const InstallJob& m_job;
    MergingCopy& m_copier;
    InstallExpansion m_expansion;
};

} // namespace

void installerThread(InstallJob job, const InstallCallbacks& callbacks) {
    MergingCopy copier;
    for (ArchiveItem& item : job.items) {
        const bool installed = ItemInstall(item, job, copier).run();
        if (installed && callbacks.copyStep)
            callbacks.copyStep(item.fileName());
    }
    if (callbacks.copyDone)
        callbacks.copyDone(std::move(job.items));
}

InstallCallbacks callbacksThrough(MainThreadCall& mainThread,
                                  std::function<void(QString fileName)> copyStep,
                                  std::function<void(std::vector<ArchiveItem> items)> copyDone) {
    InstallCallbacks callbacks;
    callbacks.copyStep = [&mainThread, copyStep = std::move(copyStep)](QString fileName) {
        mainThread.post([copyStep, fileName = std::move(fileName)] { copyStep(fileName); });
    };
    callbacks.copyDone = [&mainThread,
                          copyDone = std::move(copyDone)](std::vector<ArchiveItem> items) {
        mainThread.callAndWait([&copyDone, &items] { copyDone(std::move(items)); });
    };
    return callbacks;
}

} // namespace packshelf
