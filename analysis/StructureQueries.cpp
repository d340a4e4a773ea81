#include "analysis/StructureQueries.h"

#include <algorithm>

#include "analysis/NameRules.h"

namespace packshelf {

namespace {
bool matches(const ContentNode& node, const QString& name) {
    return node.isFolder() && node.name.toUpper() == name;
}
} // namespace

QString markKey(const QString& name) {
    return QStringLiteral("IS_%1").arg(name);
}

StructureCount structureCounting(const ContentTree* structure) {
    StructureCount count;
    if (!structure)
        return count;
    for (const ContentNode& node : *structure) {
        if (node.isFile()) {
            ++count.files;
        } else if (node.isFolder()) {
            const StructureCount inner = structureCounting(node.children());
            count.folders += 1 + inner.folders;
            count.files += inner.files;
        }
    }
    return count;
}

bool locateFolderOnlevel1(const QString& name, ContentTree* structure) {
    if (!structure)
        return false;
    const QString mark = markKey(name);
    for (ContentNode& node : *structure) {
        if (matches(node, name) && !node.hasMark(mark)) {
            node.setMark(mark);
            return true;
        }
    }
    return false;
}

namespace {
bool locateDeep(const QString& name, const QString& mark, ContentTree* structure) {
    if (!structure)
        return false;
    for (ContentNode& node : *structure) {
        if (!node.isFolder())
            continue;
        if (matches(node, name) && !node.hasMark(mark)) {
            node.setMark(mark);
            return true;
        }
        if (locateDeep(name, mark, node.children()))
            return true;
    }
    return false;
}
} // namespace

bool locateFolderOnlevelDeep(const QString& name, ContentTree* structure) {
    return locateDeep(name, markKey(name), structure);
}

std::optional<QString> locatePath(const QString& name, const ContentTree* structure,
                                  const QString& currentpath) {
    if (!structure)
        return std::nullopt;
    for (const ContentNode& node : *structure) {
        if (!node.isFolder())
            continue;
        if (matches(node, name))
            return currentpath;
        if (auto found = locatePath(name, node.children(), joinPath(currentpath, node.name)))
            return found;
    }
    return std::nullopt;
}

bool pathsInSameParent(const std::optional<QString>& path, const std::optional<QString>& other) {
    if (!path)
        return true;
    return other && *path == *other;
}

const ContentTree* entriesAt(const ContentTree* tree, const QString& path) {
    const ContentTree* level = tree;
    for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!level)
            return nullptr;
        const auto node = std::find_if(level->begin(), level->end(), [&](const ContentNode& each) {
            return each.isFolder() && each.name == name;
        });
        if (node == level->end())
            return nullptr;
        level = node->children();
    }
    return level;
}

} // namespace packshelf
