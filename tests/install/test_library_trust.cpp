// The library's memory is trusted only as far as it is checked: hostile or
// damaged records and journals, links in the library, copies and moves, and
// a commit step that fails never reach outside the library nor lose a file.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <fcntl.h>
#include <functional>
#include <map>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

#include "install/InstalledPackages.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"
#include "install/transaction/LibraryTransaction.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

CliResult installOne(const Library& box, const QString& name, const QString& dest = QString()) {
    const QString single = box.dir.filePath("single");
    QDir(single).removeRecursively();
    QDir().mkpath(single);
    QFile::copy(box.source + "/" + name, single + "/" + name);
    return runCli({"install", single, dest.isEmpty() ? box.dest : dest, "--work", box.work});
}

// The record file of `archive` in the library `dest`.
QString recordOf(const QString& dest, const QString& archive) {
    QDirIterator it(dest + "/.packshelf", {"*.json"}, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        if (QJsonDocument::fromJson(readFile(path))["archive"].toString() == archive)
            return path;
    }
    return {};
}

void editRecord(const QString& dest, const QString& archive,
                const std::function<void(QJsonObject&)>& edit) {
    const QString path = recordOf(dest, archive);
    QJsonObject record = QJsonDocument::fromJson(readFile(path)).object();
    edit(record);
    writeFile(path, QJsonDocument(record).toJson());
}

// A journal as the program writes it: its body, then its digest.
QByteArray journalBytes(const QJsonArray& steps) {
    const QByteArray body =
        QJsonDocument(QJsonObject{{"format", 2}, {"steps", steps}}).toJson(QJsonDocument::Compact);
    return body + "\nend " + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() +
           "\n";
}

// Every staged name below a folder, the records folder included.
QStringList stagedUnder(const QString& folder) {
    QStringList staged;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isStagingName(it.fileName()))
            staged << QDir(folder).relativeFilePath(path);
    }
    return staged;
}

// A library holding A (one new file) and C (a new file, and one that
// replaced the user's own), with a folder outside it that holds files of
// the same names and content.
struct TwoPackages : Library {
    QString outside = dir.filePath("outside");

    TwoPackages() {
        writeFile(dest + "/Runtime/shared.txt", "the user's own");
        add("A.zip", ZipWriter().addFile("Runtime/a.txt", "a"));
        add("B.zip", ZipWriter().addFile("Runtime/b.txt", "b"));
        add("C.zip",
            ZipWriter().addFile("Runtime/c.txt", "c").addFile("Runtime/shared.txt", "C's"));
        writeFile(outside + "/Runtime/a.txt", "a");
        writeFile(outside + "/Runtime/c.txt", "c");
        writeFile(outside + "/dir/keep.txt", "keep");
        EXPECT_EQ(installOne(*this, "A.zip").exitCode, 0);
        EXPECT_EQ(installOne(*this, "C.zip").exitCode, 0);
        QDir(dir.filePath("single")).removeRecursively();
    }
};

} // namespace

TEST(LibraryTrust, HostileOrDamagedMemoryNeverReachesOutside) {
    struct Row {
        const char* name;
        std::function<void(TwoPackages&)> prepare;
        QStringList command; // DEST is inserted after the first word
        int exitCode;
        QString said; // on stderr
        std::function<void(TwoPackages&)> check;
    };
    const auto unchanged = [](TwoPackages&) {};
    const auto libraryFile = [](const QString& path, const QByteArray& content) {
        return [path, content](TwoPackages& box) {
            EXPECT_EQ(readFile(box.dest + "/" + path), content) << path.toStdString();
        };
    };
    const std::vector<Row> rows = {
        {"a record of the earlier form whose root is another folder",
         [](TwoPackages& box) {
             editRecord(box.dest, "C.zip", [&](QJsonObject& record) {
                 record.remove("destination");
                 record["root"] = box.outside;
             });
         },
         {"uninstall", "C.zip"},
         0,
         "",
         libraryFile("Runtime/shared.txt", "the user's own")},
        {"a record whose folder climbs out",
         [](TwoPackages& box) {
             editRecord(box.dest, "C.zip", [&](QJsonObject& record) {
                 record["folders"] = QJsonArray{"../outside/dir"};
             });
         },
         {"uninstall", "C.zip"},
         2,
         "not installed",
         libraryFile("Runtime/c.txt", "c")},
        {"a record whose file path climbs out",
         [](TwoPackages& box) {
             editRecord(box.dest, "A.zip", [&](QJsonObject& record) {
                 QJsonArray files = record["files"].toArray();
                 QJsonObject file = files[0].toObject();
                 file["path"] = "../outside/Runtime/a.txt";
                 files[0] = file;
                 record["files"] = files;
             });
         },
         {"uninstall", "A.zip"},
         2,
         "a file entry is not valid",
         libraryFile("Runtime/a.txt", "a")},
        {"a record whose destination is not its plan's",
         [](TwoPackages& box) {
             editRecord(box.dest, "A.zip",
                        [&](QJsonObject& record) { record["destination"] = box.outside; });
         },
         {"uninstall", "A.zip"},
         2,
         "its destination is not valid",
         unchanged},
        {"a journal of the earlier form that removes a folder outside",
         [](TwoPackages& box) {
             writeFile(box.dest + "/.packshelf/journal-1-x.json",
                       QJsonDocument(
                           QJsonObject{
                               {"steps", QJsonArray{QJsonObject{
                                             {"step", "removeTree"},
                                             {"path", QJsonObject{{"root", box.dest},
                                                                  {"path", "../outside/dir"}}}}}}})
                           .toJson());
         },
         {"uninstall", "A.zip"},
         1,
         "journal-1-x.json cannot be read or carried out",
         libraryFile("Runtime/a.txt", "a")},
        {"a journal that renames into a destination no record names",
         [](TwoPackages& box) {
             writeFile(box.outside + "/.packshelf-partial-1-x", "staged");
             writeFile(box.dest + "/.packshelf/journal-1-y.json",
                       journalBytes(
                           {QJsonObject{{"step", "rename"},
                                        {"phase", "commit"},
                                        {"path", QJsonObject{{"destination", box.outside},
                                                             {"path", ".packshelf-partial-1-x"}}},
                                        {"to", QJsonObject{{"destination", box.outside},
                                                           {"path", "dir/keep.txt"}}}}}));
         },
         {"install", "B.zip"},
         1,
         "journal-1-y.json cannot be read or carried out",
         [](TwoPackages& box) { EXPECT_FALSE(QFile::exists(box.dest + "/Runtime/b.txt")); }},
        {"a journal that renames a user's file",
         [](TwoPackages& box) {
             writeFile(box.dest + "/mine.txt", "mine");
             writeFile(box.dest + "/.packshelf/journal-1-z.json",
                       journalBytes({QJsonObject{{"step", "rename"},
                                                 {"phase", "commit"},
                                                 {"path", QJsonObject{{"path", "mine.txt"}}},
                                                 {"to", QJsonObject{{"path", "Runtime/a.txt"}}}}}));
         },
         {"uninstall", "A.zip"},
         1,
         "not the library's to change",
         libraryFile("mine.txt", "mine")},
        {"a records folder that is a link",
         [](TwoPackages& box) {
             QDir().rename(box.dest + "/.packshelf", box.outside + "/records");
             QFile::link(box.outside + "/records", box.dest + "/.packshelf");
         },
         {"install", "B.zip"},
         1,
         "it must be a folder",
         [](TwoPackages& box) { EXPECT_FALSE(QFile::exists(box.dest + "/Runtime/b.txt")); }},
        {"a backup folder that is a link",
         [](TwoPackages& box) {
             QDir().rename(box.dest + "/.packshelf/backup", box.outside + "/backup");
             QFile::link(box.outside + "/backup", box.dest + "/.packshelf/backup");
         },
         {"uninstall", "C.zip"},
         1,
         "kept ",
         libraryFile("Runtime/shared.txt", "C's")},
        {"a library folder replaced by a link",
         [](TwoPackages& box) {
             QDir().rename(box.dest + "/Runtime", box.outside + "/moved");
             QFile::link(box.outside + "/moved", box.dest + "/Runtime");
         },
         {"uninstall", "A.zip"},
         1,
         "Runtime/a.txt",
         unchanged},
        {"a library that cannot be written to",
         [](TwoPackages& box) {
             for (const QString& folder :
                  {box.dest + "/Runtime", box.dest + "/.packshelf", box.dest})
                 QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
         },
         {"uninstall-unprivileged", "A.zip"},
         1,
         "Permission denied",
         [](TwoPackages& box) {
             for (const QString& folder :
                  {box.dest, box.dest + "/Runtime", box.dest + "/.packshelf"})
                 QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner);
             EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "a");
             const CliResult listed = runCli({"installed", box.dest});
             EXPECT_TRUE(listed.out.contains("A.zip")) << "still installed, as nothing was removed";
         }},
        {"a missing backup",
         [](TwoPackages& box) {
             QDirIterator it(box.dest + "/.packshelf/backup", {"shared.txt"}, QDir::Files,
                             QDirIterator::Subdirectories);
             ASSERT_TRUE(it.hasNext());
             QFile::remove(it.next());
         },
         {"uninstall", "C.zip"},
         1,
         "its backup is missing",
         [](TwoPackages& box) {
             EXPECT_EQ(readFile(box.dest + "/Runtime/shared.txt"), "C's");
             EXPECT_FALSE(QFile::exists(box.dest + "/Runtime/c.txt"));
             EXPECT_TRUE(runCli({"installed", box.dest}).out.contains("C.zip"))
                 << "the file it could not take out stays recorded";
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TwoPackages box;
        row.prepare(box);
        const FolderSnapshot outside = box.surroundings();
        QStringList arguments = row.command;
        arguments.insert(1, box.dest);
        if (arguments[0] == "install") {
            const CliResult result = installOne(box, arguments[2]);
            EXPECT_EQ(result.exitCode, row.exitCode) << result.err.toStdString();
            EXPECT_TRUE(result.err.contains(row.said.toUtf8())) << result.err.toStdString();
        } else {
            if (arguments[0] == "uninstall-unprivileged") {
                // A program started by root gets its privileges back: this
                // one runs here, subject to the folders' permissions.
                {
                    InstalledPackages packages(box.dest);
                    ASSERT_TRUE(packages.open(LibraryRecords::Access::Change));
                    PermissionsEnforced enforced;
                    QStringList problems;
                    const RemovalOutcome outcome = packages.uninstall(arguments[2], &problems);
                    EXPECT_EQ(outcome.removed + outcome.restored, 0)
                        << "nothing is counted that did not happen";
                    EXPECT_TRUE(problems.join(' ').contains(row.said))
                        << problems.join(' ').toStdString();
                }
                row.check(box);
                continue;
            }
            const CliResult result = runCli(arguments);
            EXPECT_EQ(result.exitCode, row.exitCode) << result.err.toStdString();
            EXPECT_TRUE(result.err.contains(row.said.toUtf8())) << result.err.toStdString();
        }
        QDir(box.dir.filePath("single")).removeRecursively();
        EXPECT_EQ(FolderSnapshot::differences(outside, box.surroundings()), QStringList())
            << "nothing outside the library changes";
        row.check(box);
    }
}

// A journal that cannot be read may hold the only way back: nothing is
// removed, every command that would change the library refuses, listing
// still works, and recover sets it aside without losing anything.
TEST(LibraryTrust, AnUnreadableJournalKeepsEverythingUntilRecovered) {
    const QByteArray whole = journalBytes({QJsonObject{
        {"step", "rename"},
        {"phase", "commit"},
        {"path", QJsonObject{{"path", "Runtime/.packshelf-partial-1-new"}}},
        {"to", QJsonObject{{"path", "Runtime/shared.txt"}}},
        {"original", QJsonObject{{"path", ".packshelf/.packshelf-partial-1-k/shared"}}}}});
    for (const QByteArray& damaged :
         {whole.left(whole.size() / 2), QByteArray(), QByteArray("\x89garbage\x00\x01", 11),
          QByteArray(whole).replace("shared.txt", "shared.TXT")}) {
        SCOPED_TRACE(damaged.left(40).toStdString());
        TwoPackages box;
        // What a killed commit left: a staged file, the kept original, the journal.
        writeFile(box.dest + "/Runtime/.packshelf-partial-1-new", "new");
        writeFile(box.dest + "/.packshelf/.packshelf-partial-1-k/shared", "the only copy");
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

        const CliResult recovered = runCli({"recover", box.dest});
        EXPECT_EQ(recovered.exitCode, 0) << recovered.err.toStdString();
        EXPECT_TRUE(recovered.out.contains("journal-1-k.json"));
        EXPECT_TRUE(recovered.out.contains("Runtime/.packshelf-partial-1-new"))
            << "the staged file left in place is named";
        QDirIterator kept(box.dest + "/.packshelf", {"shared"}, QDir::Files | QDir::Hidden,
                          QDirIterator::Subdirectories);
        ASSERT_TRUE(kept.hasNext());
        EXPECT_EQ(readFile(kept.next()), "the only copy");
        EXPECT_EQ(installOne(box, "B.zip").exitCode, 0) << "the library can be changed again";
        EXPECT_EQ(readFile(box.dest + "/Runtime/shared.txt"), "C's");
    }
}

// Every step of the commit fails once, in turn: the library ends as the
// old package or the new one, its record agrees, and nothing staged is left.
TEST(LibraryTrust, ACommitStepThatFailsLeavesTheOldOrTheNewPackage) {
    struct Counter {
        library::FileOp op;
        int failAt = 0;
        int calls = 0;
    };
    std::map<library::FileOp, int> failures;
    for (const library::FileOp op : {library::FileOp::Rename, library::FileOp::Link,
                                     library::FileOp::Unlink, library::FileOp::Sync}) {
        for (int failAt = 1;; ++failAt) {
            SCOPED_TRACE(
                QStringLiteral("operation %1, call %2").arg(int(op)).arg(failAt).toStdString());
            Library box;
            writeFile(box.dest + "/Runtime/mine.txt", "the user's own");
            box.add("P.zip", ZipWriter()
                                 .addFile("Runtime/mine.txt", "v1 mine")
                                 .addFile("Runtime/kept.txt", "v1 kept")
                                 .addFile("Runtime/dropped.txt", "v1 dropped"));
            ASSERT_EQ(installOne(box, "P.zip").exitCode, 0);
            box.add("P.zip", ZipWriter()
                                 .addFile("Runtime/mine.txt", "v2 mine")
                                 .addFile("Runtime/kept.txt", "v2 kept")
                                 .addFile("Runtime/new/added.txt", "v2 added"));
            const FolderSnapshot before = FolderSnapshot::of(box.dest);
            const QByteArray recordBefore = readFile(recordOf(box.dest, "P.zip"));
            const ArchiveItem item = box.analysed("P.zip");
            Counter counter{op, failAt};
            library::setFaultInjection([&counter](library::FileOp called) {
                return called == counter.op && ++counter.calls == counter.failAt ? EIO : 0;
            });
            const InstallRecording run = runInstaller(box.job({item}));
            library::setFaultInjection(nullptr);
            const bool installed = run.items[0].state() == ItemState::Installed;
            failures[op] += installed ? 0 : 1;
            if (!installed) {
                EXPECT_EQ(FolderSnapshot::differences(before, FolderSnapshot::of(box.dest)),
                          QStringList());
                EXPECT_EQ(readFile(recordOf(box.dest, "P.zip")), recordBefore);
            } else {
                EXPECT_EQ(readFile(box.dest + "/Runtime/mine.txt"), "v2 mine");
                EXPECT_EQ(readFile(box.dest + "/Runtime/new/added.txt"), "v2 added");
                const QJsonObject record =
                    QJsonDocument::fromJson(readFile(recordOf(box.dest, "P.zip"))).object();
                EXPECT_EQ(record["files"].toArray().size(), 3);
                // A removal that failed keeps the old file; nothing is torn.
                const QByteArray dropped = readFile(box.dest + "/Runtime/dropped.txt");
                EXPECT_TRUE(dropped.isEmpty() || dropped == "v1 dropped");
                EXPECT_EQ(dropped.isEmpty(), !run.items[0].text(key::Warning))
                    << "a file that could not be taken out is named";
            }
            EXPECT_EQ(stagedUnder(box.dest), QStringList());
            EXPECT_EQ(listRecursive(box.work), QStringList());
            // Uninstalling whatever is there gives the user's own back.
            EXPECT_EQ(runCli({"uninstall", box.dest, "P.zip"}).exitCode, 0);
            EXPECT_EQ(readFile(box.dest + "/Runtime/mine.txt"), "the user's own");
            if (counter.calls < failAt)
                break; // the commit never reached this call: every one was failed once
        }
    }
    // Renames, links and syncs belong to the commit; an unlink only to the
    // clean-up after it.
    EXPECT_GT(failures[library::FileOp::Rename], 3);
    EXPECT_GT(failures[library::FileOp::Link], 0);
    EXPECT_GT(failures[library::FileOp::Sync], 0);
    EXPECT_EQ(failures[library::FileOp::Unlink], 0);
}

// A library copied or moved acts where it is now and never where it was,
// also with records of the earlier form that named it by its old path.
TEST(LibraryTrust, ACopiedOrMovedLibraryActsWhereItIs) {
    for (const bool earlierForm : {false, true}) {
        SCOPED_TRACE(earlierForm ? "records of the earlier form" : "records as written now");
        TwoPackages box;
        if (earlierForm) {
            for (const QString archive : {"A.zip", "C.zip"}) {
                editRecord(box.dest, archive, [&](QJsonObject& record) {
                    record.remove("destination");
                    record["root"] = box.dest;
                });
            }
        }
        const QString copy = box.dir.filePath("copy");
        QProcess::execute("cp", {"-a", box.dest, copy});
        const FolderSnapshot original = FolderSnapshot::of(box.dest);
        const QByteArray originalRecords = readFile(recordOf(box.dest, "C.zip"));
        EXPECT_EQ(runCli({"uninstall", copy, "C.zip"}).exitCode, 0);
        EXPECT_EQ(readFile(copy + "/Runtime/shared.txt"), "the user's own");
        EXPECT_FALSE(QFile::exists(copy + "/Runtime/c.txt"));
        EXPECT_EQ(FolderSnapshot::differences(original, FolderSnapshot::of(box.dest)),
                  QStringList());
        EXPECT_EQ(readFile(recordOf(box.dest, "C.zip")), originalRecords);

        // Moved: the old path is never made again.
        const QString moved = box.dir.filePath("moved");
        ASSERT_TRUE(QDir().rename(copy, moved));
        EXPECT_EQ(installOne(box, "B.zip", moved).exitCode, 0);
        EXPECT_EQ(runCli({"uninstall", moved, "A.zip", "B.zip"}).exitCode, 0);
        EXPECT_FALSE(QFile::exists(copy));
        EXPECT_EQ(listRecursive(moved), QStringList({"Runtime/", "Runtime/shared.txt"}));
    }
}

// A file the user changed is never lost, whatever the order of uninstalls;
// a folder a package made goes once the last package's files leave it.
TEST(LibraryTrust, UninstallsInEitherOrderKeepTheUsersEditAndLeaveNoFolder) {
    for (const QStringList& order :
         {QStringList{"A.zip", "B.zip"}, QStringList{"B.zip", "A.zip"}}) {
        SCOPED_TRACE(order.join(" then ").toStdString());
        Library box;
        box.add("A.zip",
                ZipWriter().addFile("Runtime/x.txt", "A's x").addFile("Runtime/F/a.txt", "a"));
        box.add("B.zip",
                ZipWriter().addFile("Runtime/x.txt", "B's x").addFile("Runtime/F/b.txt", "b"));
        ASSERT_EQ(installOne(box, "A.zip").exitCode, 0);
        writeFile(box.dest + "/Runtime/x.txt", "the user's edit");
        ASSERT_EQ(installOne(box, "B.zip").exitCode, 0);
        for (const QString& name : order) {
            // A's own x was changed by the user: kept, and said so.
            const bool keepsTheEdit = name == "A.zip" && order[0] == "B.zip";
            const CliResult result = runCli({"uninstall", box.dest, name});
            EXPECT_EQ(result.exitCode, keepsTheEdit ? 1 : 0) << result.err.toStdString();
        }
        EXPECT_EQ(readFile(box.dest + "/Runtime/x.txt"), "the user's edit");
        EXPECT_EQ(listRecursive(box.dest), QStringList({"Runtime/", "Runtime/x.txt"}));
        EXPECT_EQ(stagedUnder(box.dest), QStringList());
    }
}

// Listing reads under a shared lock and says whom it waits for; a change
// waits for a reader and a reader for a change.
TEST(LibraryTrust, ACommandThatWaitsForTheLibrarySaysWho) {
    TwoPackages box;
    const int fd = ::open(QFile::encodeName(box.dest).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    QProcess listing;
    listing.setReadChannel(QProcess::StandardError);
    listing.start(cliPath(), {"installed", box.dest, "--json"});
    ASSERT_TRUE(listing.waitForStarted());
    QByteArray err;
    while (!err.contains("\n") && listing.waitForReadyRead(5000))
        err += listing.readAllStandardError();
    err += listing.readAllStandardError();
    EXPECT_TRUE(err.contains(QStringLiteral("waiting for the library, which process %1 is changing")
                                 .arg(::getpid())
                                 .toUtf8()))
        << err.toStdString();
    EXPECT_FALSE(listing.waitForFinished(300)) << "it waits";
    ::flock(fd, LOCK_UN);
    ASSERT_TRUE(listing.waitForFinished(5000));
    EXPECT_EQ(listing.exitCode(), 0);
    EXPECT_EQ(listing.readAllStandardOutput().count('\n'), 2);
    ::close(fd);
}
