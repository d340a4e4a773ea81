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
    const QVariant value = m_settings.value(IgnoreDSKey);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    return value.toString().trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}

void SettingsStore::setIgnoreDS(bool ignore) {
    m_settings.setValue(IgnoreDSKey, ignore);
    m_settings.sync();
}

QByteArray SettingsStore::splitterState() const {
    return m_settings.value(SplitterKey).toByteArray();
}

void SettingsStore::setSplitterState(const QByteArray& state) {
    m_settings.setValue(SplitterKey, state);
    m_settings.sync();
}

QByteArray SettingsStore::windowGeometry() const {
    return m_settings.value(GeometryKey).toByteArray();
}

void SettingsStore::setWindowGeometry(const QByteArray& geometry) {
    m_settings.setValue(GeometryKey, geometry);
    m_settings.sync();
}

} // namespace packshelf
