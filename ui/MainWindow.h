#pragma once

#include <QMainWindow>
#include <memory>

class QDialog;

namespace Ui {
class MainWindow;
class ConfigSheet;
class InstallSheet;
} // namespace Ui

namespace packshelf {

// The main window and its two sheets, as designed in MainWindow.ui,
// ConfigSheet.ui and InstallSheet.ui. The window owns every control; the
// controller only points at them. The sheets are window-modal dialogs of
// the main window.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow& controls() { return *m_window; }
    Ui::ConfigSheet& configControls() { return *m_config; }
    Ui::InstallSheet& installControls() { return *m_install; }
    QDialog* configSheet() const { return m_configSheet; }
    QDialog* installSheet() const { return m_installSheet; }

    // Sizes the content list's columns once its model is set: a narrow icon
    // column, the file name taking the room, a verdict column.
    void arrangeContentColumns();

private:
    std::unique_ptr<Ui::MainWindow> m_window;
    std::unique_ptr<Ui::ConfigSheet> m_config;
    std::unique_ptr<Ui::InstallSheet> m_install;
    QDialog* m_configSheet = nullptr;
    QDialog* m_installSheet = nullptr;
};

} // namespace packshelf
