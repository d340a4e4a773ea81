#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

#include "analysis/ArchiveItem.h"
#include "analysis/ManualChoice.h"
#include "ui/FileStamp.h"

class QSettings;

namespace packshelf {

// The folders a user chose by hand in each archive, kept in the settings
// ("CHOICES") so that a rescan or the next start finds them again. They
// belong to one version of the archive: once its size or modification time
// differs, they are forgotten.
class ChoiceMemory {
public:
    explicit ChoiceMemory(QSettings& settings);

    void rememberFolder(const QString& source, const QString& fileName, const FileStamp& stamp,
                        FolderChoice choice, const QString& holderPath);
    void rememberDestination(const QString& source, const QString& fileName, const FileStamp& stamp,
                             const QString& directPath, const std::optional<QString>& directSource);
    void forget(const QString& source, const QString& fileName);

    // Makes the choices remembered for this version of the archive again,
    // in the order they were made; answers whether there were any. Those of
    // another version are forgotten.
    bool replay(const QString& source, ArchiveItem& item, const FileStamp& stamp);

private:
    void remember(const QString& source, const QString& fileName, const FileStamp& stamp,
                  const QJsonObject& choice);
    QJsonObject load() const;
    void save(const QJsonObject& all);

    QSettings& m_settings;
};

} // namespace packshelf
