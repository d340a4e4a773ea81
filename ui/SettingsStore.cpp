#include "ui/SettingsStore.h"

#include <QSettings>

namespace packshelf {

std::optional<QString> SettingsStore::path(const QString& key) const {
    const QVariant value = m_settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void SettingsStore::setPath(const QString& key, const QString& path) {
    m_settings.setValue(key, path);
    m_settings.sync();
}

bool SettingsStore::ignoreDS() const {
    return m_settings.value(IgnoreDSKey, false).toBool();
}

void SettingsStore::setIgnoreDS(bool ignore) {
    m_settings.setValue(IgnoreDSKey, ignore);
    m_settings.sync();
}

} // namespace packshelf
