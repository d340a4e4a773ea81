#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QSettings;

namespace packshelf {

// The four persistent settings. Every write reaches the disk before it
// returns; a key that was never written reads as absent.
class SettingsStore {
public:
    static inline const QString SourcePathKey = QStringLiteral("SOURCEPATH");
    static inline const QString DestPathKey = QStringLiteral("DESTPATH");
    static inline const QString WorkPathKey = QStringLiteral("WORKPATH");
    static inline const QString IgnoreDSKey = QStringLiteral("IGNORE_DS");
    // Where the user left the splitter between the list and the browser.
    static inline const QString SplitterKey = QStringLiteral("SPLITTER");
    // The main window's size and place on the screen.
    static inline const QString GeometryKey = QStringLiteral("WINDOW_GEOMETRY");

    explicit SettingsStore(QSettings& settings)
        : m_settings(settings) {}

    // A folder path, taken as it is stored, without checks.
    std::optional<QString> path(const QString& key) const;
    void setPath(const QString& key, const QString& path);

    // "true" or "false"; absent, or anything else, reads as false.
    bool ignoreDS() const;
    void setIgnoreDS(bool ignore);

    QByteArray splitterState() const;
    void setSplitterState(const QByteArray& state);

    // As QWidget::saveGeometry() gives it; empty when never written.
    QByteArray windowGeometry() const;
    void setWindowGeometry(const QByteArray& geometry);

private:
    QSettings& m_settings;
};

} // namespace packshelf
