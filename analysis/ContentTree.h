#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace packshelf {

struct ContentNode;

// The entries of one folder level of an expanded archive, in listing order.
using ContentTree = std::vector<ContentNode>;

// A tree handed on after classification: shared, and no longer changed.
using ContentTreePtr = std::shared_ptr<const ContentTree>;

// One entry of an expanded archive. A folder node ("TYPE" 2) stands for a
// real folder or for a nested archive expanded in place, named by its base
// name; a file node ("TYPE" 1) holds the file's name.
struct ContentNode {
    enum Type : int { File = 1, Folder = 2 };

    int type = 0;
    // A folder that stands for a nested archive ("Extras.zip" shown as
    // "Extras"), rather than a real folder.
    bool nestedArchive = false;
    // "CONTENT" of a file node, "DIRNAME" of a folder node.
    QString name;
    // "CONTENT" of a folder node; absent for a nested archive that could
    // not be opened or expanded.
    std::optional<ContentTree> content;
    // Marks set by the structure searches ("IS_RUNTIME", "IS_DATA").
    QStringList marks;
    // Bytes of a file's content; of everything below a folder.
    quint64 size = 0;

    static ContentNode makeFile(const QString& name, quint64 size = 0) {
        return {File, false, name, std::nullopt, {}, size};
    }
    static ContentNode makeFolder(const QString& dirName, std::optional<ContentTree> content) {
        quint64 size = 0;
        if (content) {
            for (const ContentNode& node : *content)
                size += node.size;
        }
        return {Folder, false, dirName, std::move(content), {}, size};
    }

    bool isFile() const { return type == File; }
    bool isFolder() const { return type == Folder; }
    bool isNestedArchive() const { return type == Folder && nestedArchive; }
    bool hasMark(const QString& key) const { return marks.contains(key); }
    void setMark(const QString& key) {
        if (!hasMark(key))
            marks.append(key);
    }
    // The folder's entries, or null when it has none recorded.
    const ContentTree* children() const { return content ? &*content : nullptr; }
    ContentTree* children() { return content ? &*content : nullptr; }
};

} // namespace packshelf
