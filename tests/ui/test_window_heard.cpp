#include <gtest/gtest.h>

#include <QAccessible>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "tests/ui/WindowHarness.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

// What a screen reader hears of a label: its accessible name, then its
// description.
struct Heard {
    QString name;
    QString description;
};

Heard heard(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (!accessible)
        return {};
    return {accessible->text(QAccessible::Name), accessible->text(QAccessible::Description)};
}

struct LabelRow {
    const char* objectName;
    const char* part; // the description: which part of the window it is
    const char* says; // a piece of the text the name must carry
};

void expectHeard(QWidget* window, const std::vector<LabelRow>& rows) {
    for (const LabelRow& row : rows) {
        SCOPED_TRACE(row.objectName);
        auto* label = window->findChild<QLabel*>(row.objectName);
        ASSERT_TRUE(label);
        const Heard said = heard(label);
        EXPECT_EQ(said.name, label->text()) << "the name is the text shown";
        EXPECT_TRUE(said.name.contains(row.says)) << said.name.toStdString();
        EXPECT_EQ(said.description, row.part);
    }
}

} // namespace

// The info box and the install question are heard by what they say, with
// what part of the window it is as the description; the question opens
// with the focus on its text and, once compared, on the totals: never on
// Install, which a screen reader user would confirm without hearing what.
TEST(WindowHeard, LabelsSayTheirTextAndTheQuestionOpensOnIt) {
    WindowHarness window;
    window.addArchive("a Pack.zip", {"Pack/Runtime/r.obj", "Pack/Data/d.tex"});
    window.addArchive("b Tower.zip", {"Runtime/t.obj"});
    ASSERT_TRUE(window.start());
    window.selectRow(0);
    auto* libraryField = window.window().findChild<QLabel*>("mLibraryField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return libraryField->text().contains("added"); }));
    expectHeard(&window.window(),
                {
                    {"mDirectoryInfoBox", "What will be installed", "a Pack.zip"},
                    {"mItemDetailsField", "Archive details", "files"},
                    {"mLibraryField", "What an install does to the library", "Files: 2 added"},
                });

    QDialog* confirm = window.window().confirmSheet();
    auto* install = confirm->findChild<QPushButton*>("mConfirmInstallButton");
    click(window.app().mInstallButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return confirm->isVisible(); }));
    EXPECT_EQ(confirm->focusWidget(), confirm->findChild<QLabel*>("mConfirmHeadline"))
        << "while the comparison runs, the focus is on the question";
    ASSERT_TRUE(QTest::qWaitFor([&] { return install->isEnabled(); }));
    EXPECT_EQ(confirm->focusWidget(), confirm->findChild<QLabel*>("mConfirmTotalsField"))
        << "compared, the focus is on the totals";
    expectHeard(confirm, {
                             {"mConfirmHeadline", "", "Install 2 archives into "},
                             {"mConfirmArchivesField", "Archives installed and left alone",
                              "To install: a Pack.zip, b Tower.zip"},
                             {"mConfirmTotalsField", "Files in total", "Files: 3 added"},
                             {"mConfirmConflictsField", "Conflicts", "No conflicts"},
                         });
    for (const char* name : {"mConfirmHeadline", "mConfirmArchivesField", "mConfirmTotalsField",
                             "mConfirmConflictsField"})
        EXPECT_EQ(confirm->findChild<QLabel*>(name)->focusPolicy(), Qt::StrongFocus)
            << name << " is a Tab stop";
    confirm->reject();
}
