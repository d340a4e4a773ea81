#include "cli/ItemJson.h"

#include <QJsonDocument>
#include <cstdio>

#include "cli/FolderArguments.h"

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

namespace {
// The value with every text in it as shownText() shows it.
QJsonValue shownValue(const QJsonValue& value) {
    if (value.isString())
        return shownText(value.toString());
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue& element : value.toArray())
            array.append(shownValue(element));
        return array;
    }
    if (value.isObject()) {
        QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            it.value() = shownValue(it.value());
        return object;
    }
    return value;
}
} // namespace

QByteArray jsonLine(const QJsonObject& object) {
    const QJsonObject shown = textsNeedShowing() ? shownValue(object).toObject() : object;
    return QJsonDocument(shown).toJson(QJsonDocument::Compact) + '\n';
}

void printLine(const QJsonObject& object, bool flush) {
    const QByteArray line = jsonLine(object);
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    if (flush)
        std::fflush(stdout);
}

namespace {
void appendJsonString(QByteArray& out, const QString& text) {
    out += '"';
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += "\\u" + QByteArray::number(int(c), 16).rightJustified(4, '0');
            else
                out += c;
        }
    }
    out += '"';
}
} // namespace

QByteArray jsonLine(const QList<std::pair<const char*, QString>>& fields) {
    QByteArray line = "{";
    for (const auto& [key, value] : fields) {
        if (line.size() > 1)
            line += ',';
        line += '"';
        line += key;
        line += "\":";
        appendJsonString(line, shownText(value));
    }
    return line + "}\n";
}

} // namespace packshelf::cli
