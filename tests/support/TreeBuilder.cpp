#include "tests/support/TreeBuilder.h"

namespace packshelf::test {

namespace {
ContentNode* findFolder(ContentTree& tree, const QString& name) {
    for (ContentNode& node : tree) {
        if (node.isFolder() && node.name == name)
            return &node;
    }
    return nullptr;
}
} // namespace

ContentTree treeFromPaths(const QStringList& paths) {
    ContentTree root;
    for (const QString& path : paths) {
        QStringList parts = path.split('/');
        const bool isFolder = path.endsWith('/') || path.endsWith("/-");
        const bool noContent = path.endsWith("/-");
        if (isFolder)
            parts.removeLast();
        ContentTree* level = &root;
        for (int i = 0; i < parts.size(); ++i) {
            const bool last = i == parts.size() - 1;
            if (last && !isFolder) {
                level->push_back(ContentNode::makeFile(parts[i]));
                break;
            }
            ContentNode* folder = findFolder(*level, parts[i]);
            if (!folder) {
                level->push_back(ContentNode::makeFolder(
                    parts[i],
                    last && noContent ? std::nullopt : std::optional<ContentTree>(ContentTree())));
                folder = &level->back();
            }
            level = folder->children();
            if (!level)
                break;
        }
    }
    return root;
}

} // namespace packshelf::test
