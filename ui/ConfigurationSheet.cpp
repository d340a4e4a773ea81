#include "ui/ConfigurationSheet.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>

namespace packshelf {

ConfigurationSheet::ConfigurationSheet(const WindowOutlets& outlets, SettingsStore& settings,
                                       PlatformServices& services, QObject* parent)
    : QObject(parent)
    , m_ui(outlets)
    , m_settings(settings)
    , m_services(services) {}

QString ConfigurationSheet::pickerStart(const std::optional<QString>& current) {
    return current && QFileInfo(*current).isDir() ? *current : QDir::homePath();
}

bool ConfigurationSheet::libraryExists() const {
    return m_folders.dest && QFileInfo(*m_folders.dest).isDir();
}

void ConfigurationSheet::load() {
    for (const FolderSetting& setting : {sourceFolder(), destFolder(), workFolder()})
        loadFolder(setting);
    m_folders.ignoreDS = m_settings.ignoreDS();
    m_ui.mIgnoreDSCheckbox->setChecked(m_folders.ignoreDS);
}

void ConfigurationSheet::loadFolder(const FolderSetting& setting) {
    m_folders.*setting.path = m_settings.path(setting.key);
    if (const auto& path = m_folders.*setting.path)
        (m_ui.*setting.field)->setText(*path);
}

void ConfigurationSheet::chooseFolder(const FolderSetting& setting) {
    QPointer<ConfigurationSheet> self(this);
    m_services.pickFolder(m_ui.mConfigSheet, setting.pickerTitle,
                          pickerStart(m_folders.*setting.path),
                          [self, setting](const QString& folder) {
                              if (!self)
                                  return;
                              self->m_folders.*setting.path = folder;
                              (self->m_ui.*setting.field)->setText(folder);
                              self->m_settings.setPath(setting.key, folder);
                          });
}

// The pickers' titles keep the controller's translation context, where
// they were first written.
ConfigurationSheet::FolderSetting ConfigurationSheet::sourceFolder() {
    return {&Folders::source, &WindowOutlets::mSourcePathField, SettingsStore::SourcePathKey,
            QCoreApplication::translate("packshelf::AppDelegate",
                                        "Choose the folder that holds the archives")};
}

ConfigurationSheet::FolderSetting ConfigurationSheet::destFolder() {
    return {&Folders::dest, &WindowOutlets::mDestPathField, SettingsStore::DestPathKey,
            QCoreApplication::translate("packshelf::AppDelegate",
                                        "Choose the library to install into")};
}

ConfigurationSheet::FolderSetting ConfigurationSheet::workFolder() {
    return {&Folders::work, &WindowOutlets::mWorkPathField, SettingsStore::WorkPathKey,
            QCoreApplication::translate("packshelf::AppDelegate", "Choose a work folder")};
}

void ConfigurationSheet::chooseSource() {
    chooseFolder(sourceFolder());
}

void ConfigurationSheet::chooseDest() {
    chooseFolder(destFolder());
}

void ConfigurationSheet::chooseWork() {
    chooseFolder(workFolder());
}

void ConfigurationSheet::ignoreDSClicked() {
    m_folders.ignoreDS = m_ui.mIgnoreDSCheckbox->checkState() == Qt::Checked;
    m_settings.setIgnoreDS(m_folders.ignoreDS);
}

void ConfigurationSheet::open() {
    m_ui.mConfigSheet->open();
}

void ConfigurationSheet::close() {
    if (m_ui.mConfigSheet->isVisible())
        m_ui.mConfigSheet->accept();
}

} // namespace packshelf
