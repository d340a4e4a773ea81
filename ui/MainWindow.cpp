#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QDialog>
#include <QHeaderView>

#include "ui_ConfigSheet.h"
#include "ui_InstallSheet.h"
#include "ui_MainWindow.h"

namespace packshelf {

namespace {
// The install sheet stays until the install behind it has ended: Escape and
// the window's close button do nothing.
class UndismissableSheet : public QDialog {
public:
    using QDialog::QDialog;
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

template <typename Sheet = QDialog> QDialog* makeSheet(QWidget* window) {
    auto* sheet = new Sheet(window);
    sheet->setWindowModality(Qt::WindowModal);
    return sheet;
}
} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_window(std::make_unique<Ui::MainWindow>())
    , m_config(std::make_unique<Ui::ConfigSheet>())
    , m_install(std::make_unique<Ui::InstallSheet>())
    , m_configSheet(makeSheet(this))
    , m_installSheet(makeSheet<UndismissableSheet>(this)) {
    m_window->setupUi(this);
    m_config->setupUi(m_configSheet);
    m_install->setupUi(m_installSheet);

    m_window->mainSplitter->setStretchFactor(0, 3);
    m_window->mainSplitter->setStretchFactor(1, 4);
    QFont pathFont = m_window->mBrowserPathField->font();
    pathFont.setBold(true);
    m_window->mBrowserPathField->setFont(pathFont);
    m_window->mConfigItem->setIcon(QIcon::fromTheme(QStringLiteral("preferences-system"),
                                                    style()->standardIcon(QStyle::SP_DirOpenIcon)));
    m_window->mContentList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);

    // Until an analysed archive is selected there is nothing to choose or
    // drop.
    for (QPushButton* button :
         {m_window->mSetRuntimeButton, m_window->mSetDataButton, m_window->mForceDirButton}) {
        button->hide();
        button->setEnabled(false);
    }
    m_window->mDropButton->setEnabled(false);
}

MainWindow::~MainWindow() = default;

void MainWindow::arrangeContentColumns() {
    QHeaderView* header = m_window->mContentList->horizontalHeader();
    if (header->count() < 3)
        return;
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    header->resizeSection(0, 30);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::Interactive);
    header->resizeSection(2, 190);
    header->setStretchLastSection(false);
}

} // namespace packshelf
