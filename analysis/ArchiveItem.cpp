#include "analysis/ArchiveItem.h"

#include <QFile>
#include <utility>

namespace packshelf {

ArchiveItem ArchiveItem::create(const QString& fileName, const QByteArray& nativeName) {
    ArchiveItem item;
    item.m_nativeName = nativeName;
    item.setText(key::FileName, fileName);
    item.setText(key::Info, QString());
    item.setInteger(key::State, ItemState::New);
    return item;
}

ArchiveItem ArchiveItem::isolatedCopy() const {
    ArchiveItem copy;
    copy.m_nativeName = QByteArray(m_nativeName.constData(), m_nativeName.size());
    for (const auto& [name, value] : m_values) {
        const QString ownName = isolatedString(name);
        if (const auto* text = std::get_if<QString>(&value))
            copy.m_values[ownName] = isolatedString(*text);
        else
            copy.m_values[ownName] = value;
    }
    return copy;
}

Verdict ArchiveItem::verdict() const {
    static const std::pair<const QString*, Verdict> verdicts[] = {
        {&verdict::Ok, Verdict::Ok},
        {&verdict::ManuallySet, Verdict::ManuallySet},
        {&verdict::Duplicates, Verdict::Duplicates},
        {&verdict::UnzipError, Verdict::UnzipError},
        {&verdict::NoRuntime, Verdict::NoRuntime},
        {&verdict::NoRuntimeOrData, Verdict::NoRuntimeOrData},
        {&verdict::InstallFailed, Verdict::InstallFailed},
    };
    const QString info = text(key::Info).value_or(QString());
    if (info.isEmpty())
        return Verdict::None;
    for (const auto& [words, value] : verdicts) {
        if (info == *words)
            return value;
    }
    return Verdict::Unknown;
}

bool lostNestedArchive(const ArchiveItem& item) {
    return item.state() == ItemState::Installed && item.verdict() == Verdict::InstallFailed;
}

QByteArray ArchiveItem::nativePathIn(const QString& folder) const {
    QByteArray path = QFile::encodeName(folder);
    if (!path.isEmpty() && !path.endsWith('/'))
        path += '/';
    return path + (m_nativeName.isEmpty() ? QFile::encodeName(fileName()) : m_nativeName);
}

const ArchiveItem::Value* ArchiveItem::value(const QString& key) const {
    const auto found = m_values.find(key);
    return found == m_values.end() ? nullptr : &found->second;
}

QStringList ArchiveItem::keys() const {
    QStringList result;
    for (const auto& entry : m_values)
        result.append(entry.first);
    return result;
}

qint64 ArchiveItem::integer(const QString& key) const {
    const Value* found = value(key);
    if (!found)
        return 0;
    const auto* number = std::get_if<qint64>(found);
    return number ? *number : 0;
}

std::optional<QString> ArchiveItem::text(const QString& key) const {
    const Value* found = value(key);
    if (!found)
        return std::nullopt;
    const auto* string = std::get_if<QString>(found);
    if (!string)
        return std::nullopt;
    return *string;
}

ContentTreePtr ArchiveItem::tree(const QString& key) const {
    const Value* found = value(key);
    if (!found)
        return nullptr;
    const auto* tree = std::get_if<ContentTreePtr>(found);
    return tree ? *tree : nullptr;
}

} // namespace packshelf
