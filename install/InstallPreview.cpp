#include "install/InstallPreview.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <limits>
#include <optional>

#include "analysis/NameRules.h"
#include "archive/FreeSpace.h"

#include "core/EngineText.h"
#include "core/Executor.h"

#include "install/InstalledPackages.h"
#include "install/UnchangedPackage.h"
#include "install/plan/ArchiveView.h"
#include "install/plan/CopyPlan.h"
#include "install/records/LibraryRecords.h"
#include "install/records/RecordInterest.h"
#include "install/transaction/VersionHistory.h"

namespace packshelf {

namespace {

using Kind = LibraryTransaction::Change::Kind;

struct Written {
    std::size_t package = 0;
    std::size_t file = 0;
    quint64 size = 0;
    quint32 crc = 0;
    bool crcKnown = true;
};

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
    QString problem; // as the install's "REASON"
    ItemError error = ItemError(0);
    QString root;
    QStringList warnings;
    bool unchanged = false;
    ItemError nestedError = ItemError(0);
    std::vector<LibraryTransaction::Change> changes;
};

// One archive opened and planned, ready to be compared with the library;
// `comparison` holds the problem when it cannot be.
struct PlannedArchive {
    std::unique_ptr<ArchiveView> view;
    InstallPlan plan;
    Comparison comparison;
};

PlannedArchive planArchive(const InstallJob& job, const ArchiveItem& item) {
    PlannedArchive planned;
    Comparison& comparison = planned.comparison;
    Result<std::unique_ptr<ArchiveView>> opened = ArchiveView::open(
        item.nativePathIn(job.sourceDir), job.workDir.isEmpty() ? QDir::tempPath() : job.workDir,
        job.cancelled.get());
    if (!opened) {
        comparison.error = ItemError::ErrorOpen;
        comparison.problem =
            joinPath(job.sourceDir, item.fileName()) + QStringLiteral(": ") + opened.reason();
        return planned;
    }
    planned.view = std::move(*opened);
    planned.plan = planInstall(copyPlanFor(item), *planned.view, job.destDir);
    if (!planned.plan.ok()) {
        comparison.error = ItemError::ErrorCopy;
        const QString path = QDir::isAbsolutePath(planned.plan.problemPath)
                                 ? planned.plan.problemPath
                                 : joinPath(item.fileName(), planned.plan.problemPath);
        comparison.problem = path + QStringLiteral(": ") + planned.plan.problem;
        planned.view.reset();
    }
    return planned;
}

Comparison compareWithLibrary(const InstallJob& job, PlannedArchive planned,
                              VersionHistory& history) {
    if (!planned.view)
        return std::move(planned.comparison);
    Comparison comparison;
    const InstallPlan& plan = planned.plan;
    LibraryTransaction transaction(plan, *planned.view, job.cancelled.get());
    LibraryTransaction::Memory memory;
    memory.history = &history;
    transaction.remember(std::move(memory));
    if (const Status compared = transaction.compare(); !compared) {
        comparison.error = ItemError::ErrorCopy;
        comparison.problem = transaction.failedPath() + QStringLiteral(": ") + compared.reason();
        return comparison;
    }
    comparison.root = plan.root;
    for (const ArchiveView::NestedFailure& failure : planned.view->nestedFailures()) {
        comparison.nestedError = failure.code;
        comparison.warnings << nestedFailureLine(failure);
    }
    comparison.warnings += plan.warnings;
    comparison.changes = transaction.changes();
    return comparison;
}

// An archive whose package is installed and left as it was is left alone,
// as the install leaves it: it needs no plan.
std::optional<Comparison> unchangedComparison(const InstallJob& job, const ArchiveItem& item,
                                              const VersionHistory& history) {
    const Manifest* previous = history.package(item.fileName());
    if (!previous ||
        !isInstalledUnchanged(*previous, item.fileName(), item.nativePathIn(job.sourceDir),
                              copyPlanFor(item), history))
        return std::nullopt;
    Comparison comparison;
    comparison.root = previous->root;
    comparison.unchanged = true;
    return comparison;
}

// Up to this many archives are planned before the library's records are
// read whole, so that only the records their plans meet are; a larger
// batch reads every record whole and plans each archive as it compares it,
// keeping few archives open at a time.
constexpr std::size_t PlannedFirstUpTo = 4;

// Compares every archive of the job with the library, a few at a time.
std::vector<Comparison> compareAll(const InstallJob& job, Executor& executor) {
    const std::size_t count = job.items.size();
    std::vector<Comparison> comparisons(count);
    std::vector<char> settled(count, 0);
    const bool planFirst = count <= PlannedFirstUpTo;
    // The records of the batch's own archives are read whole; with a few
    // archives, the others only as their plans meet them.
    RecordInterest own;
    for (const ArchiveItem& item : job.items)
        own.addArchive(item.fileName());
    LibraryRecords records(job.destDir, executor);
    Result<RecordsRead> read = records.load(planFirst ? &own : nullptr);
    std::vector<Manifest> installed = read ? std::move(read->manifests) : std::vector<Manifest>();
    // Whether each is left alone needs the records over its files.
    if (planFirst) {
        RecordInterest over;
        for (const Manifest& manifest : installed) {
            if (manifest.whole)
                over.addInstall({}, manifest.archive, &manifest);
        }
        (void)records.complete(installed, over);
    }
    std::optional<VersionHistory> history(std::in_place, installed);
    executor.forEachIndex(count, [&](std::size_t i) {
        if (std::optional<Comparison> unchanged =
                unchangedComparison(job, job.items[i], *history)) {
            comparisons[i] = std::move(*unchanged);
            settled[i] = 1;
        }
    });
    std::vector<PlannedArchive> planned(planFirst ? count : 0);
    if (planFirst) {
        executor.forEachIndex(count, [&](std::size_t i) {
            if (!settled[i])
                planned[i] = planArchive(job, job.items[i]);
        });
        RecordInterest interest;
        for (std::size_t i = 0; i < count; ++i) {
            if (!settled[i])
                interest.addInstall(planned[i].plan, job.items[i].fileName());
        }
        (void)records.complete(installed, interest);
    }
    // What the records know of the library's files, shared by every archive.
    history.reset();
    history.emplace(installed);
    executor.forEachIndex(count, [&](std::size_t i) {
        if (settled[i])
            return;
        comparisons[i] = compareWithLibrary(
            job, planFirst ? std::move(planned[i]) : planArchive(job, job.items[i]), *history);
    });
    return comparisons;
}

// The library as the archives planned so far would leave it: every file and
// folder they write, by case-folded absolute path, with the spelling it
// takes on disk; and the bytes they write on each root's file system.
class PlannedLibrary {
public:
    struct Entry {
        bool folder = false;
        QString spelled; // absolute, as on disk
        Written written; // files: who wrote it, and what
    };

    // The path as it would be spelled on disk: each folder as the first
    // archive to make it spelled it.
    QString spelled(const QString& root, const QString& path) const {
        QString result = root;
        for (const QString& part : path.split(QLatin1Char('/'))) {
            const QString next = result + QLatin1Char('/') + part;
            const auto found = m_entries.constFind(next.toCaseFolded());
            result = found == m_entries.constEnd() ? next : found->spelled;
        }
        return result;
    }

    const Entry* find(const QString& absolute) const {
        const auto found = m_entries.constFind(absolute.toCaseFolded());
        return found == m_entries.constEnd() ? nullptr : &*found;
    }

    // What stands in the way of writing `target` under `root`: a file of an
    // earlier archive where a folder goes, or a folder where the file goes.
    std::optional<QString> obstacle(const QString& root, const QString& target) const {
        QString path = root;
        const QStringList parts = target.split(QLatin1Char('/'));
        for (qsizetype i = 0; i < parts.size(); ++i) {
            path += QLatin1Char('/') + parts[i];
            const Entry* entry = find(path);
            if (!entry)
                continue;
            const bool last = i + 1 == parts.size();
            if (!last && !entry->folder)
                return root + QLatin1Char('/') + parts.mid(0, i + 1).join(QLatin1Char('/')) +
                       EngineText::tr(": a file is in the way");
            if (last && entry->folder)
                return root + QLatin1Char('/') + target +
                       EngineText::tr(": a folder is in the way");
        }
        return std::nullopt;
    }

    void add(const QString& root, const QString& path, const Written& written) {
        QString spelledPath = root;
        const QStringList parts = path.split(QLatin1Char('/'));
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QString next = spelledPath + QLatin1Char('/') + parts[i];
            const QString key = next.toCaseFolded();
            const bool last = i + 1 == parts.size();
            auto found = m_entries.find(key);
            if (found == m_entries.end())
                found = m_entries.insert(key, {!last, next, {}});
            if (last)
                found->written = written;
            spelledPath = found->spelled;
        }
    }

    // Bytes free on the file system of `root` once the archives planned so
    // far are written.
    quint64 freeAt(const QString& root) const {
        const std::optional<quint64> free = freeBytesAt(root);
        if (!free)
            return std::numeric_limits<quint64>::max();
        const quint64 used = m_used.value(root);
        return *free > used ? *free - used : 0;
    }
    void use(const QString& root, quint64 bytes) { m_used[root] += bytes; }

private:
    QHash<QString, Entry> m_entries;
    QHash<QString, quint64> m_used;
};

// The batch's own overlaps and limits, worked into one archive's preview:
// false, with the preview's problem set, when the install would fail.
bool meetEarlierArchives(PackagePreview& preview, const Comparison& comparison,
                         std::vector<PackagePreview>& previews, std::size_t index,
                         PlannedLibrary& planned, const QString& destDir,
                         QStringList* relativePaths) {
    const QString& root = comparison.root;
    quint64 bytes = 0;
    for (const LibraryTransaction::Change& change : comparison.changes) {
        if (const std::optional<QString> obstacle = planned.obstacle(root, change.target)) {
            preview.problem = *obstacle;
            preview.error = ItemError::ErrorCopy;
            return false;
        }
        PackagePreview::File file;
        const QString absolute = planned.spelled(root, change.path);
        relativePaths->append(absolute.mid(root.size() + 1));
        // Paths in the library are shown relative to it; in a destination
        // of the archive's own, whole.
        file.path = root == destDir ? relativePaths->last() : absolute;
        file.kind = change.kind;
        file.owner = change.owner;
        if (const PlannedLibrary::Entry* earlier = planned.find(absolute)) {
            // An archive before this one writes it first.
            const Written& written = earlier->written;
            // Never the same on size alone: a 7z or RAR file not decoded yet
            // is compared when the install writes it.
            const bool same = written.size == change.size && written.crcKnown && change.crcKnown &&
                              written.crc == change.crc;
            file.kind = same ? Kind::Same : Kind::Replace;
            file.owner.clear();
            if (!same && written.package != index)
                previews[written.package].files[written.file].overwrittenBy = preview.archive;
        }
        if (file.kind != Kind::Same)
            bytes += change.size;
        preview.files.push_back(std::move(file));
    }
    const quint64 free = planned.freeAt(root);
    const quint64 margin = freeSpaceMargin(root);
    if (bytes > 0 && (free < margin || bytes > free - margin)) {
        preview.problem = root + EngineText::tr(": not enough free space: %1 bytes needed, %2 free "
                                                "(%3 of them kept free)")
                                     .arg(bytes)
                                     .arg(free)
                                     .arg(margin);
        preview.error = ItemError::ErrorCopy;
        return false;
    }
    planned.use(root, bytes);
    return true;
}

} // namespace

std::vector<PackagePreview> previewInstall(const InstallJob& job, Executor& executor) {
    std::vector<PackagePreview> previews;
    std::vector<Comparison> comparisons = compareAll(job, executor);
    PlannedLibrary planned;
    for (std::size_t i = 0; i < job.items.size(); ++i) {
        Comparison& comparison = comparisons[i];
        PackagePreview preview;
        preview.archive = job.items[i].fileName();
        preview.problem = std::move(comparison.problem);
        preview.error = comparison.error;
        preview.warnings = comparison.warnings;
        preview.unchanged = comparison.unchanged;
        preview.nestedError = comparison.nestedError;
        const std::size_t index = previews.size();
        QStringList paths;
        if (preview.problem.isEmpty() && !meetEarlierArchives(preview, comparison, previews, index,
                                                              planned, job.destDir, &paths))
            preview.files.clear(); // nothing of it would be written
        for (std::size_t f = 0; preview.problem.isEmpty() && f < preview.files.size(); ++f) {
            const LibraryTransaction::Change& change = comparison.changes[f];
            const bool first =
                !planned.find(comparison.root + QLatin1Char('/') + paths[qsizetype(f)]);
            if (preview.files[f].kind != Kind::Same || first)
                planned.add(comparison.root, paths[qsizetype(f)],
                            {index, f, change.size, change.crc, change.crcKnown});
        }
        previews.push_back(std::move(preview));
    }
    return previews;
}

} // namespace packshelf
