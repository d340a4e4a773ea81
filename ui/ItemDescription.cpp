#include "ui/ItemDescription.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <utility>

#include "analysis/StructureQueries.h"

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

} // namespace

QString installSentence(const ArchiveItem& item) {
    const QString file = textOf(item, key::FileName);
    const bool runtime = item.flag(key::HasRuntime);
    const bool data = item.flag(key::HasData);
    const QString fromOne = ItemDescription::tr("Will install from:%1/%2");
    if (runtime && data) {
        if (pathsInSameParent(item.text(key::RuntimePath), item.text(key::DataPath)))
            return fromOne.arg(file, shownPath(item, key::RuntimePath));
        return ItemDescription::tr("Will install from:%1/%2\nand from:%3/%4")
            .arg(file, shownPath(item, key::RuntimePath), file, shownPath(item, key::DataPath));
    }
    if (runtime)
        return fromOne.arg(file, shownPath(item, key::RuntimePath));
    if (data)
        return fromOne.arg(file, shownPath(item, key::DataPath));
    if (item.flag(key::HasForced))
        return fromOne.arg(file, shownPath(item, key::ForcedPath));
    if (item.flag(key::HasDirect))
        return ItemDescription::tr("Will install %1 into:%2")
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
        {verdict::InstallFailed, QT_TRANSLATE_NOOP("ItemDescription", "Failed!")}};
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
    const QString verdict = textOf(item, key::Info);
    const QString reason = textOf(item, key::Reason);
    if (verdict == verdict::Duplicates)
        return ItemDescription::tr("several Runtime folders: choose the folders first");
    if (verdict == verdict::NoRuntime)
        return ItemDescription::tr("no Runtime folder");
    if (verdict == verdict::NoRuntimeOrData)
        return ItemDescription::tr("no Runtime or Data folder");
    if (verdict == verdict::UnzipError)
        return reason.isEmpty() ? ItemDescription::tr("damaged")
                                : ItemDescription::tr("damaged: %1").arg(reason);
    if (verdict.isEmpty())
        return item.state() == ItemState::New ? ItemDescription::tr("not analysed yet")
                                              : ItemDescription::tr("being analysed");
    return verdictWithReason(item);
}

QString itemDetails(const ArchiveItem& item) {
    QStringList lines;
    if (const ContentTreePtr tree = item.tree(key::Zip)) {
        const int files = int(item.integer(key::Files));
        lines << ItemDescription::tr("%Ln file(s), %1", nullptr, files)
                     .arg(readableSize(totalSize(tree)));
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

QString readableSize(quint64 bytes) {
    return QLocale().formattedDataSize(qint64(bytes), 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace packshelf
