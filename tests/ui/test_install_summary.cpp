#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

#include "ui/InstallProgress.h"
#include "ui/InstallSummary.h"

using namespace packshelf;

namespace {

// A record as the installer hands it back: `keys` on top of a fresh one.
ArchiveItem handedBack(const QString& name, qint64 state, const QString& info,
                       std::initializer_list<std::pair<QString, QString>> texts = {},
                       qint64 error = 0) {
    ArchiveItem item = ArchiveItem::create(name);
    item.setInteger(key::State, state);
    item.setText(key::Info, info);
    for (const auto& [key, text] : texts)
        item.setText(key, text);
    if (error != 0)
        item.setInteger(key::Error, error);
    return item;
}

QStringList named(const QList<InstallSummary::Entry>& entries) {
    QStringList lines;
    for (const InstallSummary::Entry& entry : entries)
        lines << (entry.note.isEmpty() ? entry.fileName : entry.fileName + " — " + entry.note);
    return lines;
}

} // namespace

// The summary sorts what an install handed back by the record's state,
// verdict and warnings: a nested archive lost is told by the verdict the
// installer leaves on an installed record, never by an error code the
// record kept from an earlier failure nor by a warning that says something
// else.
TEST(InstallSummary, SortsRecordsByHowTheyEnded) {
    const QString nested = "Extras.zip: the nested archive cannot be expanded (damaged)";
    struct Row {
        const char* label;
        ArchiveItem item;
        const char* section; // installed, incomplete, failed, unchanged, untouched
        QString note = {};
    };
    ArchiveItem unchanged = handedBack("u.zip", ItemState::Installed, "OK");
    unchanged.setInteger(key::Unchanged, 1);
    const std::vector<Row> rows = {
        {"installed", handedBack("a.zip", ItemState::Installed, "OK"), "installed"},
        {"installed after a folder was forced where nothing was found",
         handedBack("forced.zip", ItemState::Installed, "OK", {}, ItemError::ErrorContent),
         "installed"},
        {"installed with a warning of its analysis",
         handedBack("unsafe.zip", ItemState::Installed, "OK",
                    {{key::Warning, "an unsafe entry passed over: ../x"}}),
         "warned", "an unsafe entry passed over: ../x"},
        {"updated, keeping a file changed since",
         handedBack("kept.zip", ItemState::Installed, "OK",
                    {{key::Warning, "kept Runtime/a.txt: changed since"}}),
         "warned", "kept Runtime/a.txt: changed since"},
        {"installed without a nested archive",
         handedBack("b.zip", ItemState::Installed, "Failed!", {{key::Warning, nested}},
                    ItemError::ErrorContent),
         "incomplete", nested},
        {"failed", handedBack("c.zip", ItemState::Failed, "Failed!", {{key::Reason, "gone"}}, 1),
         "failed", "gone"},
        {"left alone", unchanged, "unchanged"},
        {"not begun", handedBack("d.zip", ItemState::Ready, "OK"), "untouched"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const InstallSummary summary = InstallSummary::of({row.item});
        const QString name = row.item.fileName();
        const QString line = row.note.isEmpty() ? name : name + " — " + row.note;
        const QString section = row.section;
        const bool installed =
            section == "installed" || section == "incomplete" || section == "warned";
        EXPECT_EQ(named(summary.installed()), installed ? QStringList{name} : QStringList());
        EXPECT_EQ(named(summary.incomplete()),
                  section == "incomplete" ? QStringList{line} : QStringList());
        EXPECT_EQ(named(summary.warned()), section == "warned" ? QStringList{line} : QStringList());
        EXPECT_EQ(named(summary.failed()), section == "failed" ? QStringList{line} : QStringList());
        EXPECT_EQ(named(summary.unchanged()),
                  section == "unchanged" ? QStringList{name} : QStringList());
        EXPECT_EQ(named(summary.untouched()),
                  section == "untouched" ? QStringList{name} : QStringList());
    }
}

// The install sheet says the time left only once the pace is steady: never
// in the first three seconds, nor while the end it foresees jumps.
TEST(InstallProgress, TheTimeLeftIsSaidOnceThePaceIsSteady) {
    ArchiveItem item = ArchiveItem::create("a.zip");
    item.setInteger(key::HasRuntime, 1);
    item.setText(key::RuntimePath, "");
    item.setTree(key::Zip, std::make_shared<const ContentTree>(
                               ContentTree{ContentNode::makeFile("Runtime", 1000)}));
    struct Row {
        const char* label;
        std::vector<std::pair<qint64, quint64>> steps; // elapsed ms, bytes written by then
        QString lastSaid;
    };
    const std::vector<Row> rows = {
        {"a steady pace", {{1000, 100}, {2000, 200}, {3000, 300}}, "about 7 seconds left"},
        {"steady, but not three seconds in", {{1000, 100}, {2000, 200}, {2900, 290}}, ""},
        {"a pace that jumps", {{1000, 100}, {2000, 500}, {3000, 550}}, ""},
        {"steady again after a jump",
         {{1000, 100}, {2000, 500}, {3000, 550}, {4000, 730}},
         "about 1 second left"},
        {"nothing written yet", {{4000, 0}, {5000, 0}}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        InstallProgress progress;
        progress.begin({item});
        progress.archiveBegins(0);
        quint64 written = 0;
        QString said;
        for (const auto& [elapsed, bytes] : row.steps) {
            progress.written("Runtime/a.obj", bytes - written);
            written = bytes;
            said = progress.timeLeftAt(elapsed);
        }
        EXPECT_EQ(said, row.lastSaid);
    }
}

// The bytes the install sheet plans for a record are those of the files
// the install writes: each holder's entries, without the folder of the
// other kind that the plan leaves out of a holder of its own.
TEST(InstallProgress, PlansTheBytesOfTheFilesInstalled) {
    using Node = ContentNode;
    const ContentTree tree = {
        Node::makeFolder(
            "A", ContentTree{Node::makeFolder("Runtime", ContentTree{Node::makeFile("r.bin", 100)}),
                             Node::makeFile("a.txt", 3)}),
        Node::makeFolder(
            "B",
            ContentTree{Node::makeFolder("Data", ContentTree{Node::makeFile("d.bin", 200)}),
                        Node::makeFolder("Runtime", ContentTree{Node::makeFile("old.bin", 50)}),
                        Node::makeFile("b.txt", 7)}),
        Node::makeFile("top.txt", 11),
    };
    struct Row {
        const char* label;
        std::vector<std::pair<QString, QString>> texts;
        std::vector<QString> flags;
        quint64 installedBytes; // the sizes of the files the install writes, added up
    };
    const std::vector<Row> rows = {
        {"the Runtime and the Data folder in two holders",
         {{key::RuntimePath, "A"}, {key::DataPath, "B"}},
         {key::HasRuntime, key::HasData},
         100 + 3 + 200 + 7},
        {"both folders in one holder",
         {{key::RuntimePath, "B"}, {key::DataPath, "B"}},
         {key::HasRuntime, key::HasData},
         200 + 50 + 7},
        {"a Data holder alone", {{key::DataPath, "B"}}, {key::HasData}, 200 + 50 + 7},
        {"a Data holder at the root",
         {{key::DataPath, ""}},
         {key::HasData},
         100 + 3 + 200 + 50 + 7 + 11},
        {"a direct copy",
         {{key::DirectPathSrc, "A"}, {key::DirectPath, "/x"}},
         {key::HasDirect},
         100 + 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        ArchiveItem item = ArchiveItem::create("a.zip");
        for (const QString& flag : row.flags)
            item.setInteger(flag, 1);
        for (const auto& [key, text] : row.texts)
            item.setText(key, text);
        item.setTree(key::Zip, std::make_shared<const ContentTree>(tree));
        EXPECT_EQ(InstallProgress::plannedBytes(item), row.installedBytes);
    }
}
