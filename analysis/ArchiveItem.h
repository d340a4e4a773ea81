#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <variant>

#include "analysis/ContentTree.h"
#include "analysis/ItemKeys.h"
#include "analysis/ItemState.h"

namespace packshelf {

// The record of one archive: upper-case keys mapped to an integer, a text or
// the archive's content tree. A key is present or absent; readers rely on
// the difference (an empty path is a given path, an absent one is not).
//
// Records are values: a copy shares the (immutable) tree and nothing else,
// so a worker can fill in its own copy while the window shows the original.
// A copy of `text` that shares no storage with it, for handing to another
// thread.
inline QString isolatedString(const QString& text) {
    return QString(text.constData(), text.size());
}

class ArchiveItem {
public:
    using Value = std::variant<qint64, QString, ContentTreePtr>;

    // A fresh record for a listed archive: "FILENAME", "INFO" "" and "STATE"
    // 0. `nativeName` is the file name as the file system gave it; without
    // it the name is encoded from the text.
    static ArchiveItem create(const QString& fileName, const QByteArray& nativeName = {});

    bool contains(const QString& key) const { return m_values.count(key) != 0; }
    const Value* value(const QString& key) const;
    QStringList keys() const;

    // An absent key, or one that holds no integer, reads as 0.
    qint64 integer(const QString& key) const;
    // A flag is set only when it is present and equals 1.
    bool flag(const QString& key) const { return integer(key) == 1; }
    std::optional<QString> text(const QString& key) const;
    ContentTreePtr tree(const QString& key) const;

    void setInteger(const QString& key, qint64 value) { m_values[key] = value; }
    void setText(const QString& key, const QString& value) { m_values[key] = value; }
    void setTree(const QString& key, ContentTreePtr tree) { m_values[key] = std::move(tree); }
    void remove(const QString& key) { m_values.erase(key); }

    // A copy that shares no text storage with this record, for handing to
    // another thread (the tree, immutable, is still shared).
    ArchiveItem isolatedCopy() const;

    qint64 state() const { return integer(key::State); }
    // The verdict under "INFO"; an absent one reads as None.
    Verdict verdict() const;
    QString fileName() const { return text(key::FileName).value_or(QString()); }
    // The file name's bytes as the folder's listing gave them; empty when
    // the name is encoded from the text.
    const QByteArray& nativeName() const { return m_nativeName; }
    // The path of the archive in `folder`, in the file system's bytes.
    QByteArray nativePathIn(const QString& folder) const;

    friend bool operator==(const ArchiveItem&, const ArchiveItem&) = default;

private:
    std::map<QString, Value> m_values;
    QByteArray m_nativeName; // the file name's bytes, when they were listed
};

// Installed, but an archive nested in it could not be: the installer keeps
// the nested archive's failure ("Failed!" and its "ERROR") on a record that
// ends Installed. An "ERROR" alone says nothing here: a record keeps the
// code of an earlier failure when it later becomes ready.
bool lostNestedArchive(const ArchiveItem& item);

} // namespace packshelf
