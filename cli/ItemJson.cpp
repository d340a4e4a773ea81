#include "cli/ItemJson.h"

#include <QJsonDocument>

namespace packshelf::cli {

namespace {
QJsonObject nodeToJson(const ContentNode& node) {
    QJsonObject object;
    object.insert(QStringLiteral("TYPE"), node.type);
    if (node.isFolder()) {
        object.insert(QStringLiteral("DIRNAME"), node.name);
        if (node.content)
            object.insert(QStringLiteral("CONTENT"), treeToJson(*node.content));
    } else {
        object.insert(QStringLiteral("CONTENT"), node.name);
    }
    for (const QString& mark : node.marks)
        object.insert(mark, 1);
    return object;
}
} // namespace

QJsonArray treeToJson(const ContentTree& tree) {
    QJsonArray array;
    for (const ContentNode& node : tree)
        array.append(nodeToJson(node));
    return array;
}

QJsonObject itemToJson(const ArchiveItem& item, bool withTree) {
    QJsonObject object;
    for (const QString& name : item.keys()) {
        const ArchiveItem::Value* value = item.value(name);
        if (const auto* number = std::get_if<qint64>(value)) {
            object.insert(name, QJsonValue(*number));
        } else if (const auto* text = std::get_if<QString>(value)) {
            object.insert(name, *text);
        } else if (const auto* tree = std::get_if<ContentTreePtr>(value)) {
            if (withTree && *tree)
                object.insert(name, treeToJson(**tree));
        }
    }
    return object;
}

QByteArray jsonLine(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace packshelf::cli
