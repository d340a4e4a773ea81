#include "ui/ChoiceMemory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>

namespace packshelf {

namespace {

const QString Key = QStringLiteral("CHOICES");
const QString Size = QStringLiteral("size");
const QString Modified = QStringLiteral("modifiedNs");
const QString Made = QStringLiteral("choices");
const QString Kind = QStringLiteral("kind");
const QString Holder = QStringLiteral("holder");
const QString Direct = QStringLiteral("direct");
const QString DirectSource = QStringLiteral("directSource");

QString kindName(FolderChoice choice) {
    switch (choice) {
    case FolderChoice::Runtime:
        return QStringLiteral("runtime");
    case FolderChoice::Data:
        return QStringLiteral("data");
    case FolderChoice::Forced:
        break;
    }
    return QStringLiteral("forced");
}

std::optional<FolderChoice> kindOf(const QString& name) {
    if (name == QLatin1String("runtime"))
        return FolderChoice::Runtime;
    if (name == QLatin1String("data"))
        return FolderChoice::Data;
    if (name == QLatin1String("forced"))
        return FolderChoice::Forced;
    return std::nullopt;
}

bool sameVersion(const QJsonObject& entry, const FileStamp& stamp) {
    return stamp.exists() && entry.value(Size).toInteger(-2) == stamp.size &&
           entry.value(Modified).toInteger(-2) == stamp.modifiedNs;
}

// One remembered choice made again; a hand-edited one that names nothing
// known is passed over.
void replayOne(ArchiveItem& item, const QJsonObject& choice) {
    if (choice.value(Kind).toString() == Direct) {
        const QString path = choice.value(Direct).toString();
        if (path.isEmpty())
            return;
        const QJsonValue source = choice.value(DirectSource);
        recordDirectDestination(
            item, path, source.isString() ? std::optional(source.toString()) : std::nullopt);
        return;
    }
    const std::optional<FolderChoice> kind = kindOf(choice.value(Kind).toString());
    const QString holder = choice.value(Holder).toString();
    if (kind && checkFolderChoice(item, *kind, holder))
        recordFolderChoice(item, *kind, holder);
}

} // namespace

ChoiceMemory::ChoiceMemory(QSettings& settings)
    : m_settings(settings) {}

QJsonObject ChoiceMemory::load() const {
    return QJsonDocument::fromJson(m_settings.value(Key).toByteArray()).object();
}

void ChoiceMemory::save(const QJsonObject& all) {
    if (all.isEmpty())
        m_settings.remove(Key);
    else
        m_settings.setValue(Key, QJsonDocument(all).toJson(QJsonDocument::Compact));
}

void ChoiceMemory::remember(const QString& source, const QString& fileName, const FileStamp& stamp,
                            const QJsonObject& choice) {
    if (!stamp.exists())
        return;
    QJsonObject all = load();
    QJsonObject folder = all.value(source).toObject();
    QJsonObject entry = folder.value(fileName).toObject();
    QJsonArray made = sameVersion(entry, stamp) ? entry.value(Made).toArray() : QJsonArray();
    made.append(choice);
    entry = {{Size, stamp.size}, {Modified, stamp.modifiedNs}, {Made, made}};
    folder.insert(fileName, entry);
    all.insert(source, folder);
    save(all);
}

void ChoiceMemory::rememberFolder(const QString& source, const QString& fileName,
                                  const FileStamp& stamp, FolderChoice choice,
                                  const QString& holderPath) {
    remember(source, fileName, stamp, {{Kind, kindName(choice)}, {Holder, holderPath}});
}

void ChoiceMemory::rememberDestination(const QString& source, const QString& fileName,
                                       const FileStamp& stamp, const QString& directPath,
                                       const std::optional<QString>& directSource) {
    QJsonObject choice{{Kind, Direct}, {Direct, directPath}};
    if (directSource)
        choice.insert(DirectSource, *directSource);
    remember(source, fileName, stamp, choice);
}

void ChoiceMemory::forget(const QString& source, const QString& fileName) {
    QJsonObject all = load();
    QJsonObject folder = all.value(source).toObject();
    if (!folder.contains(fileName))
        return;
    folder.remove(fileName);
    if (folder.isEmpty())
        all.remove(source);
    else
        all.insert(source, folder);
    save(all);
}

bool ChoiceMemory::replay(const QString& source, ArchiveItem& item, const FileStamp& stamp) {
    const QJsonObject entry = load().value(source).toObject().value(item.fileName()).toObject();
    if (entry.isEmpty())
        return false;
    if (!sameVersion(entry, stamp)) {
        forget(source, item.fileName());
        return false;
    }
    for (const QJsonValue& choice : entry.value(Made).toArray())
        replayOne(item, choice.toObject());
    return true;
}

} // namespace packshelf
