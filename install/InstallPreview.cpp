#include "install/InstallPreview.h"

#include <QDir>
#include <QHash>
#include <algorithm>

#include "analysis/WorkerPool.h"

#include "install/ArchiveView.h"
#include "install/CopyPlan.h"
#include "install/LibraryRecords.h"

namespace packshelf {

namespace {

using Kind = LibraryTransaction::Change::Kind;

struct Written {
    std::size_t package = 0;
    std::size_t file = 0;
    quint64 size = 0;
    quint32 crc = 0;
};

QString shownPath(const QString& root, const QString& destDir, const QString& path) {
    return root == destDir ? path : root + QLatin1Char('/') + path;
}

} // namespace

int PackagePreview::count(Kind kind) const {
    return int(std::count_if(files.begin(), files.end(),
                             [kind](const File& file) { return file.kind == kind; }));
}

QStringList PackagePreview::conflicts() const {
    QStringList names;
    for (const File& file : files) {
        for (const QString& name : {file.owner, file.overwrittenBy}) {
            if (!name.isEmpty() && name != archive && !names.contains(name))
                names.append(name);
        }
    }
    return names;
}

namespace {

// One archive compared with the library alone: what it would write and how
// that meets the files there now. Archives are compared side by side; the
// batch's own overlaps are worked in afterwards, in list order.
struct Comparison {
    QString problem;
    QString root;
    std::vector<LibraryTransaction::Change> changes;
};

Comparison compareWithLibrary(const InstallJob& job, const ArchiveItem& item,
                              const std::vector<Manifest>& installed,
                              const LibraryTransaction::LibraryFiles& files) {
    Comparison comparison;
    const std::unique_ptr<ArchiveView> view = ArchiveView::open(
        item.nativePathIn(job.sourceDir), job.workDir.isEmpty() ? QDir::tempPath() : job.workDir,
        &comparison.problem, job.cancelled.get());
    if (!view)
        return comparison;
    const InstallPlan plan = planInstall(copyPlanFor(item), *view, job.destDir);
    if (!plan.ok()) {
        comparison.problem = plan.problemPath + QStringLiteral(": ") + plan.problem;
        return comparison;
    }
    LibraryTransaction transaction(plan, *view, job.cancelled.get());
    LibraryTransaction::Memory memory;
    memory.files = &files;
    for (const Manifest& manifest : installed) {
        if (manifest.archive == item.fileName())
            memory.previous = manifest;
    }
    transaction.remember(std::move(memory));
    if (!transaction.compare()) {
        comparison.problem =
            transaction.failedPath() + QStringLiteral(": ") + transaction.problem();
        return comparison;
    }
    comparison.root = plan.root;
    comparison.changes = transaction.changes();
    return comparison;
}

// Compares every archive of the job with the library, a few at a time.
std::vector<Comparison> compareAll(const InstallJob& job, const std::vector<Manifest>& installed,
                                   const LibraryTransaction::LibraryFiles& files) {
    std::vector<Comparison> comparisons(job.items.size());
    WorkerPool::forEachIndex(job.items.size(), [&](std::size_t i) {
        comparisons[i] = compareWithLibrary(job, job.items[i], installed, files);
    });
    return comparisons;
}

} // namespace

std::vector<PackagePreview> previewInstall(const InstallJob& job) {
    std::vector<PackagePreview> previews;
    QStringList problems;
    const std::vector<Manifest> installed = LibraryRecords(job.destDir).load(&problems);
    // What the records know of the library's files, shared by every archive.
    const LibraryTransaction::LibraryFiles files = LibraryTransaction::filesOf(installed);
    std::vector<Comparison> comparisons = compareAll(job, installed, files);
    // Library files the archives before this one would write, case-folded.
    QHash<QString, Written> written;
    for (std::size_t i = 0; i < job.items.size(); ++i) {
        Comparison& comparison = comparisons[i];
        PackagePreview preview;
        preview.archive = job.items[i].fileName();
        preview.problem = std::move(comparison.problem);
        const std::size_t index = previews.size();
        for (const LibraryTransaction::Change& change : comparison.changes) {
            PackagePreview::File file;
            file.path = shownPath(comparison.root, job.destDir, change.path);
            file.kind = change.kind;
            file.owner = change.owner;
            const QString key = (comparison.root + QLatin1Char('/') + change.path).toCaseFolded();
            if (const auto earlier = written.constFind(key); earlier != written.constEnd()) {
                // An archive before this one writes it first.
                const bool same = earlier->size == change.size && earlier->crc == change.crc;
                file.kind = same ? Kind::Same : Kind::Replace;
                file.owner.clear();
                if (!same)
                    previews[earlier->package].files[earlier->file].overwrittenBy = preview.archive;
            }
            if (file.kind != Kind::Same || !written.contains(key))
                written.insert(key, {index, preview.files.size(), change.size, change.crc});
            preview.files.push_back(std::move(file));
        }
        previews.push_back(std::move(preview));
    }
    return previews;
}

} // namespace packshelf
