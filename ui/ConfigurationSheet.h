#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "ui/PlatformServices.h"
#include "ui/SettingsStore.h"
#include "ui/WindowOutlets.h"

class QLabel;

namespace packshelf {

// The configuration sheet: the source, library and work folders and the
// option, as the settings keep them and the sheet shows them, and the
// folder pickers that change them.
class ConfigurationSheet : public QObject {
    Q_OBJECT
public:
    ConfigurationSheet(const WindowOutlets& outlets, SettingsStore& settings,
                       PlatformServices& services, QObject* parent = nullptr);

    // Where a folder picker opens: at the folder chosen before while it is
    // there, else at the home folder.
    static QString pickerStart(const std::optional<QString>& current);

    // Reads the folders and the option from the settings and shows them.
    void load();

    const std::optional<QString>& sourcePath() const { return m_folders.source; }
    void setSourcePath(std::optional<QString> value) { m_folders.source = std::move(value); }
    const std::optional<QString>& destPath() const { return m_folders.dest; }
    void setDestPath(std::optional<QString> value) { m_folders.dest = std::move(value); }
    const std::optional<QString>& workPath() const { return m_folders.work; }
    void setWorkPath(std::optional<QString> value) { m_folders.work = std::move(value); }
    bool ignoreDS() const { return m_folders.ignoreDS; }
    // Whether the library folder is chosen and there.
    bool libraryExists() const;
    void setIgnoreDS(bool value) { m_folders.ignoreDS = value; }

    // Each opens a picker; the folder chosen is kept, shown and saved.
    void chooseSource();
    void chooseDest();
    void chooseWork();
    // Takes the option from its check box and saves it.
    void ignoreDSClicked();

    void open();
    // Closes the sheet when it is shown.
    void close();

private:
    struct Folders {
        std::optional<QString> source;
        std::optional<QString> dest;
        std::optional<QString> work;
        bool ignoreDS = false;
    };

    // Which of the three folders a setting is.
    enum class Role { Source, Library, Work };

    // One of the three folders of the sheet.
    struct FolderSetting {
        std::optional<QString> Folders::*path;
        QLabel* WindowOutlets::*field;
        QString key;
        QString pickerTitle;
        Role role;
    };

    static FolderSetting sourceFolder();
    static FolderSetting destFolder();
    static FolderSetting workFolder();

    void loadFolder(const FolderSetting& setting);
    void chooseFolder(const FolderSetting& setting);
    void take(const FolderSetting& setting, const QString& folder);
    // Why `folder` cannot be the folder of `role` beside the other two
    // folders chosen; empty when it can.
    QString clashOf(Role role, const QString& folder) const;
    void showProblem(const QString& why);

    const WindowOutlets& m_ui;
    SettingsStore& m_settings;
    PlatformServices& m_services;
    Folders m_folders;
};

} // namespace packshelf
