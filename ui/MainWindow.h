#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

#include "ui/SettingsStore.h"

class QDialog;
class QLineEdit;

namespace Ui {
class MainWindow;
class ConfigSheet;
class InstallSheet;
class SummarySheet;
class ConfirmSheet;
class InstalledSheet;
} // namespace Ui

namespace packshelf {

// The main window and its sheets, as designed in MainWindow.ui,
// ConfigSheet.ui, InstallSheet.ui, SummarySheet.ui, ConfirmSheet.ui and
// InstalledSheet.ui. The window owns
// every control; the controller only points at them. The sheets are
// window-modal dialogs of the main window. Files dropped on the window are
// announced with filesDropped().
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow& controls() { return *m_window; }
    Ui::ConfigSheet& configControls() { return *m_config; }
    Ui::InstallSheet& installControls() { return *m_install; }
    Ui::SummarySheet& summaryControls() { return *m_summary; }
    Ui::ConfirmSheet& confirmControls() { return *m_confirm; }
    Ui::InstalledSheet& installedControls() { return *m_installed; }
    QDialog* configSheet() const { return m_configSheet; }
    QDialog* installSheet() const { return m_installSheet; }
    QDialog* summarySheet() const { return m_summarySheet; }
    QDialog* confirmSheet() const { return m_confirmSheet; }
    QDialog* installedSheet() const { return m_installedSheet; }
    QLineEdit* filterField() const { return m_filterField; }

    // Sizes the content list's columns once its model is set: a narrow pin
    // column, the file name taking the room, a verdict column.
    void arrangeContentColumns();

    // Takes the size and place the window had when it was last left, when
    // `store` holds one it can use, and writes them there again as the
    // user changes them. Called before the window is shown; `store` must
    // outlive the window.
    void rememberGeometry(const SettingsStore& store);
    // The confirmation and the summary fit their content each time they
    // open; this fits one again after its content changed.
    static void fitSheetToContent(QDialog* sheet);

signals:
    // Local files dropped on the window: the archives among them and the
    // other files, which are not added.
    void filesDropped(const QStringList& archives, const QStringList& others);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Outlines the archive list while archives are dragged over the window.
    void showDropTarget(bool shown);
    void showLabelsAsPlainText();
    void addFilterField();
    void addQuitItem();
    void keepMnemonicsBesideShortcuts();
    void showShortcutsInToolTips();
    QList<QWidget*> toolbarTabStops();
    void orderFocusChain();
    void saveGeometrySoon();
    void saveGeometryNow();

    std::unique_ptr<Ui::MainWindow> m_window;
    std::unique_ptr<Ui::ConfigSheet> m_config;
    std::unique_ptr<Ui::InstallSheet> m_install;
    std::unique_ptr<Ui::SummarySheet> m_summary;
    std::unique_ptr<Ui::ConfirmSheet> m_confirm;
    std::unique_ptr<Ui::InstalledSheet> m_installed;
    QDialog* m_configSheet = nullptr;
    QDialog* m_installSheet = nullptr;
    QDialog* m_summarySheet = nullptr;
    QDialog* m_confirmSheet = nullptr;
    QDialog* m_installedSheet = nullptr;
    QLineEdit* m_filterField = nullptr;
    std::optional<SettingsStore> m_geometryStore;
    // Moving and resizing come in bursts: the geometry is written once
    // they pause, and when the window goes.
    QTimer m_geometrySave;
};

} // namespace packshelf
