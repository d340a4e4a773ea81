#include "install/InstallLog.h"

namespace packshelf {

Q_LOGGING_CATEGORY(lcInstall, "packshelf.install")

namespace {
QString valueOrAbsent(const ArchiveItem& item, const QString& key) {
    return item.text(key).value_or(QLatin1String(AbsentLogValue));
}
} // namespace

QString installLogLine(const ArchiveItem& item) {
    return QStringLiteral("File:%1, Runtime:%2, Data:%3")
        .arg(valueOrAbsent(item, key::FileName), valueOrAbsent(item, key::RuntimePath),
             valueOrAbsent(item, key::DataPath));
}

QString installFailureLine(const QString& fileName, const QString& path, const QString& reason) {
    return QStringLiteral("Install of %1 failed at %2: %3").arg(fileName, path, reason);
}

} // namespace packshelf
