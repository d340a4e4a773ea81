#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QTranslator>
#include <QTreeView>
#include <cerrno>

#include "analysis/ItemState.h"
#include "core/PosixIo.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"
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

// The words of an English text, names, paths and numbers aside.
QStringList englishWords(QString text, const QStringList& names) {
    static const QRegularExpression path(QStringLiteral("\\S*/\\S*"));
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
    QStringList words;
    for (auto match = word.globalMatch(text.remove(path)); match.hasNext();) {
        const QString found = match.next().captured();
        if (!names.contains(found))
            words << found;
    }
    return words;
}

} // namespace

// The engine's reasons reach the German window in German, those its reader
// processes give as well as the library's, while the command line, run in
// the same German environment, still prints them in English.
TEST(WindowGerman, EngineReasonsInGerman) {
    ASSERT_TRUE(german);
    const QByteArray text = "content";
    ZipWriter::Entry locked = ZipWriter::entry("Pack/Runtime/x.txt", text, 0);
    locked.flags = 0x1; // traditional PKWARE encryption
    const struct Row {
        QString archive;
        QByteArray bytes;
        QString english;   // what the command line says, in part
        QStringList names; // words of the reason that are names
    } rows[] = {
        {"Junk.zip", "no archive at all, only words", "not a zip archive, or damaged", {"zip"}},
        {"Locked.zip",
         ZipWriter().add(locked).bytes(),
         "Pack/Runtime/x.txt is encrypted (traditional PKWARE encryption): it needs a password",
         {"Pack", "Runtime", "txt", "PKWARE"}},
        {"Method.zip",
         ZipWriter().addFile("Pack/Runtime/x.txt", text, 9).bytes(),
         "unsupported compression method 9 deflate64 in Pack/Runtime/x.txt",
         {"deflate", "Pack", "Runtime", "txt"}},
        // The library holds a file where the package puts its Runtime folder.
        {"Blocked.zip",
         ZipWriter().addFile("Pack/Runtime/x.txt", text).bytes(),
         "/Runtime: a file is in the way",
         {"Runtime", "txt"}},
    };
    WindowHarness window;
    QTemporaryDir cli;
    for (const QString& folder : {window.source(), cli.filePath("source"), cli.filePath("library")})
        ASSERT_TRUE(QDir().mkpath(folder));
    for (const Row& row : rows) {
        ASSERT_TRUE(writeFile(window.source() + "/" + row.archive, row.bytes));
        ASSERT_TRUE(writeFile(cli.filePath("source/") + row.archive, row.bytes));
    }
    ASSERT_TRUE(writeFile(window.library() + "/Runtime", "in the way"));
    ASSERT_TRUE(writeFile(cli.filePath("library/Runtime"), "in the way"));

    const CliResult printed = runCli({"install", cli.filePath("source"), cli.filePath("library"),
                                      "--work", cli.filePath("work")});
    const QMap<QString, QJsonObject> records = printed.byFileName();

    ASSERT_TRUE(window.start());
    AppDelegate& app = window.app();
    click(app.mInstallButton());
    ASSERT_TRUE(window.confirmInstall());
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.mInstallSheet()->isHidden(); }, 120000));
    QMap<QString, QString> shown;
    for (int row = 0; row < app.contentListModel().rowCount(); ++row) {
        const ArchiveItem& item = app.mItemsArray().at(std::size_t(row));
        EXPECT_EQ(item.state(), ItemState::Failed) << qPrintable(item.fileName());
        shown[item.fileName()] =
            app.contentListModel().index(row, 0).data(Qt::ToolTipRole).toString();
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.archive.toStdString());
        const QString english = records.value(row.archive).value("REASON").toString();
        EXPECT_TRUE(english.contains(row.english)) << qPrintable(english);
        const QString german = shown.value(row.archive);
        ASSERT_FALSE(german.isEmpty());
        for (const QString& word : englishWords(english, row.names)) {
            const QRegularExpression left("\\b" + word + "\\b");
            EXPECT_FALSE(left.match(german).hasMatch()) << qPrintable(word + " in: " + german);
        }
    }
}

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
        // The system's words in the engine's reasons ("%1: %2").
        {systemReason(ENOSPC), "Auf dem Gerät ist kein Platz mehr frei"},
    };
    for (const auto& [shown, expected] : cases)
        EXPECT_EQ(shown, expected);
}
