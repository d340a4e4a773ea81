#include "ui/ItemDescription.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <tuple>
#include <utility>

#include "analysis/NameRules.h"
#include "analysis/StructureQueries.h"
#include "install/plan/CopyPlan.h"

namespace packshelf {

namespace {

// The texts' translation context.
class ItemDescription {
    Q_DECLARE_TR_FUNCTIONS(ItemDescription)
};

QString textOf(const ArchiveItem& item, const QString& name) {
    return item.text(name).value_or(QString());
}

// A path the info box names but the record does not hold yet (the folders
// of an archive with duplicates, the source of a destination chosen without
// a selection in the browser).
QString shownPath(const ArchiveItem& item, const QString& name) {
    return item.text(name).value_or(QCoreApplication::translate("AppStrings", "(not chosen)"));
}

quint64 totalSize(const ContentTreePtr& tree) {
    quint64 size = 0;
    if (tree) {
        for (const ContentNode& node : *tree)
            size += node.size;
    }
    return size;
}

// More entries than this are counted rather than named.
constexpr qsizetype NamedEntriesMax = 6;

// "a, b or c"; "a" alone.
QString alternatives(const QStringList& parts) {
    if (parts.size() < 2)
        return parts.value(0);
    return ItemDescription::tr("%1 or %2", "the last of several alternatives")
        .arg(parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")), parts.last());
}

// "a, b and c", naming at most NamedEntriesMax and counting the rest.
QString enumeration(const QStringList& parts) {
    if (parts.size() > NamedEntriesMax) {
        const int more = int(parts.size() - NamedEntriesMax);
        return ItemDescription::tr("%1 and %Ln more", nullptr, more)
            .arg(parts.mid(0, NamedEntriesMax).join(QStringLiteral(", ")));
    }
    if (parts.size() < 2)
        return parts.value(0);
    return ItemDescription::tr("%1 and %2", "the last of several entries")
        .arg(parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")), parts.last());
}

// A folder of the tree as the browser shows its way from the top.
struct Located {
    const ContentNode* node = nullptr;
    QString treePath;                    // the folder that holds it, by "DIRNAME"s
    QString shownPath;                   // the node itself, by the names the browser shows
    const ContentNode* holder = nullptr; // null at the top level
    QString holderShown;
    QStringList archivesAbove; // the nested archives it lies in, by their tree paths
};

// Every folder of the tree, in pre-order, with where it lies.
void eachFolder(const ContentTree& level, const Located& at, std::vector<Located>* found) {
    for (const ContentNode& node : level) {
        if (!node.isFolder())
            continue;
        Located here{&node,     at.treePath,  joinPath(at.shownPath, shownName(node)),
                     at.holder, at.shownPath, at.archivesAbove};
        found->push_back(here);
        if (!node.children())
            continue;
        Located below{nullptr,        joinPath(at.treePath, node.name),
                      here.shownPath, &node,
                      here.shownPath, at.archivesAbove};
        if (node.isNestedArchive())
            below.archivesAbove << below.treePath;
        eachFolder(*node.children(), below, found);
    }
}

std::vector<Located> foldersOf(const ContentTree& tree) {
    std::vector<Located> found;
    eachFolder(tree, Located{}, &found);
    return found;
}

// What choosing a candidate would install: the folder that holds it.
QString holderInWords(const ArchiveItem& item, const ContentTree& tree, const Located& candidate) {
    const ContentTree* entries = candidate.holder ? candidate.holder->children() : &tree;
    const qint64 files = structureCounting(entries).files;
    const QString name = candidate.holder ? candidate.holderShown : textOf(item, key::FileName);
    quint64 size = candidate.holder ? candidate.holder->size : 0;
    if (!candidate.holder) {
        for (const ContentNode& node : tree)
            size += node.size;
    }
    return ItemDescription::tr("%1 (%Ln file(s), %2)", nullptr, int(files))
        .arg(name, readableSize(size));
}

// For an archive with several folders of one kind: which ones to choose
// from, and what each choice would install. Only the kind found more than
// once is left to the user.
QStringList candidateLines(const ArchiveItem& item, const ContentTree& tree) {
    QStringList lines;
    const std::vector<Located> folders = foldersOf(tree);
    QStringList holders;
    for (const auto& [kind, hasKey, pathKey] :
         {std::tuple{folder::Runtime, key::HasRuntime, key::RuntimePath},
          std::tuple{folder::Data, key::HasData, key::DataPath}}) {
        if (!item.flag(hasKey) || item.text(pathKey))
            continue;
        QStringList candidates;
        for (const Located& each : folders) {
            if (each.node->name.toUpper() != kind)
                continue;
            candidates << each.shownPath;
            const QString holder = holderInWords(item, tree, each);
            if (!holders.contains(holder))
                holders << holder;
        }
        lines << (kind == folder::Runtime ? ItemDescription::tr("Choose the Runtime folder: %1")
                                          : ItemDescription::tr("Choose the Data folder: %1"))
                     .arg(alternatives(candidates));
    }
    if (!holders.isEmpty())
        lines << ItemDescription::tr("A choice installs the folder that holds it: %1")
                     .arg(alternatives(holders));
    return lines;
}

// The nested archives among what the install copies. It writes each as
// the archive file it is, and unpacks some of them into folders of their
// names; what lies in a nested archive that is not unpacked is not written
// at all. Which is the engine's rule, nestedArchiveInstall().
QStringList nestedArchiveLines(const ArchiveItem& item, const ContentTree& tree) {
    const CopyPlan plan = copyPlanFor(item);
    QStringList packed, unpacked;
    for (const Located& each : foldersOf(tree)) {
        if (!each.node->isNestedArchive())
            continue;
        switch (nestedArchiveInstall(plan, each.treePath, joinPath(each.treePath, each.node->name),
                                     each.archivesAbove)) {
        case NestedInstall::AsFile:
            packed << each.shownPath;
            break;
        case NestedInstall::AsFileAndFolder:
            unpacked << each.shownPath;
            break;
        case NestedInstall::NotWritten:
            break;
        }
    }
    QStringList lines;
    if (!packed.isEmpty())
        lines << ItemDescription::tr("Installed as archive files, not unpacked: %1")
                     .arg(enumeration(packed));
    if (!unpacked.isEmpty())
        lines << ItemDescription::tr(
                     "Installed as archive files and unpacked into folders of their names: %1")
                     .arg(enumeration(unpacked));
    return lines;
}

// What Force Folder takes: every entry beside the forced folder.
QStringList forcedLines(const ArchiveItem& item, const ContentTree& tree) {
    if (!item.flag(key::HasForced) || item.flag(key::HasRuntime) || item.flag(key::HasData))
        return {};
    const ContentTree* entries = entriesAt(&tree, textOf(item, key::ForcedPath));
    if (!entries || entries->empty())
        return {};
    return {forcedTakes(*entries)};
}

} // namespace

QString shownName(const ContentNode& node) {
    return node.isNestedArchive() ? node.name + QStringLiteral(".zip") : node.name;
}

QString forcedTakes(const ContentTree& entries) {
    QStringList names;
    for (const ContentNode& node : entries)
        names << (node.isFolder() && !node.isNestedArchive() ? node.name + QLatin1Char('/')
                                                             : shownName(node));
    return ItemDescription::tr("Installs as they are: %1").arg(enumeration(names));
}

QString installSentence(const ArchiveItem& item) {
    const QString file = textOf(item, key::FileName);
    const bool runtime = item.flag(key::HasRuntime);
    const bool data = item.flag(key::HasData);
    const QString fromOne = ItemDescription::tr("Will install from: %1/%2");
    if (runtime && data) {
        if (pathsInSameParent(item.text(key::RuntimePath), item.text(key::DataPath)))
            return fromOne.arg(file, shownPath(item, key::RuntimePath));
        return ItemDescription::tr("Will install from: %1/%2\nand from: %3/%4")
            .arg(file, shownPath(item, key::RuntimePath), file, shownPath(item, key::DataPath));
    }
    if (runtime)
        return fromOne.arg(file, shownPath(item, key::RuntimePath));
    if (data)
        return fromOne.arg(file, shownPath(item, key::DataPath));
    if (item.flag(key::HasForced))
        return fromOne.arg(file, shownPath(item, key::ForcedPath));
    if (item.flag(key::HasDirect))
        return ItemDescription::tr("Will install %1 into: %2")
            .arg(shownPath(item, key::DirectPathSrc), shownPath(item, key::DirectPath));
    return QCoreApplication::translate("AppStrings", "NO_PATHS_SET");
}

QString verdictText(const QString& verdict) {
    static const std::pair<QString, const char*> words[] = {
        {verdict::Ok, QT_TRANSLATE_NOOP("ItemDescription", "OK")},
        {verdict::ManuallySet, QT_TRANSLATE_NOOP("ItemDescription", "Manually set")},
        {verdict::Duplicates, QT_TRANSLATE_NOOP("ItemDescription", "Duplicates")},
        {verdict::UnzipError, QT_TRANSLATE_NOOP("ItemDescription", "Unzip error")},
        {verdict::NoRuntime, QT_TRANSLATE_NOOP("ItemDescription", "No Runtime")},
        {verdict::NoRuntimeOrData, QT_TRANSLATE_NOOP("ItemDescription", "No Runtime or data")},
        {verdict::InstallFailed, QT_TRANSLATE_NOOP("ItemDescription", "Failed!")},
        {verdict::NeedsPassword, QT_TRANSLATE_NOOP("ItemDescription", "Needs a password")}};
    for (const auto& [english, source] : words) {
        if (verdict == english)
            return ItemDescription::tr(source);
    }
    return verdict;
}

QString verdictInWords(const ArchiveItem& item) {
    const QString verdict = textOf(item, key::Info);
    if (!verdict.isEmpty())
        return verdictText(verdict);
    return item.state() == ItemState::New ? ItemDescription::tr("Not analysed yet") : QString();
}

QString verdictWithReason(const ArchiveItem& item) {
    const QString verdict = verdictInWords(item);
    const QString reason = textOf(item, key::Reason);
    if (item.state() != ItemState::Failed || reason.isEmpty())
        return verdict;
    return ItemDescription::tr("%1: %2").arg(verdict, reason);
}

QString whyNotReady(const ArchiveItem& item) {
    const QString reason = textOf(item, key::Reason);
    switch (item.verdict()) {
    case Verdict::None:
        return item.state() == ItemState::New ? ItemDescription::tr("not analysed yet")
                                              : ItemDescription::tr("being analysed");
    case Verdict::Duplicates:
        return ItemDescription::tr("several Runtime folders: choose the folders first");
    case Verdict::NoRuntime:
        return ItemDescription::tr("no Runtime folder");
    case Verdict::NoRuntimeOrData:
        return ItemDescription::tr("no Runtime or Data folder");
    case Verdict::UnzipError:
        return reason.isEmpty() ? ItemDescription::tr("damaged")
                                : ItemDescription::tr("damaged: %1").arg(reason);
    case Verdict::Ok:
    case Verdict::ManuallySet:
    case Verdict::InstallFailed:
    case Verdict::Unknown:
        break;
    }
    return verdictWithReason(item);
}

QString itemDetails(const ArchiveItem& item) {
    QStringList lines;
    if (const ContentTreePtr tree = item.tree(key::Zip)) {
        // The files of several versions are not one package: a choice
        // between them says what each would install instead.
        const QStringList candidates =
            item.state() == ItemState::NeedsHelp ? candidateLines(item, *tree) : QStringList();
        if (candidates.isEmpty()) {
            const int files = int(item.integer(key::Files));
            lines << ItemDescription::tr("%Ln file(s), %1", nullptr, files)
                         .arg(readableSize(totalSize(tree)));
        }
        lines << candidates << forcedLines(item, *tree) << nestedArchiveLines(item, *tree);
    }
    const QString reason = textOf(item, key::Reason);
    if (item.state() == ItemState::Failed && !reason.isEmpty())
        lines << ItemDescription::tr("Why: %1").arg(reason);
    const QString warnings = textOf(item, key::Warning);
    for (const QString& warning : warnings.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines << ItemDescription::tr("Note: %1").arg(warning);
    return lines.join(QLatin1Char('\n'));
}

// The locale's long date without the weekday and with short month names:
// "8. Dez. 2026", "Dec 8, 2026", "8 déc. 2026".
QString mediumDateFormat(const QLocale& locale) {
    static const QRegularExpression weekday(QStringLiteral("^dddd[,\\s]*|[,\\s]*dddd$|dddd"));
    QString format = locale.dateFormat(QLocale::LongFormat).remove(weekday);
    return format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
}

QString installedWhen(const QString& iso) {
    const QDateTime when = QDateTime::fromString(iso, Qt::ISODate).toLocalTime();
    if (!when.isValid())
        return iso;
    const QLocale locale;
    return ItemDescription::tr("%1, %2", "a date, then a time of day")
        .arg(locale.toString(when.date(), mediumDateFormat(locale)),
             locale.toString(when.time(), QLocale::ShortFormat));
}

QString installedNote(const QString& iso) {
    return ItemDescription::tr("Installed in the library on %1.").arg(installedWhen(iso));
}

// Below a kilobyte the count takes the language's plural ("1 byte",
// "2 bytes"), which the locale's own unit does not.
QString readableSize(quint64 bytes) {
    constexpr quint64 KiloByte = 1024;
    if (bytes < KiloByte)
        return ItemDescription::tr("%Ln byte(s)", nullptr, int(bytes));
    return QLocale().formattedDataSize(qint64(bytes), 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace packshelf
