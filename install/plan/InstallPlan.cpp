#include "install/plan/InstallPlan.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <optional>
#include <tuple>
#include <utility>

#include "analysis/NameRules.h"
#include "core/EngineText.h"
#include "core/NameLimits.h"

namespace packshelf {

namespace {

// True when the entry at `a` comes after the one at `b` in the archive:
// the one an expansion would have written last.
bool isLaterInArchive(const EntrySource& a, const EntrySource& b) {
    return std::tie(a.nesting, a.entry) > std::tie(b.nesting, b.entry);
}

// Why a plan cannot be carried out, and the path it concerns: in the
// archive, or the destination's own.
struct Refusal {
    QString path;
    QString problem;
    bool inArchive = true;
};

class Planner {
public:
    Planner(ArchiveView& view, InstallPlan& plan)
        : m_view(view)
        , m_plan(plan) {}

    std::optional<Refusal> refusal() const {
        return m_refused ? std::optional<Refusal>(m_refusal) : std::nullopt;
    }

    // Every entry of the folder at `source`, junk names and the folders the
    // plan leaves out aside, under the root.
    void addEntriesOf(const CopyPlan& copy, const QString& source) {
        const ViewNode* folder = locate(source);
        if (!folder)
            return;
        if (!folder->folder)
            return refuse(source, EngineText::tr("not a folder"));
        for (const QString& name : folder->names()) {
            const ViewNode& entry = *folder->children.value(name);
            if (!isJunkEntry(name) && !(entry.folder && copy.leavesOut(source, name)))
                addNode(entry, name);
        }
    }

    // The file or folder at `source`, whole, at the same path under the root.
    void addWhole(const QString& source) {
        const ViewNode* node = locate(source);
        if (!node)
            return;
        const QStringList parts = source.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (parts.isEmpty()) { // the whole archive
            for (const QString& name : node->names())
                addNode(*node->children.value(name), name);
            return;
        }
        for (qsizetype i = 0; i + 1 < parts.size(); ++i)
            addFolder(parts.mid(0, i + 1).join(QLatin1Char('/')));
        addNode(*node, parts.join(QLatin1Char('/')));
    }

    // Keeps the first reason the plan cannot be carried out.
    void refuse(const QString& path, const QString& problem) {
        refuseOnce(Refusal{path, problem, true});
    }
    void refuseDestination(const QString& path, const QString& problem) {
        refuseOnce(Refusal{path, problem, false});
    }

private:
    void refuseOnce(Refusal refusal) {
        if (m_refused)
            return;
        m_refusal = std::move(refusal);
        m_refused = true;
    }
    const ViewNode* locate(const QString& source) {
        const Result<const ViewNode*> node = m_view.locate(source);
        if (!node) {
            refuse(source, node.reason());
            return nullptr;
        }
        return *node;
    }

    // The node and everything below it, folders before what they hold,
    // names in listing order; walked with a stack of its own, so that no
    // depth of folders can exhaust the thread's.
    void addNode(const ViewNode& top, const QString& topTarget) {
        std::vector<std::pair<const ViewNode*, QString>> pending{{&top, topTarget}};
        while (!pending.empty() && !m_refused) {
            auto [node, target] = std::move(pending.back());
            pending.pop_back();
            if (node->clash)
                return refuse(target, EngineText::tr("both a file and a folder in the archive"));
            if (!node->folder) {
                addFile(*node, target);
                continue;
            }
            addFolder(target);
            const QStringList names = node->names();
            for (auto name = names.crbegin(); name != names.crend(); ++name)
                pending.emplace_back(node->children.value(*name),
                                     target + QLatin1Char('/') + *name);
        }
    }

    // The library matches paths without regard to letter case, so two
    // names of the archive that differ only in it meet at one library
    // path: the first spelling names it, and of two files the later one in
    // archive order is written.
    QString spelled(const QString& target) const {
        QString result;
        for (const QString& part : target.split(QLatin1Char('/'))) {
            const QString path = result.isEmpty() ? part : result + QLatin1Char('/') + part;
            result = m_spelling.value(path.toCaseFolded(), path);
        }
        return result;
    }

    void addFolder(const QString& named) {
        const QString target = spelled(named);
        const QString key = target.toCaseFolded();
        if (!checkTarget(target) || m_folders.contains(key))
            return;
        if (m_files.contains(key))
            return refuse(target, EngineText::tr("both a file and a folder in the install"));
        m_folders.insert(key);
        m_spelling.insert(key, target);
        m_plan.folders.append(target);
    }

    void addFile(const ViewNode& node, const QString& named) {
        const QString target = spelled(named);
        const QString key = target.toCaseFolded();
        if (!checkTarget(target))
            return;
        if (m_folders.contains(key))
            return refuse(target, EngineText::tr("both a file and a folder in the install"));
        PlannedFile file{target, node.source, node.entry, named};
        // Of two copies of one path, the later in the archive is written.
        if (const auto found = m_files.constFind(key); found != m_files.constEnd()) {
            PlannedFile& earlier = m_plan.files[*found];
            const bool laterInArchive = isLaterInArchive(file.source, earlier.source);
            const PlannedFile& first = laterInArchive ? earlier : file;
            const PlannedFile& later = laterInArchive ? file : earlier;
            if (earlier.named != named)
                m_plan.warnings.add(EngineText::tr("%1 and %2 meet at one library path: %2, "
                                                   "the later in the archive, is installed")
                                        .arg(first.named, later.named));
            if (laterInArchive) {
                file.target = earlier.target; // the path keeps its first spelling
                earlier = std::move(file);
            }
            return;
        }
        m_files.insert(key, m_plan.files.size());
        m_spelling.insert(key, target);
        m_plan.files.push_back(std::move(file));
    }

    bool checkTarget(const QString& target) {
        const QStringList parts = target.split(QLatin1Char('/'));
        if (parts.first().compare(QLatin1String(LibraryRecordsFolder), Qt::CaseInsensitive) == 0) {
            refuse(target, EngineText::tr("a name PackShelf keeps for its records"));
            return false;
        }
        for (const QString& part : parts) {
            if (part.startsWith(QLatin1String(StagingPrefix))) {
                refuse(target, EngineText::tr("a name PackShelf keeps for files being written"));
                return false;
            }
        }
        if (const Status fits = checkNameLengths(joinPath(m_plan.root, target)); !fits) {
            refuse(target, fits.reason());
            return false;
        }
        return true;
    }

    ArchiveView& m_view;
    InstallPlan& m_plan;
    QSet<QString> m_folders;             // case-folded
    QHash<QString, std::size_t> m_files; // case-folded
    QHash<QString, QString> m_spelling;  // case-folded path: as planned
    // The first refusal; a plain member beside its flag, where an optional
    // of strings trips GCC's uninitialised-use warning in sanitizer builds.
    Refusal m_refusal;
    bool m_refused = false;
};

} // namespace

quint64 InstallPlan::bytes() const {
    quint64 total = 0;
    for (const PlannedFile& file : files)
        total += file.entry->uncompressedSize;
    return total;
}

namespace {

// Works out the plan; a refusal stops it.
std::pair<InstallPlan, std::optional<Refusal>> makePlan(const CopyPlan& copy, ArchiveView& view,
                                                        const QString& destDir) {
    InstallPlan plan;
    Planner planner(view, plan);
    if (copy.isIncompleteDirect()) {
        if (copy.directDestination)
            planner.refuseDestination(*copy.directDestination,
                                      EngineText::tr("no part of the archive is chosen for it"));
        else
            planner.refuse(QString(), EngineText::tr("no direct destination is set"));
        return {std::move(plan), planner.refusal()};
    }
    plan.root = copy.directDestination.value_or(destDir);
    if (!QDir::isAbsolutePath(plan.root)) {
        planner.refuseDestination(plan.root,
                                  EngineText::tr("the destination is not an absolute path"));
        return {std::move(plan), planner.refusal()};
    }
    for (const QString& shared : view.sharedNames())
        plan.warnings.add(
            EngineText::tr("two entries are named %1: the later in the archive is installed")
                .arg(shared));
    if (copy.primarySource)
        planner.addEntriesOf(copy, *copy.primarySource);
    if (copy.dataSource)
        planner.addEntriesOf(copy, *copy.dataSource);
    if (copy.directSource)
        planner.addWhole(*copy.directSource);
    return {std::move(plan), planner.refusal()};
}

} // namespace

Result<InstallPlan> planInstall(const CopyPlan& copy, ArchiveView& view, const QString& destDir,
                                const QString& archiveName) {
    auto [plan, refusal] = makePlan(copy, view, destDir);
    if (!refusal)
        return std::move(plan);
    const QString where = refusal->inArchive ? joinPath(archiveName, refusal->path) : refusal->path;
    return fail(QStringLiteral("%1: %2").arg(where, refusal->problem));
}

InstallPlan planInstall(const CopyPlan& copy, ArchiveView& view, const QString& destDir) {
    auto [plan, refusal] = makePlan(copy, view, destDir);
    if (refusal) {
        plan.problemPath = refusal->path;
        plan.problem = refusal->problem;
    }
    return std::move(plan);
}

} // namespace packshelf
