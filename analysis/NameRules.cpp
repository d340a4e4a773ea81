#include "analysis/NameRules.h"

namespace packshelf {

namespace {
QString lastComponent(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}
} // namespace

QString pathExtension(const QString& path) {
    const QString name = lastComponent(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString baseName(const QString& path) {
    const QString name = lastComponent(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

bool hasArchiveExtension(const QString& name) {
    return pathExtension(name).toUpper() == QLatin1String("ZIP");
}

bool isJunkEntry(const QString& name) {
    return name.startsWith(QLatin1String("__MACOSX")) || name == QLatin1String(".DS_Store");
}

bool isNestedArchiveName(const QString& name) {
    return hasArchiveExtension(name) && !isJunkEntry(lastComponent(name));
}

QString nestedFolderName(const QString& name) {
    const QString base = baseName(name);
    if (base == QLatin1String(".") || base == QLatin1String(".."))
        return QString();
    return base;
}

bool isAtOrBelow(const QString& path, const QString& folder) {
    return folder.isEmpty() || path == folder ||
           (path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/'));
}

bool isUnpackedByInstall(const QString& nestedFolder, const QString& copied) {
    const bool atTheTop = !nestedFolder.contains(QLatin1Char('/'));
    return atTheTop || isAtOrBelow(copied, nestedFolder);
}

QString joinPath(const QString& path, const QString& component) {
    if (path.isEmpty())
        return component;
    if (component.isEmpty())
        return path;
    if (path.endsWith(QLatin1Char('/')))
        return path + component;
    return path + QLatin1Char('/') + component;
}

} // namespace packshelf
