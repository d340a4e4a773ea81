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
                              if (self)
                                  self->take(setting, folder);
                          });
}

// A folder that clashes with another one is not kept: the sheet says why
// and the folder chosen before stays.
void ConfigurationSheet::take(const FolderSetting& setting, const QString& folder) {
    const QString clash = clashOf(setting.role, folder);
    showProblem(clash);
    if (!clash.isEmpty()) {
        m_services.beep();
        return;
    }
    m_folders.*setting.path = folder;
    (m_ui.*setting.field)->setText(folder);
    m_settings.setPath(setting.key, folder);
}

namespace {

// The folder as the file system resolves it, links followed where it is
// there, without a trailing separator.
QString resolved(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// Whether two folders are the same or one lies inside the other.
bool overlap(const QString& a, const QString& b) {
    const QString first = resolved(a);
    const QString second = resolved(b);
    const auto inside = [](const QString& inner, const QString& outer) {
        return inner.startsWith(outer.endsWith(QLatin1Char('/')) ? outer
                                                                 : outer + QLatin1Char('/'));
    };
    return first == second || inside(first, second) || inside(second, first);
}

} // namespace

// Installing into the source folder would mix installed files with the
// downloads, and the work folder's scratch files are removed as they are
// used up: none of the three may be another one or lie inside another.
QString ConfigurationSheet::clashOf(Role role, const QString& folder) const {
    const auto clashes = [&folder](const std::optional<QString>& other) {
        return other && overlap(folder, *other);
    };
    if ((role == Role::Library && clashes(m_folders.source)) ||
        (role == Role::Source && clashes(m_folders.dest)))
        return tr("The library cannot be the source folder, nor lie inside it or hold it: "
                  "installed files would be mixed with the downloaded archives. Choose "
                  "another folder.");
    if ((role == Role::Work && clashes(m_folders.source)) ||
        (role == Role::Source && clashes(m_folders.work)))
        return tr("The work folder cannot be the source folder, nor lie inside it or hold it: "
                  "its scratch files would be mixed with the downloaded archives. Choose "
                  "another folder.");
    if ((role == Role::Work && clashes(m_folders.dest)) ||
        (role == Role::Library && clashes(m_folders.work)))
        return tr("The work folder cannot be the library, nor lie inside it or hold it: its "
                  "scratch files would end up among the installed content. Choose another "
                  "folder.");
    return {};
}

void ConfigurationSheet::showProblem(const QString& why) {
    m_ui.mConfigProblemField->setText(why);
    m_ui.mConfigProblemField->setVisible(!why.isEmpty());
}

// The pickers' titles keep the controller's translation context, where
// they were first written.
ConfigurationSheet::FolderSetting ConfigurationSheet::sourceFolder() {
    return {&Folders::source, &WindowOutlets::mSourcePathField, SettingsStore::SourcePathKey,
            QCoreApplication::translate("packshelf::AppDelegate",
                                        "Choose the folder that holds the archives"),
            Role::Source};
}

ConfigurationSheet::FolderSetting ConfigurationSheet::destFolder() {
    return {
        &Folders::dest, &WindowOutlets::mDestPathField, SettingsStore::DestPathKey,
        QCoreApplication::translate("packshelf::AppDelegate", "Choose the library to install into"),
        Role::Library};
}

ConfigurationSheet::FolderSetting ConfigurationSheet::workFolder() {
    return {&Folders::work, &WindowOutlets::mWorkPathField, SettingsStore::WorkPathKey,
            QCoreApplication::translate("packshelf::AppDelegate", "Choose a work folder"),
            Role::Work};
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
    showProblem({});
    m_ui.mConfigSheet->open();
}

void ConfigurationSheet::close() {
    if (m_ui.mConfigSheet->isVisible())
        m_ui.mConfigSheet->accept();
}

} // namespace packshelf
