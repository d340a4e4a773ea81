#include "analysis/Analyzer.h"

#include <QDir>

#include "analysis/ArchiveDescription.h"
#include "analysis/NameRules.h"
#include "analysis/StructureQueries.h"

namespace packshelf {

namespace {

void storeTree(ArchiveItem& item, ContentTree tree) {
    item.setTree(key::Zip, std::make_shared<const ContentTree>(std::move(tree)));
}

void storeCounts(ArchiveItem& item, const ContentTree& tree) {
    const StructureCount count = structureCounting(&tree);
    item.setInteger(key::Folders, count.folders);
    item.setInteger(key::Files, count.files);
}

void acceptTopLevel(ArchiveItem& item, ContentTree tree, bool runtime, bool data, bool ignoreDS) {
    item.setInteger(key::State, ItemState::Ready);
    item.setText(key::Info, verdict::Ok);
    if (runtime) {
        item.setText(key::RuntimePath, QString());
        item.setInteger(key::HasRuntime, 1);
    }
    if (data) {
        item.setText(key::DataPath, QString());
        item.setInteger(key::HasData, 1);
    }
    item.setInteger(key::IgnoreDS, ignoreDS ? 1 : 0);
    storeTree(item, std::move(tree));
}

void rejectEmpty(ArchiveItem& item, ContentTree tree, bool ignoreDS) {
    item.setInteger(key::State, ItemState::Failed);
    item.setInteger(key::Error, ItemError::ErrorContent);
    item.setText(key::Info, ignoreDS ? verdict::NoRuntimeOrData : verdict::NoRuntime);
    item.setInteger(key::HasRuntime, 0);
    item.setInteger(key::HasData, 0);
    storeTree(item, std::move(tree));
}

void acceptDeep(ArchiveItem& item, ContentTree tree, bool runtime, bool data, bool ignoreDS) {
    bool duplicateRuntime = false;
    bool duplicateData = false;
    if (runtime) {
        item.setInteger(key::HasRuntime, 1);
        item.setText(key::RuntimePath, *locatePath(folder::Runtime, &tree, QString()));
        duplicateRuntime = locateFolderOnlevelDeep(folder::Runtime, &tree);
    }
    if (data) {
        duplicateData = locateFolderOnlevelDeep(folder::Data, &tree);
        item.setText(key::DataPath, *locatePath(folder::Data, &tree, QString()));
        item.setInteger(key::HasData, 1);
    }
    item.setInteger(key::IgnoreDS, ignoreDS ? 1 : 0);
    item.setInteger(key::State, ItemState::Ready);
    item.setText(key::Info, verdict::Ok);
    if (duplicateRuntime || duplicateData) {
        item.setInteger(key::State, ItemState::NeedsHelp);
        item.setText(key::Info, verdict::Duplicates);
        // Only the kind found twice is left for the user: a Data folder
        // found once keeps its path and is installed with the Runtime the
        // user picks.
        if (duplicateRuntime)
            item.remove(key::RuntimePath);
        if (duplicateData)
            item.remove(key::DataPath);
    }
    storeTree(item, std::move(tree));
}

} // namespace

void classifyArchive(ArchiveItem& item, std::optional<ContentTree> tree, bool ignoreDS) {
    if (!tree) {
        item.setInteger(key::State, ItemState::Failed);
        item.setInteger(key::Error, ItemError::ErrorOpen);
        item.setText(key::Info, verdict::UnzipError);
        return;
    }
    storeCounts(item, *tree);

    const bool runtimeOnTop = locateFolderOnlevel1(folder::Runtime, &*tree);
    const bool dataOnTop = !ignoreDS && locateFolderOnlevel1(folder::Data, &*tree);
    if (runtimeOnTop || dataOnTop) {
        acceptTopLevel(item, std::move(*tree), runtimeOnTop, dataOnTop, ignoreDS);
        return;
    }

    const bool runtimeDeep = locateFolderOnlevelDeep(folder::Runtime, &*tree);
    const bool dataDeep = !ignoreDS && locateFolderOnlevelDeep(folder::Data, &*tree);
    if (!runtimeDeep && !dataDeep) {
        rejectEmpty(item, std::move(*tree), ignoreDS);
        return;
    }
    acceptDeep(item, std::move(*tree), runtimeDeep, dataDeep, ignoreDS);
}

const QStringList& analysisKeys() {
    static const QStringList keys{key::State,      key::Info,     key::Error,    key::Zip,
                                  key::Folders,    key::Files,    key::IgnoreDS, key::RuntimePath,
                                  key::HasRuntime, key::DataPath, key::HasData,  key::Reason,
                                  key::Warning,    key::Format};
    return keys;
}

void analyzerThread(AnalyzerJob job, const ReportCallback& reportAnalyze) {
    ArchiveDescription description =
        describeArchive(job.data.nativePathIn(job.sourceDir),
                        job.workDir.value_or(QDir::tempPath()), job.cancelled.get());
    if (description.tree) {
        classifyArchive(job.data, std::move(*description.tree), job.ignoreDS);
    } else if (description.needsPassword) {
        job.data.setInteger(key::State, ItemState::Failed);
        job.data.setInteger(key::Error, ItemError::ErrorPassword);
        job.data.setText(key::Info, verdict::NeedsPassword);
        job.data.setText(key::Reason, description.tree.reason());
    } else {
        classifyArchive(job.data, std::nullopt, job.ignoreDS);
        job.data.setText(key::Reason, description.tree.reason());
    }
    if (!description.warnings.isEmpty())
        job.data.setText(key::Warning, description.warnings.joined());
    if (!description.format.isEmpty())
        job.data.setText(key::Format, description.format);
    reportAnalyze(AnalyzerReport{std::move(job.data), job.index, job.batchId});
}

} // namespace packshelf
