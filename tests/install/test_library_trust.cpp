// The library's memory is trusted only as far as it is checked: hostile or
// damaged records and journals, links in the library, copies and moves, and
// a commit step that fails never reach outside the library nor lose a file.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <array>
#include <fcntl.h>
#include <functional>
#include <future>
#include <map>
#include <optional>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include "install/InstalledPackages.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/CopyPlan.h"
#include "install/plan/InstallPlan.h"
#include "install/records/LibraryLock.h"
#include "install/transaction/LibraryTransaction.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

TEST(LibraryTrust, HostileOrDamagedMemoryNeverReachesOutside) {
    struct Row {
        const char* name;
        std::function<void(TwoPackages&)> prepare;
        QString command; // words; DEST is inserted after the first
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
    // A journal of one hand-written step, whole and of this version: it is
    // refused, and the library stays as it is.
    const auto journalOf = [](const std::function<QJsonObject(TwoPackages&)>& step) {
        return [step](TwoPackages& box) {
            writeFile(box.dest + "/mine.txt", "mine");
            writeFile(box.dest + "/Runtime/.packshelf-partial-1-s", "staged");
            writeFile(box.outside + "/.packshelf-partial-1-s", "staged");
            writeFile(box.dest + "/.packshelf/journal-1-h.json", journalBytes({step(box)}));
        };
    };
    const auto refusedJournal = [&](const char* name,
                                    const std::function<QJsonObject(TwoPackages&)>& step) {
        return Row{name,
                   journalOf(step),
                   "uninstall A.zip",
                   1,
                   "journal-1-h.json cannot be read or carried out",
                   [](TwoPackages& box) {
                       EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "a");
                       EXPECT_EQ(readFile(box.dest + "/mine.txt"), "mine");
                       EXPECT_EQ(readFile(box.dest + "/Runtime/.packshelf-partial-1-s"), "staged");
                       EXPECT_TRUE(QFile::exists(box.dest + "/.packshelf/journal-1-h.json"));
                   }};
    };
    const auto at = [](const QString& path) { return QJsonObject{{"path", path}}; };
    const auto expected = QJsonObject{{"size", 1}, {"crc32", qint64(0xe8b7be43)}, {"modified", 0}};
    const std::vector<Row> rows = {
        {"a record of the earlier form whose root is another folder",
         [](TwoPackages& box) {
             editRecord(box.dest, "C.zip", [&](QJsonObject& record) {
                 record.remove("destination");
                 record["root"] = box.outside;
             });
         },
         "uninstall C.zip", 0, "", libraryFile("Runtime/shared.txt", "the user's own")},
        // A record that cannot be used is named; its package is not
        // "not installed", as its record is there.
        {"a record whose folder climbs out",
         [](TwoPackages& box) {
             editRecord(box.dest, "C.zip", [&](QJsonObject& record) {
                 record["folders"] = QJsonArray{"../outside/dir"};
             });
         },
         "uninstall C.zip", 1, "C.zip: its record", libraryFile("Runtime/c.txt", "c")},
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
         "uninstall A.zip", 1, "a file entry is not valid", libraryFile("Runtime/a.txt", "a")},
        {"a record whose destination is not its plan's",
         [](TwoPackages& box) {
             editRecord(box.dest, "A.zip",
                        [&](QJsonObject& record) { record["destination"] = box.outside; });
         },
         "uninstall A.zip", 1, "its destination is not valid", unchanged},
        {"a record moved by hand into a destination of its own, which no seal proves",
         [](TwoPackages& box) {
             editRecord(box.dest, "A.zip", [&](QJsonObject& record) {
                 record["destination"] = box.outside;
                 record["plan"] = QJsonObject{{"rule", int(CopyPlan::Rule::Direct)},
                                              {"directSource", "Runtime"},
                                              {"directDestination", box.outside}};
             });
         },
         "uninstall A.zip", 1, "needs confirmation for " + QDir(QDir::tempPath()).path(),
         [](TwoPackages& box) {
             EXPECT_EQ(readFile(box.outside + "/Runtime/a.txt"), "a");
             EXPECT_TRUE(runCli({"installed", box.dest}).out.contains("A.zip"));
         }},
        // C set the user's shared.txt aside; with C's record unreadable no
        // version may be taken for unneeded.
        {"a record that cannot be read, while the store is swept",
         [](TwoPackages& box) { writeFile(recordOf(box.dest, "C.zip"), "{ torn"); }, "recover", 0,
         "every set-aside version stays, as a record cannot be read: ",
         [](TwoPackages& box) {
             QStringList kept;
             for (const QString& file : filesUnder(box.dest + "/.packshelf/store"))
                 kept << readFile(file);
             EXPECT_TRUE(kept.contains("the user's own")) << kept.join(", ").toStdString();
         }},
        refusedJournal("a journal that discards a folder of the library",
                       [&](TwoPackages&) {
                           return QJsonObject{{"step", "discard"}, {"path", at("Runtime")}};
                       }),
        refusedJournal("a journal that places what it did not stage",
                       [&](TwoPackages&) {
                           return QJsonObject{{"step", "placeFile"},
                                              {"target", at("Runtime/a.txt")},
                                              {"staged", "mine.txt"},
                                              {"original", ""},
                                              {"inode", 1}};
                       }),
        refusedJournal("a journal that moves a file aside without knowing it",
                       [&](TwoPackages&) {
                           return QJsonObject{{"step", "moveAside"},
                                              {"path", at("mine.txt")},
                                              {"aside", at(".packshelf-partial-1-x")}};
                       }),
        refusedJournal("a journal that moves a file somewhere else",
                       [&](TwoPackages&) {
                           return QJsonObject{{"step", "moveAside"},
                                              {"path", at("Runtime/a.txt")},
                                              {"aside", at("Data/a.txt")},
                                              {"expected", expected}};
                       }),
        refusedJournal("a journal that places a folder among the records",
                       [&](TwoPackages&) {
                           return QJsonObject{{"step", "placeFolder"},
                                              {"target", at(".packshelf/store")},
                                              {"staged", ".packshelf-partial-1-s"},
                                              {"inode", 1}};
                       }),
        refusedJournal("a journal that places a record outside the records",
                       [&](TwoPackages&) {
                           return QJsonObject{{"step", "placeRecord"},
                                              {"name", "../mine.json"},
                                              {"staged", ".packshelf-partial-1-s"},
                                              {"original", ""}};
                       }),
        refusedJournal("a journal that drops a record to a name of its own",
                       [&](TwoPackages& box) {
                           return QJsonObject{
                               {"step", "dropRecord"},
                               {"name", QFileInfo(recordOf(box.dest, "A.zip")).fileName()},
                               {"aside", "kept.json"}};
                       }),
        refusedJournal(
            "a journal that removes the records folder",
            [&](TwoPackages&) {
                return QJsonObject{{"step", "removeEmptyFolder"}, {"path", at(".packshelf")}};
            }),
        refusedJournal("a journal that drops no version",
                       [&](TwoPackages&) {
                           return QJsonObject{{"step", "dropVersion"}, {"version", "../store"}};
                       }),
        refusedJournal("a journal that places into a destination no seal proves",
                       [&](TwoPackages& box) {
                           return QJsonObject{{"step", "placeFile"},
                                              {"target", QJsonObject{{"destination", box.outside},
                                                                     {"path", "dir/keep.txt"}}},
                                              {"staged", ".packshelf-partial-1-s"},
                                              {"original", ""},
                                              {"inode", 1}};
                       }),
        refusedJournal("a journal of a step of no known kind",
                       [&](TwoPackages&) {
                           return QJsonObject{{"step", "removeTree"}, {"path", at("Runtime")}};
                       }),
        {"a staging log that names folders outside the library",
         [](TwoPackages& box) {
             writeFile(box.outside + "/dir/.packshelf-partial-1-x", "not the library's");
             writeFile(
                 box.dest + "/.packshelf/.packshelf-partial-1-x.staged",
                 ("destination " + box.outside + "\ndir\n../outside/dir\n" + box.outside + "/dir\n")
                     .toUtf8());
         },
         "recover", 0, "",
         [](TwoPackages& box) {
             EXPECT_TRUE(QFile::exists(box.outside + "/dir/.packshelf-partial-1-x"));
         }},
        {"a records folder that is a link",
         [](TwoPackages& box) {
             QDir().rename(box.dest + "/.packshelf", box.outside + "/records");
             QFile::link(box.outside + "/records", box.dest + "/.packshelf");
         },
         "install B.zip", 1, "it must be a folder",
         [](TwoPackages& box) { EXPECT_FALSE(QFile::exists(box.dest + "/Runtime/b.txt")); }},
        {"a store of versions that is a link",
         [](TwoPackages& box) {
             QDir().rename(box.dest + "/.packshelf/store", box.outside + "/store");
             QFile::link(box.outside + "/store", box.dest + "/.packshelf/store");
         },
         "uninstall C.zip", 1, "C.zip not uninstalled", libraryFile("Runtime/shared.txt", "C's")},
        {"a backup folder of the earlier form that is a link",
         [](TwoPackages& box) {
             QDir().mkpath(box.outside + "/backup");
             QFile::link(box.outside + "/backup", box.dest + "/.packshelf/backup");
         },
         "uninstall A.zip", 1, "it must be a folder", libraryFile("Runtime/a.txt", "a")},
        {"a library folder replaced by a link",
         [](TwoPackages& box) {
             QDir().rename(box.dest + "/Runtime", box.outside + "/moved");
             QFile::link(box.outside + "/moved", box.dest + "/Runtime");
         },
         "uninstall A.zip", 1, "Runtime/a.txt", unchanged},
        {"a library that cannot be written to",
         [](TwoPackages& box) {
             for (const QString& folder :
                  {box.dest + "/Runtime", box.dest + "/.packshelf", box.dest})
                 QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
         },
         "uninstall-unprivileged A.zip", 1, "Permission denied",
         [](TwoPackages& box) {
             for (const QString& folder :
                  {box.dest, box.dest + "/Runtime", box.dest + "/.packshelf"})
                 QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner);
             EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "a");
             const CliResult listed = runCli({"installed", box.dest});
             EXPECT_TRUE(listed.out.contains("A.zip")) << "still installed, as nothing was removed";
         }},
        {"a version missing from the store",
         [](TwoPackages& box) {
             const QStringList stored = filesUnder(box.dest + "/.packshelf/store");
             ASSERT_FALSE(stored.isEmpty());
             QFile::remove(stored.first());
         },
         "uninstall C.zip", 1, "its earlier version is missing from the library's store",
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
        // Everything but the library, and the library's own records too:
        // nothing read from them may write there but the library.
        const FolderSnapshot outside = box.surroundings();
        QStringList arguments = row.command.split(' ');
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
                    InstalledPackages packages(box.dest, testExecutor());
                    PermissionsEnforced enforced;
                    const Status opened = packages.open(LibraryLock::Access::Change);
                    const Result<RemovalOutcome> outcome =
                        opened ? packages.uninstall(arguments[2])
                               : Result<RemovalOutcome>(opened.failure());
                    EXPECT_FALSE(outcome.ok()) << "nothing is counted that did not happen";
                    EXPECT_TRUE(outcome.reason().contains(row.said) ||
                                packages.problems().join(' ').contains(row.said))
                        << outcome.reason().toStdString();
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
// Readers share the library; a change waits for every reader and a reader
// for a change, and whoever waits says for whom.
TEST(LibraryTrust, ACommandThatWaitsForTheLibrarySaysWho) {
    struct Row {
        const char* name;
        int heldLock;
        QStringList command;
        const char* heldBy; // "" when the command does not wait
        int linesOut;
    };
    const std::vector<Row> rows = {
        {"a listing waits for a change", LOCK_EX, {"installed", "--json"}, "changing", 2},
        {"a listing shares with a reader", LOCK_SH, {"installed", "--json"}, "", 2},
        {"an uninstall waits for a reader",
         LOCK_SH,
         {"uninstall", "A.zip", "--json"},
         "reading",
         1},
        {"an uninstall waits for a change",
         LOCK_EX,
         {"uninstall", "A.zip", "--json"},
         "changing",
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TwoPackages box;
        const int fd = ::open(QFile::encodeName(box.dest).constData(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(::flock(fd, row.heldLock), 0);
        QStringList arguments = row.command;
        arguments.insert(1, box.dest);
        QProcess command;
        command.setReadChannel(QProcess::StandardError);
        command.start(cliPath(), arguments);
        ASSERT_TRUE(command.waitForStarted());
        if (*row.heldBy == 0) {
            EXPECT_TRUE(command.waitForFinished(10000)) << "it does not wait";
        } else {
            QByteArray err;
            while (!err.contains("\n") && command.waitForReadyRead(5000))
                err += command.readAllStandardError();
            err += command.readAllStandardError();
            EXPECT_TRUE(
                err.contains(QStringLiteral("waiting for the library, which process %1 is %2")
                                 .arg(::getpid())
                                 .arg(row.heldBy)
                                 .toUtf8()))
                << err.toStdString();
            EXPECT_FALSE(command.waitForFinished(300)) << "it waits";
            EXPECT_TRUE(QFile::exists(box.dest + "/Runtime/a.txt"));
        }
        ::flock(fd, LOCK_UN);
        ::close(fd);
        ASSERT_TRUE(command.state() == QProcess::NotRunning || command.waitForFinished(10000));
        EXPECT_EQ(command.exitCode(), 0) << command.readAllStandardError().toStdString();
        EXPECT_EQ(command.readAllStandardOutput().count('\n'), row.linesOut);
    }
    // Waiting on a change of its own process (the window's listing behind
    // its install), it names no process number.
    TwoPackages box;
    std::optional<LibraryLock> install(std::in_place, box.dest);
    ASSERT_TRUE(install->acquire(LibraryLock::Access::Change).ok());
    std::promise<QString> heard;
    std::thread listing([&] {
        LibraryLock reading(box.dest);
        EXPECT_TRUE(reading
                        .acquire(LibraryLock::Access::Read,
                                 [&](const QString& line) { heard.set_value(line); })
                        .ok());
    });
    std::future<QString> line = heard.get_future();
    const bool said = line.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    install.reset();
    listing.join();
    ASSERT_TRUE(said);
    EXPECT_EQ(line.get(), "waiting for the library, which this PackShelf itself is changing");
}

// An archive never writes among the library's records, in any letter case
// or below a staging name: it is refused before anything of it is written,
// the records themselves included.
TEST(LibraryTrust, AnArchiveThatWritesAmongTheRecordsIsRefused) {
    struct Row {
        const char* entry;
        const char* reason;
    };
    for (const Row& row :
         std::vector<Row>{{".packshelf/planted.json", "a name PackShelf keeps for its records"},
                          {".PackShelf/store/00/planted", "a name PackShelf keeps for its records"},
                          {"Runtime/.packshelf-partial-1-x",
                           "a name PackShelf keeps for files being written"}}) {
        SCOPED_TRACE(row.entry);
        TwoPackages box;
        box.add("Hostile.zip",
                ZipWriter().addFile("Runtime/ok.txt", "ok").addFile(row.entry, "planted"));
        const FolderSnapshot before = FolderSnapshot::of(box.dest, Records::Seen);
        const CliResult result = installOne(box, "Hostile.zip");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains(row.reason)) << result.err.toStdString();
        EXPECT_EQ(FolderSnapshot::differences(before, FolderSnapshot::of(box.dest, Records::Seen)),
                  QStringList());
    }
}
