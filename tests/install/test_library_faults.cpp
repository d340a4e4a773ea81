// What a failure leaves in the library: each file operation of a change
// failing once, in turn; a journal that cannot be read; a journal replayed
// after the user changed what it names. Never a lost or torn file, always
// a word, and the next command finishes what was left.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <array>
#include <functional>
#include <map>

#include "install/InstalledPackages.h"
#include "install/PackageRepair.h"
#include "install/disk/FaultSeam.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

// A journal that cannot be read may hold the only way back: nothing is
// removed, every command that would change the library refuses, listing
// still works, and recover sets it aside without losing anything.
TEST(LibraryTrust, AnUnreadableJournalKeepsEverythingUntilRecovered) {
    const QByteArray whole =
        journalBytes({QJsonObject{{"step", "placeFile"},
                                  {"target", QJsonObject{{"path", "Runtime/shared.txt"}}},
                                  {"staged", ".packshelf-partial-1-new"},
                                  {"original", ".packshelf-partial-1-orig"},
                                  {"inode", 1}}});
    for (const QByteArray& damaged :
         {whole.left(whole.size() / 2), QByteArray(), QByteArray("\x89garbage\x00\x01", 11),
          QByteArray(whole).replace("shared.txt", "shared.TXT")}) {
        SCOPED_TRACE(damaged.left(40).toStdString());
        TwoPackages box;
        // What a killed commit left: a staged file, the kept original, the
        // log of the folders it staged in, the journal.
        writeFile(box.dest + "/Runtime/.packshelf-partial-1-new", "new");
        writeFile(box.dest + "/Runtime/.packshelf-partial-1-orig", "the only copy");
        writeFile(box.dest + "/.packshelf/.packshelf-partial-1-log.staged", "Runtime\n");
        writeFile(box.dest + "/.packshelf/journal-1-k.json", damaged);
        const FolderSnapshot before = FolderSnapshot::of(box.dir.path());
        const QStringList staged = stagedUnder(box.dest);

        const CliResult install = installOne(box, "B.zip");
        EXPECT_EQ(install.exitCode, 1);
        EXPECT_TRUE(install.err.contains("journal-1-k.json")) << install.err.toStdString();
        EXPECT_EQ(runCli({"uninstall", box.dest, "A.zip"}).exitCode, 1);
        const CliResult listed = runCli({"installed", box.dest});
        EXPECT_EQ(listed.exitCode, 0);
        EXPECT_EQ(listed.records().size(), 2);
        EXPECT_TRUE(listed.err.contains("packshelf-cli recover")) << listed.err.toStdString();
        QDir(box.dir.filePath("single")).removeRecursively();
        EXPECT_EQ(FolderSnapshot::differences(before, FolderSnapshot::of(box.dir.path())),
                  QStringList());
        EXPECT_EQ(stagedUnder(box.dest), staged);

        // Set aside with everything it staged, which is named: nothing is
        // lost, and nothing staged stays in the library.
        const CliResult recovered = runCli({"recover", box.dest});
        EXPECT_EQ(recovered.exitCode, 0) << recovered.err.toStdString();
        EXPECT_TRUE(recovered.out.contains("journal-1-k.json"));
        EXPECT_TRUE(recovered.out.contains("staged/Runtime/.packshelf-partial-1-orig"))
            << recovered.out.toStdString();
        QDirIterator kept(box.dest + "/.packshelf", {".packshelf-partial-1-orig"},
                          QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        ASSERT_TRUE(kept.hasNext());
        EXPECT_EQ(readFile(kept.next()), "the only copy");
        EXPECT_EQ(stagedUnder(box.dest + "/Runtime"), QStringList());
        EXPECT_EQ(installOne(box, "B.zip").exitCode, 0) << "the library can be changed again";
        EXPECT_EQ(readFile(box.dest + "/Runtime/shared.txt"), "C's");
    }
}

// Every file operation of an update fails once, in turn, whatever its kind:
// the library ends as the old package or the new one, its record agrees,
// what could not be finished is said and finished by the next command, and
// the user's own file always comes back.
TEST(LibraryTrust, AFileOperationThatFailsLeavesTheOldOrTheNewPackage) {
    using library::FileOp;
    struct Counter {
        FileOp op;
        int failAt = 0;
        int calls = 0;
    };
    enum Ending { Before, After, Unfinished };
    std::map<FileOp, std::array<int, 3>> endings;
    for (const FileOp op : {FileOp::Open, FileOp::Read, FileOp::Write, FileOp::Sync, FileOp::Rename,
                            FileOp::Link, FileOp::Unlink, FileOp::Mkdir}) {
        for (int failAt = 1;; ++failAt) {
            SCOPED_TRACE(
                QStringLiteral("operation %1, call %2").arg(int(op)).arg(failAt).toStdString());
            Library box;
            writeFile(box.dest + "/Runtime/mine.txt", "the user's own");
            box.add("P.zip", ZipWriter()
                                 .addFile("Runtime/mine.txt", "v1 mine")
                                 .addFile("Runtime/kept.txt", "v1 kept")
                                 .addFile("Runtime/dropped.txt", "v1 dropped"));
            ASSERT_EQ(runInstaller(box.job({box.analysed("P.zip")})).items[0].state(),
                      ItemState::Installed);
            box.add("P.zip", ZipWriter()
                                 .addFile("Runtime/mine.txt", "v2 mine")
                                 .addFile("Runtime/kept.txt", "v2 kept")
                                 .addFile("Runtime/new/added.txt", "v2 added"));
            const FolderSnapshot before = FolderSnapshot::of(box.dest, Records::Seen);
            const QByteArray recordBefore = readFile(recordOf(box.dest, "P.zip"));
            const ArchiveItem item = box.analysed("P.zip");
            Counter counter{op, failAt};
            library::setFaultInjection([&counter](FileOp called) {
                return called == counter.op && ++counter.calls == counter.failAt ? EIO : 0;
            });
            const InstallRecording run = runInstaller(box.job({item}));
            library::setFaultInjection(nullptr);
            const ArchiveItem& done = run.items[0];
            const bool unfinished =
                done.text(key::Reason).value_or(QString()).contains("not finished");
            const Ending ending = done.state() == ItemState::Installed ? After
                                  : unfinished                         ? Unfinished
                                                                       : Before;
            ++endings[op][ending];
            if (ending == Before) {
                EXPECT_EQ(FolderSnapshot::differences(before,
                                                      FolderSnapshot::of(box.dest, Records::Seen)),
                          QStringList());
                EXPECT_EQ(readFile(recordOf(box.dest, "P.zip")), recordBefore);
                EXPECT_FALSE(done.text(key::Reason).value_or(QString()).isEmpty());
            } else {
                EXPECT_EQ(readFile(box.dest + "/Runtime/mine.txt"), "v2 mine");
                EXPECT_EQ(readFile(box.dest + "/Runtime/new/added.txt"), "v2 added");
                EXPECT_FALSE(QFile::exists(box.dest + "/Runtime/dropped.txt"));
                const QJsonObject record =
                    QJsonDocument::fromJson(readFile(recordOf(box.dest, "P.zip"))).object();
                EXPECT_EQ(record["files"].toArray().size(), 3);
            }
            EXPECT_EQ(listRecursive(box.work), QStringList());
            // The next command finishes what was left and clears what was
            // staged; uninstalling whatever is there then gives the user's
            // own back.
            {
                InstalledPackages packages(box.dest, testExecutor());
                ASSERT_TRUE(packages.open(LibraryLock::Access::Change).ok());
                const Result<RemovalOutcome> removed = packages.uninstall("P.zip");
                ASSERT_TRUE(removed.ok()) << removed.reason().toStdString();
                EXPECT_TRUE(removed->complete());
            }
            EXPECT_EQ(stagedUnder(box.dest), QStringList());
            EXPECT_EQ(readFile(box.dest + "/Runtime/mine.txt"), "the user's own");
            if (counter.calls < failAt)
                break; // the update never reached this call: every one was failed once
        }
    }
    for (const FileOp op :
         {FileOp::Open, FileOp::Write, FileOp::Sync, FileOp::Rename, FileOp::Link, FileOp::Mkdir})
        EXPECT_GT(endings[op][Before], 0) << int(op) << " fails the update before it is made";
    // What is left to the next command is the clean-up after the change.
    EXPECT_GT(endings[FileOp::Unlink][Unfinished], 0);
    for (const FileOp op : {FileOp::Mkdir, FileOp::Link})
        EXPECT_EQ(endings[op][Unfinished], 0) << int(op);
}

namespace {

// For every call of every kind of file operation, in turn: makes a fresh
// `Box` and prepares it, runs `act` with that call failing (until `act`
// no longer reaches it), then `check`s what is left.
template <typename Box>
void sweepFileOperations(const std::function<void(Box&)>& prepare,
                         const std::function<void(Box&)>& act,
                         const std::function<void(Box&)>& check) {
    using library::FileOp;
    for (const FileOp op : {FileOp::Open, FileOp::Read, FileOp::Write, FileOp::Sync, FileOp::Rename,
                            FileOp::Link, FileOp::Unlink, FileOp::Mkdir}) {
        for (int failAt = 1;; ++failAt) {
            SCOPED_TRACE(
                QStringLiteral("operation %1, call %2").arg(int(op)).arg(failAt).toStdString());
            Box box; // made and synced thousands of times
            prepare(box);
            int calls = 0;
            library::setFaultInjection(
                [&](FileOp called) { return called == op && ++calls == failAt ? EIO : 0; });
            act(box);
            library::setFaultInjection(nullptr);
            check(box);
            if (calls < failAt)
                break;
        }
    }
}

} // namespace

// A repair that fails at any file operation loses none of the user's
// edits: each is in place, or kept where the repair says, and the package
// is as it was or repaired.
TEST(LibraryFaults, ARepairThatFailsKeepsTheUsersEdits) {
    struct Box : Library {
        Box()
            : Library(fastScratch()) {}
        RepairReport report;
        Status ran;
    };
    const QStringList names{"a", "b", "c"};
    sweepFileOperations<Box>(
        [&](Box& box) {
            ZipWriter zip;
            for (const QString& name : names)
                zip.addFile(("Runtime/" + name + ".txt").toUtf8(), "P's " + name.toUtf8());
            box.add("P.zip", zip);
            ASSERT_EQ(runInstaller(box.job({box.analysed("P.zip")})).items.at(0).state(),
                      ItemState::Installed);
            for (const QString& name : names)
                writeFile(box.dest + "/Runtime/" + name + ".txt", "edit of " + name.toUtf8());
        },
        [&](Box& box) {
            box.ran = repairPackages(box.dest, {"P.zip"}, box.source, box.work, testExecutor(),
                                     &box.report);
        },
        [&](Box& box) {
            QMap<QString, QString> keptAs;
            for (const RepairOutcome& outcome : box.report.packages) {
                for (qsizetype i = 0; i < outcome.keptFrom.size(); ++i)
                    keptAs.insert(outcome.keptFrom[i], outcome.keptAs[i]);
            }
            for (const QString& name : names) {
                const QString path = box.dest + "/Runtime/" + name + ".txt";
                const QByteArray edit = "edit of " + name.toUtf8();
                if (readFile(path) == edit)
                    continue;
                EXPECT_EQ(readFile(path), "P's " + name.toUtf8());
                ASSERT_TRUE(keptAs.contains(path)) << path.toStdString();
                EXPECT_EQ(readFile(keptAs.value(path)), edit);
            }
            // The next command leaves nothing staged.
            EXPECT_TRUE(uninstallFrom(box.dest, "P.zip").ok());
            EXPECT_EQ(stagedUnder(box.dest), QStringList());
        });
}

// Three packages over the user's file, the top one's changed by the user:
// taking the middle one out fails at any file operation without losing a
// layer (the stack is as it was, or without it), and taking the others out
// then leaves the user's edit in place and the user's own file beside it.
TEST(LibraryFaults, AnUninstallThatFailsLosesNoLayer) {
    struct Box : Library {
        Box()
            : Library(fastScratch()) {}
        Result<RemovalOutcome> removed = fail(QString());
    };
    sweepFileOperations<Box>(
        [](Box& box) {
            writeFile(box.dest + "/Runtime/f.txt", "the user's");
            installFiles(box, "A.zip", {{"Runtime/f.txt", "A\'s"}});
            installFiles(box, "B.zip", {{"Runtime/f.txt", "B\'s"}});
            installFiles(box, "C.zip", {{"Runtime/f.txt", "C\'s"}});
            writeFile(box.dest + "/Runtime/f.txt", "edited");
        },
        [](Box& box) { box.removed = uninstallFrom(box.dest, "B.zip"); },
        [](Box& box) {
            const bool gone = !QFile::exists(recordOf(box.dest, "B.zip"));
            EXPECT_EQ(gone, box.removed.ok()) << box.removed.reason().toStdString();
            EXPECT_EQ(readFile(box.dest + "/Runtime/f.txt"), "edited");
            for (const QString name : {"B.zip", "C.zip", "A.zip"}) {
                if (QFile::exists(recordOf(box.dest, name))) {
                    EXPECT_TRUE(uninstallFrom(box.dest, name).ok()) << name.toStdString();
                }
            }
            EXPECT_EQ(readFile(box.dest + "/Runtime/f.txt"), "edited");
            EXPECT_EQ(readFile(box.dest + "/Runtime/f (original).txt"), "the user's");
            EXPECT_EQ(stagedUnder(box.dest), QStringList());
        });
}

// A journal left by a run that ended while taking a package out: replayed,
// it removes the package's file only while it is as the package wrote it.
TEST(LibraryFaults, AReplayedRemovalSparesAFileEditedSince) {
    struct Row {
        const char* name;
        QByteArray edit; // what the user wrote into the file meanwhile, if anything
        bool removed;
    };
    for (const Row& row : std::vector<Row>{{"as the package wrote it", {}, true},
                                           {"edited since", "the user's edit", false}}) {
        SCOPED_TRACE(row.name);
        TwoPackages box;
        const QString record = QFileInfo(recordOf(box.dest, "A.zip")).fileName();
        const QFileInfo file(box.dest + "/Runtime/a.txt");
        const QJsonObject expected{{"size", 1},
                                   {"crc32", qint64(ZipWriter::crc32Of("a"))},
                                   {"modified", file.lastModified().toSecsSinceEpoch()}};
        const auto at = [](const QString& path) { return QJsonObject{{"path", path}}; };
        writeFile(
            box.dest + "/.packshelf/journal-1-r.json",
            journalBytes(
                {QJsonObject{{"step", "moveAside"},
                             {"path", at("Runtime/a.txt")},
                             {"aside", at("Runtime/.packshelf-partial-1-a")},
                             {"expected", expected}},
                 QJsonObject{
                     {"step", "dropRecord"}, {"name", record}, {"aside", ".packshelf-partial-1-r"}},
                 QJsonObject{{"step", "discard"}, {"path", at("Runtime/.packshelf-partial-1-a")}},
                 QJsonObject{{"step", "discard"},
                             {"path", at(".packshelf/.packshelf-partial-1-r")}}}));
        if (!row.edit.isEmpty())
            writeFile(file.filePath(), row.edit);
        const CliResult recovered = runCli({"recover", box.dest});
        EXPECT_EQ(recovered.exitCode, 0) << recovered.err.toStdString();
        EXPECT_EQ(QFile::exists(file.filePath()), !row.removed);
        if (!row.removed) {
            EXPECT_EQ(readFile(file.filePath()), row.edit);
        }
        EXPECT_TRUE(recovered.out.contains(row.removed ? "\"FINISHED\"" : "\"UNDONE\""))
            << recovered.out.toStdString();
        EXPECT_EQ(runCli({"installed", box.dest}).out.contains("A.zip"), !row.removed);
        EXPECT_EQ(stagedUnder(box.dest), QStringList());
    }
}
