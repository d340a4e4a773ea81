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
                addNode(entry, Target().child(name, *this));
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
                addNode(*node->children.value(name), Target().child(name, *this));
            return;
        }
        Target parent;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            parent = parent.child(parts[i], *this);
            addFolder(parent);
        }
        addNode(*node, parent.child(parts.last(), *this));
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

    // A path of the plan: as the archive names it, and as the library will
    // (see spelledChild).
    struct Target {
        QString named;
        QString spelled;

        Target child(const QString& name, const Planner& planner) const {
            Target made;
            made.named = named.isEmpty() ? name : named + QLatin1Char('/') + name;
            made.spelled = planner.spelledChild(spelled, name);
            return made;
        }
    };

    // The node and everything below it, folders before what they hold,
    // names in listing order; walked with a stack of its own, so that no
    // depth of folders can exhaust the thread's.
    void addNode(const ViewNode& top, Target topTarget) {
        // A child's spelling is worked out when it is taken, after every
        // name before it in the listing is planned.
        struct Pending {
            const ViewNode* node;
            Target parent; // the top's own target when `name` is empty
            QString name;
        };
        std::vector<Pending> pending;
        pending.push_back({&top, std::move(topTarget), QString()});
        while (!pending.empty() && !m_refused) {
            Pending taken = std::move(pending.back());
            pending.pop_back();
            const ViewNode* node = taken.node;
            const Target target = taken.name.isEmpty() ? std::move(taken.parent)
                                                       : taken.parent.child(taken.name, *this);
            if (node->clash)
                return refuse(target.named,
                              EngineText::tr("both a file and a folder in the archive"));
            if (!node->folder) {
                addFile(*node, target);
                continue;
            }
            addFolder(target);
            const QStringList names = node->names();
            for (auto name = names.crbegin(); name != names.crend(); ++name)
                pending.push_back({node->children.value(*name), target, *name});
        }
    }

    // The library matches paths without regard to letter case, so two
    // names of the archive that differ only in it meet at one library
    // path: the first spelling names it, and of two files the later one in
    // archive order is written. `parent` is spelled already, so each name
    // is looked up once, whatever the depth.
    QString spelledChild(const QString& parent, const QString& name) const {
        const QString path = parent.isEmpty() ? name : parent + QLatin1Char('/') + name;
        const QString key = path.toCaseFolded();
        if (const auto folder = m_folderSpelling.constFind(key);
            folder != m_folderSpelling.constEnd())
            return *folder;
        if (const auto file = m_files.constFind(key); file != m_files.constEnd())
            return m_plan.files[*file].target;
        return path;
    }

    void addFolder(const Target& target) {
        const QString key = target.spelled.toCaseFolded();
        if (!checkTarget(target.spelled) || m_folderSpelling.contains(key))
            return;
        if (m_files.contains(key))
            return refuse(target.spelled,
                          EngineText::tr("both a file and a folder in the install"));
        m_folderSpelling.insert(key, target.spelled);
        m_plan.folders.append(target.spelled);
    }

    void addFile(const ViewNode& node, const Target& named) {
        const QString key = named.spelled.toCaseFolded();
        if (!checkTarget(named.spelled))
            return;
        if (m_folderSpelling.contains(key))
            return refuse(named.spelled, EngineText::tr("both a file and a folder in the install"));
        PlannedFile file{named.spelled, node.source, node.entry, named.named};
        // Of two copies of one path, the later in the archive is written.
        if (const auto found = m_files.constFind(key); found != m_files.constEnd()) {
            PlannedFile& earlier = m_plan.files[*found];
            const bool laterInArchive = isLaterInArchive(file.source, earlier.source);
            const PlannedFile& first = laterInArchive ? earlier : file;
            const PlannedFile& later = laterInArchive ? file : earlier;
            if (earlier.named != named.named)
                m_caseMeetings.append({first.named, later.named});
            if (laterInArchive) {
                file.target = earlier.target; // the path keeps its first spelling
                earlier = std::move(file);
            }
            return;
        }
        m_files.insert(key, m_plan.files.size());
        m_plan.files.push_back(std::move(file));
    }

public:
    // Pairs of archive paths that differ only in letter case and so meet at
    // one library path, the earlier in the archive first.
    const QList<QPair<QString, QString>>& caseMeetings() const { return m_caseMeetings; }

private:
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
    QHash<QString, QString> m_folderSpelling; // case-folded path: as planned
    QHash<QString, std::size_t> m_files;      // case-folded path: index in the plan
    QList<QPair<QString, QString>> m_caseMeetings;
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

// The first few of `items` and how many more of `total` there are: an
// archive can repeat hundreds of thousands of names, and a warning names a
// few.
QString firstFew(const QStringList& items, qsizetype total) {
    constexpr qsizetype Named = 3;
    const QStringList named = items.mid(0, Named);
    if (total > named.size())
        return named.join(QStringLiteral(", ")) +
               EngineText::tr(" and %1 more").arg(total - named.size());
    if (named.size() == 1)
        return named.first();
    return named.mid(0, named.size() - 1).join(QStringLiteral(", ")) + EngineText::tr(" and ") +
           named.last();
}

// One line for every name two entries or more give, however many there are.
void warnAboutSharedNames(Warnings& warnings, const QStringList& shared) {
    if (shared.size() == 1)
        warnings.add(EngineText::tr("two entries are named %1: the later in the archive is "
                                    "installed")
                         .arg(shared.first()));
    else if (shared.size() > 1)
        warnings.add(EngineText::tr("%1 names are each given to two entries or more: the later "
                                    "in the archive is installed (%2)")
                         .arg(QString::number(shared.size()), firstFew(shared, shared.size())));
}

void warnAboutCaseMeetings(Warnings& warnings, const QList<QPair<QString, QString>>& meetings) {
    if (meetings.size() == 1) {
        const auto& [first, later] = meetings.first();
        warnings.add(EngineText::tr("%1 and %2 meet at one library path: %2, the later in the "
                                    "archive, is installed")
                         .arg(first, later));
        return;
    }
    if (meetings.size() < 2)
        return;
    QStringList pairs;
    for (qsizetype i = 0; i < std::min<qsizetype>(meetings.size(), 3); ++i)
        pairs.append(meetings[i].first + EngineText::tr(" and ") + meetings[i].second);
    warnings.add(EngineText::tr("%1 pairs of paths differ only in letter case and meet at one "
                                "library path each: the later in the archive is installed (%2)")
                     .arg(QString::number(meetings.size()), firstFew(pairs, meetings.size())));
}

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
    warnAboutSharedNames(plan.warnings, view.sharedNames());
    if (copy.primarySource)
        planner.addEntriesOf(copy, *copy.primarySource);
    if (copy.dataSource)
        planner.addEntriesOf(copy, *copy.dataSource);
    if (copy.directSource)
        planner.addWhole(*copy.directSource);
    warnAboutCaseMeetings(plan.warnings, planner.caseMeetings());
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
