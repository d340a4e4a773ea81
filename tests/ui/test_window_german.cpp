#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QTranslator>
#include <QTreeView>

#include "tests/ui/WindowHarness.h"
#include "ui/ContentListProxy.h"
#include "ui/ItemDescription.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

// Runs before main(), which loads the translations from the system locale:
// German texts, while the formats the environment names are C's.
const bool german = qputenv("LANGUAGE", "de") && qputenv("LANG", "C.UTF-8") &&
                    (qunsetenv("LC_ALL"), qunsetenv("LC_TIME"), true);

// What the visible windows and sheets say: titles, labels, buttons, group
// boxes, headers, tooltips, the verdicts of the list and the window's actions.
void collect(QStringList& texts, MainWindow& window) {
    for (QAction* action : window.findChildren<QAction*>())
        texts << action->text() << action->toolTip();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        texts << top->windowTitle();
        for (QWidget* widget : top->findChildren<QWidget*>()) {
            if (!widget->isVisible())
                continue;
            texts << widget->toolTip();
            if (auto* label = qobject_cast<QLabel*>(widget))
                texts << label->text();
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                texts << button->text();
            if (auto* box = qobject_cast<QGroupBox*>(widget))
                texts << box->title();
            if (auto* list = qobject_cast<QTableView*>(widget)) {
                for (int row = 0; row < list->model()->rowCount(); ++row)
                    texts << list->model()->index(row, 2).data().toString();
            }
            if (auto* header = qobject_cast<QHeaderView*>(widget); header && header->model()) {
                for (int i = 0; i < header->count(); ++i)
                    texts << header->model()->headerData(i, header->orientation()).toString();
            }
        }
    }
}

// Every sheet: the window with an archive selected, the configuration, the
// install confirmation, the summary and the installed packages.
QStringList tour() {
    WindowHarness window;
    window.addArchive("a.zip", {"a/Runtime/x.txt"});
    window.addArchive("b.zip", {"b/x.txt"});
    window.storeFolders();
    window.launch();
    QStringList texts;
    EXPECT_TRUE(window.waitForIdle());
    window.selectRow(0);
    auto* library = window.window().findChild<QLabel*>("mLibraryField");
    EXPECT_TRUE(QTest::qWaitFor([&] { return library->text().contains(':'); }));
    collect(texts, window.window());
    window.app().mConfigItem()->trigger();
    collect(texts, window.window());
    window.app().closeConfigSheet();
    EXPECT_TRUE(window.waitForIdle());
    QTest::mouseClick(window.app().mInstallButton(), Qt::LeftButton);
    auto* confirm = window.window().confirmSheet()->findChild<QWidget*>("mConfirmInstallButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return confirm->isEnabled(); }));
    collect(texts, window.window());
    EXPECT_TRUE(window.confirmInstall());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.window().summarySheet()->isVisible(); }));
    collect(texts, window.window());
    window.window().summarySheet()->accept();
    window.window().findChild<QAction*>("mInstalledItem")->trigger();
    auto* packages = window.window().findChild<QTreeView*>("mInstalledList")->model();
    EXPECT_TRUE(QTest::qWaitFor([&] { return packages->rowCount() == 1; }));
    collect(texts, window.window());
    return texts;
}

} // namespace

// With LANGUAGE=de no text of the window is the English one: the tour is
// taken once without the translations and once with them.
TEST(WindowGerman, NoEnglishTextIsLeft) {
    ASSERT_TRUE(german);
    const QList<QTranslator*> translators = qApp->findChildren<QTranslator*>();
    for (QTranslator* translator : translators)
        QCoreApplication::removeTranslator(translator);
    const QStringList english = tour();
    for (QTranslator* translator : translators)
        QCoreApplication::installTranslator(translator);
    ASSERT_EQ(QCoreApplication::translate("MainWindow", "Install"), "Installieren");
    const QSet<QString> allowed{"", "PackShelf", "OK", "a.zip", "b.zip"};
    for (const QString& text : tour()) {
        EXPECT_TRUE(allowed.contains(text) || !english.contains(text)) << qPrintable(text);
    }
}

// Dates, times and sizes follow the language of the texts, not the C
// formats the environment names; the verdict column has its German word.
TEST(WindowGerman, DatesAndSizesInGerman) {
    const struct {
        QString shown, expected;
    } cases[] = {
        {installedWhen("2026-12-08T12:00:00Z").section(' ', 0, 2), "8. Dez. 2026"},
        {installedWhen("2026-12-08T12:00:00Z").section(' ', 3, 3), "um"},
        {installedNote("2026-05-03T12:00:00Z").section(' ', 0, 3), "Am 3. Mai 2026"},
        {readableSize(1), "1 Byte"},
        {readableSize(3994), "3,9 kB"},
        {readableSize(5 * 1024 * 1024 + 300 * 1024), "5,3 MB"},
        {QCoreApplication::translate("packshelf::ContentListModel", "Verdict"), "Befund"},
        {ContentListProxy().countLine("%1", 12345), "12.345"},
    };
    for (const auto& [shown, expected] : cases)
        EXPECT_EQ(shown, expected);
}
