#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <functional>
#include <sys/mount.h>
#include <thread>

#include "analysis/ManualChoice.h"
#include "install/Installer.h"
#include "install/ItemHandOver.h"
#include "install/plan/CopyPlan.h"
#include "install/plan/InstallPlan.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

QByteArray everyByte() {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes.repeated(5);
}

ZipWriter::Entry damagedEntry(const QByteArray& name) {
    ZipWriter::Entry entry = ZipWriter::entry(name, "some data that fails its check");
    entry.crc = 0x12345678;
    return entry;
}

QStringList states(const std::vector<ArchiveItem>& items) {
    QStringList result;
    for (const ArchiveItem& item : items) {
        result << QStringLiteral("%1 %2 %3 %4")
                      .arg(item.fileName())
                      .arg(item.state())
                      .arg(item.integer(key::Error))
                      .arg(item.text(key::Info).value_or("-"));
    }
    return result;
}

} // namespace

// The rules the installer tests do not reach through an archive.
TEST(CopyPlan, RuleTable) {
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"HASRUNTIME=1 HASDATA=1 RUNTIMEPATH=Pack DATAPATH=Pack", "RuntimeAndData Pack - - -"},
        {"HASRUNTIME=1 HASDATA=1 RUNTIMEPATH=A DATAPATH=a", "RuntimeAndData A a - -"},
        {"HASRUNTIME=1 HASDATA=1 RUNTIMEPATH=A", "RuntimeAndData A - - -"},
        {"HASRUNTIME=1 HASDATA=0 RUNTIMEPATH=A DATAPATH=B", "Runtime A - - -"},
        {"HASFORCED=1 HASDIRECT=1 FORCEDPATH=F DIRECTPATH=/lib DIRECTPATHSRC=X", "Forced F - - -"},
        {"HASRUNTIME=2 HASDATA=-1 HASDIRECT=1 RUNTIMEPATH=A DIRECTPATH=/lib DIRECTPATHSRC=S/A",
         "Direct - - S/A /lib"},
        {"HASDIRECT=1 DIRECTPATHSRC=X", "Direct - - X -"},
        {"RUNTIMEPATH=A", "Nothing - - - -"},
    };
    const char* const rules[] = {"",       "RuntimeAndData", "Runtime", "Data",
                                 "Forced", "Direct",         "Nothing"};
    for (const auto& [keys, expected] : rows) {
        ArchiveItem item = ArchiveItem::create("Pack.zip");
        for (const QString& pair : QString(keys).split(' ')) {
            const QString name = pair.section('=', 0, 0);
            if (name.startsWith("HAS"))
                item.setInteger(name, pair.section('=', 1).toInt());
            else
                item.setText(name, pair.section('=', 1));
        }
        const CopyPlan plan = copyPlanFor(item);
        QStringList shown = {rules[int(plan.rule)]};
        for (const auto* slot :
             {&plan.primarySource, &plan.dataSource, &plan.directSource, &plan.directDestination})
            shown << slot->value_or("-");
        EXPECT_EQ(shown.join(' '), expected) << keys;
    }
}

TEST(Installer, RuntimeAndDataInTheSameAndInDifferentParents) {
    Library lib;
    lib.add("same.zip", ZipWriter()
                            .addFile("Pack/Runtime/r.txt", "r")
                            .addFile("Pack/Data/d.txt", "d")
                            .addFile("Pack/readme.txt", "same"));
    lib.add("apart.zip", ZipWriter()
                             .addFile("A/Runtime/r2.txt", "r2")
                             .addFile("A/readme.txt", "from A")
                             .addFile("B/Data/d2.txt", "d2")
                             .addFile("B/readme.txt", "from B"));
    const ArchiveItem same = lib.analysed("same.zip");
    const ArchiveItem apart = lib.analysed("apart.zip");
    ASSERT_EQ(same.text(key::RuntimePath), "Pack");
    ASSERT_EQ(same.text(key::DataPath), "Pack");
    ASSERT_EQ(apart.text(key::RuntimePath), "A");
    ASSERT_EQ(apart.text(key::DataPath), "B");
    const FolderSnapshot before = lib.surroundings();

    const InstallRecording run = runInstaller(lib.job({same, apart}));
    EXPECT_EQ(run.steps, QStringList({"same.zip", "apart.zip"}));
    EXPECT_EQ(run.completions, 1);
    EXPECT_EQ(states(run.items), QStringList({"same.zip 9 0 OK", "apart.zip 9 0 OK"}));
    EXPECT_EQ(listRecursive(lib.dest),
              QStringList({"Data/", "Data/d.txt", "Data/d2.txt", "Runtime/", "Runtime/r.txt",
                           "Runtime/r2.txt", "readme.txt"}));
    EXPECT_EQ(readFile(lib.dest + "/readme.txt"), "from B") << "the Data holder is copied last";
    EXPECT_TRUE(run.log.contains("File:same.zip, Runtime:Pack, Data:Pack"))
        << run.logText().toStdString();
    EXPECT_TRUE(run.log.contains("File:apart.zip, Runtime:A, Data:B"));
    EXPECT_EQ(listRecursive(lib.work), QStringList()) << "nothing is left in the work folder";
    EXPECT_EQ(FolderSnapshot::differences(before, lib.surroundings()), QStringList());
}

TEST(Installer, TopLevelRuntimeBringsLooseFilesNestedArchivesAndSkipsJunk) {
    Library lib;
    const QByteArray extra = ZipWriter().addFile("Data/e.txt", "e").bytes();
    const QByteArray inner = ZipWriter().addFile("x.txt", "x").bytes();
    lib.add("top.zip", ZipWriter()
                           .addFile("Runtime/r.txt", "r")
                           .addFile("Runtime/.DS_Store", "junk inside the copied folder too")
                           .addFile("Runtime/__MACOSX/._r.txt", "junk")
                           .addFile("notes.txt", "notes")
                           .addFile("Extra.zip", extra)
                           .addFile("deeper/Inner.zip", inner)
                           .addFolder("Textures.zip/")
                           .addFile("Textures.zip/t.dds", "t")
                           .addFile("__MACOSX/._r.txt", "junk")
                           .addFile("__MACOSX_old/x", "junk")
                           .addFile(".DS_Store", "junk")
                           .addFile(".ds_store", "kept")
                           .addFile("Foo.DS_Store", "kept"));
    const ArchiveItem top = lib.analysed("top.zip");
    ASSERT_EQ(top.text(key::RuntimePath), "");
    ASSERT_FALSE(top.contains(key::DataPath));

    const InstallRecording run = runInstaller(lib.job({top}));
    EXPECT_EQ(states(run.items), QStringList({"top.zip 9 0 OK"}));
    EXPECT_EQ(listRecursive(lib.dest),
              QStringList({".ds_store", "Extra.zip", "Extra/", "Extra/Data/", "Extra/Data/e.txt",
                           "Foo.DS_Store", "Runtime/", "Runtime/r.txt", "Textures.zip/",
                           "Textures.zip/t.dds", "deeper/", "deeper/Inner.zip", "notes.txt"}));
    EXPECT_EQ(readFile(lib.dest + "/Extra.zip"), extra);
    EXPECT_EQ(listRecursive(lib.work), QStringList());
}

TEST(Installer, MergesIntoALibraryAndTheLaterArchiveWins) {
    Library lib;
    writeFile(lib.dest + "/Runtime/keep.txt", "keep");
    writeFile(lib.dest + "/Runtime/shared.bin", "old");
    writeFile(lib.dest + "/Data/own/own.txt", "own");
    writeFile(lib.dest + "/mine.txt", "mine");
    lib.add("first.zip", ZipWriter()
                             .addFile("Runtime/shared.bin", everyByte())
                             .addFile("Runtime/same.txt", "first")
                             .addFile("Data/new.txt", "new"));
    lib.add("second.zip", ZipWriter().addFile("Runtime/same.txt", "second"));
    // What an ended install left staged in a folder this one writes to goes.
    writeFile(lib.dest + "/Runtime/" + StagingPrefix + "2147483647-left", "partial");
    const FolderSnapshot before = FolderSnapshot::of(lib.dest);

    const InstallRecording run =
        runInstaller(lib.job({lib.analysed("first.zip"), lib.analysed("second.zip")}));
    EXPECT_EQ(run.steps, QStringList({"first.zip", "second.zip"}));
    EXPECT_EQ(FolderSnapshot::differences(before, FolderSnapshot::of(lib.dest)),
              QStringList({"removed: Runtime/.packshelf-partial-2147483647-left",
                           "changed: Runtime/shared.bin", "created: Data/new.txt",
                           "created: Runtime/same.txt"}));
    EXPECT_EQ(readFile(lib.dest + "/Runtime/shared.bin"), everyByte());
    EXPECT_EQ(readFile(lib.dest + "/Runtime/same.txt"), "second");
    EXPECT_EQ(stagedUnder(lib.dest), QStringList());
}

TEST(Installer, FailuresAreMarkedAndNeverStopTheInstall) {
    Library lib;
    const ZipWriter package = ZipWriter().addFile("Runtime/ok.txt", "ok");
    for (const char* name : {"gone.zip", "damaged.zip", "missing.zip", "direct.zip", "fine.zip"})
        lib.add(name, package);
    lib.add("nested.zip", ZipWriter()
                              .addFile("Runtime/n.txt", "n")
                              .addFile("Bad.zip", "not an archive")
                              .addFile("Broken.zip",
                                       ZipWriter()
                                           .addFile("Runtime/whole.txt", "whole")
                                           .add(damagedEntry("Runtime/damaged.txt"))
                                           .bytes(),
                                       0));
    std::vector<ArchiveItem> items;
    for (const char* name :
         {"gone.zip", "damaged.zip", "nested.zip", "missing.zip", "direct.zip", "fine.zip"})
        items.push_back(lib.analysed(name));
    for (const ArchiveItem& item : items)
        ASSERT_EQ(item.state(), ItemState::Ready) << item.fileName().toStdString();
    QFile::remove(lib.source + "/gone.zip");
    lib.add("damaged.zip", ZipWriter().add(damagedEntry("Runtime/ok.txt")));
    recordFolderChoice(items[3], FolderChoice::Runtime, "Nope");
    const QString direct = lib.dir.filePath("direct");
    recordDirectDestination(items[4], direct, std::nullopt);
    const FolderSnapshot before = lib.surroundings();

    const InstallRecording run = runInstaller(lib.job(items));
    EXPECT_EQ(states(run.items), QStringList({"gone.zip -1 1 Failed!", "damaged.zip -1 2 Failed!",
                                              "nested.zip 9 2 Failed!", "missing.zip -1 3 Failed!",
                                              "direct.zip -1 3 Failed!", "fine.zip 9 0 OK"}));
    EXPECT_EQ(run.steps, QStringList({"nested.zip", "fine.zip"}));
    EXPECT_EQ(run.items[0].text(key::RuntimePath), "") << "a failed record keeps its other keys";
    EXPECT_TRUE(run.items[0].tree(key::Zip));

    EXPECT_EQ(listRecursive(lib.dest),
              QStringList({"Bad.zip", "Broken.zip", "Runtime/", "Runtime/n.txt", "Runtime/ok.txt"}))
        << "a nested archive that failed brings no half of its content";
    EXPECT_FALSE(QFile::exists(direct)) << "a direct plan without a source writes nothing";
    const QString log = run.logText();
    EXPECT_TRUE(log.contains(lib.source + "/gone.zip: cannot be opened")) << log.toStdString();
    EXPECT_TRUE(
        log.contains("Install of missing.zip failed at missing.zip/Nope: not in the archive"));
    EXPECT_TRUE(log.contains("Install of direct.zip failed at " + direct));
    EXPECT_TRUE(log.contains("nested.zip/Bad.zip: the nested archive cannot be expanded"));
    EXPECT_EQ(listRecursive(lib.work), QStringList()) << "also after failures";
    EXPECT_EQ(FolderSnapshot::differences(before, lib.surroundings()), QStringList());
}

TEST(Installer, DirectCopiesKeepTheirPathUnderTheChosenFolder) {
    Library lib;
    lib.add("direct.zip", ZipWriter()
                              .addFile("Stuff/Addons/a.txt", "a")
                              .addFile("Stuff/Addons/sub/b.txt", "b")
                              .addFile("Stuff/other.txt", "other")
                              .addFile("readme.txt", "readme"));
    lib.add("single.zip", ZipWriter().addFile("readme.txt", "single readme"));
    const QString chosen = lib.dir.filePath("Lib 'own' $dir");
    writeFile(chosen + "/Stuff/Addons/mine.txt", "mine");
    std::vector<ArchiveItem> items = {lib.analysed("direct.zip"), lib.analysed("single.zip"),
                                      lib.analysed("single.zip")};
    recordDirectDestination(items[0], chosen, QStringLiteral("Stuff/Addons"));
    recordDirectDestination(items[1], chosen, QStringLiteral("readme.txt"));
    recordDirectDestination(items[2], "relative/lib", QStringLiteral("readme.txt"));

    const InstallRecording run = runInstaller(lib.job(items));
    EXPECT_EQ(states(run.items),
              QStringList({"direct.zip 9 2 Manually set", "single.zip 9 2 Manually set",
                           "single.zip -1 3 Failed!"}));
    EXPECT_EQ(listRecursive(chosen),
              QStringList({"Stuff/", "Stuff/Addons/", "Stuff/Addons/a.txt", "Stuff/Addons/mine.txt",
                           "Stuff/Addons/sub/", "Stuff/Addons/sub/b.txt", "readme.txt"}));
    EXPECT_EQ(readFile(chosen + "/readme.txt"), "single readme");
    EXPECT_EQ(listRecursive(lib.dest), QStringList())
        << "a direct plan writes nothing into the library";
    EXPECT_FALSE(QFile::exists("relative")) << "a relative destination is refused";
    EXPECT_TRUE(run.logText().contains("relative/lib: the destination is not an absolute path"));
}

TEST(Installer, PlannedSourcesInsideNestedArchivesAreExpandedOnTheirPath) {
    Library lib;
    const QByteArray inner = ZipWriter().addFile("Data/y.txt", "y").bytes();
    lib.add("deep.zip",
            ZipWriter().addFile(
                "Sub/Extra.zip",
                ZipWriter().addFile("Runtime/x.txt", "x").addFile("Readme.txt", "r").bytes()));
    lib.add("deeper.zip",
            ZipWriter().addFile("Sub/Outer.zip", ZipWriter().addFile("Inner.zip", inner).bytes()));
    const ArchiveItem deep = lib.analysed("deep.zip");
    const ArchiveItem deeper = lib.analysed("deeper.zip");
    ASSERT_EQ(deep.text(key::RuntimePath), "Sub/Extra");
    ASSERT_EQ(deeper.text(key::DataPath), "Sub/Outer/Inner");
    const FolderSnapshot before = lib.surroundings();

    const InstallRecording run = runInstaller(lib.job({deep, deeper}));
    EXPECT_EQ(states(run.items), QStringList({"deep.zip 9 0 OK", "deeper.zip 9 0 OK"}));
    EXPECT_EQ(listRecursive(lib.dest),
              QStringList({"Data/", "Data/y.txt", "Readme.txt", "Runtime/", "Runtime/x.txt"}));
    EXPECT_EQ(listRecursive(lib.work), QStringList());
    EXPECT_EQ(FolderSnapshot::differences(before, lib.surroundings()), QStringList());
}

// Every way an install can fail leaves the library exactly as it was, also
// when the failure comes after other files of the archive were written.
TEST(Installer, AFailedInstallLeavesTheLibraryAsItWas) {
    struct Row {
        const char* name;
        std::function<void(const QString& dest)> prepare;
        ZipWriter archive;
        const char* outcome;
        const char* reason;
    };
    const auto package = [] {
        return ZipWriter()
            .addFile("Data/new.txt", "new")
            .addFile("README.txt", "readme")
            .addFile("Promo/p.txt", "promo")
            .addFile("Runtime/a.txt", "a");
    };
    const std::vector<Row> rows = {
        {"a symbolic link", [](const QString& dest) { QFile::link("/tmp", dest + "/Runtime"); },
         package(), "-1 3 Failed!", "/Runtime: a symbolic link is in the way"},
        {"a file where a folder goes",
         [](const QString& dest) { writeFile(dest + "/Runtime", "file"); }, package(),
         "-1 3 Failed!", "/Runtime: a file is in the way"},
        {"a folder where a file goes",
         [](const QString& dest) { writeFile(dest + "/Runtime/a.txt/keep", "keep"); }, package(),
         "-1 3 Failed!", "/Runtime/a.txt: a folder is in the way"},
        {"a read-only folder",
         [](const QString& dest) {
             writeFile(dest + "/Runtime/a.txt", "old");
             QFile::setPermissions(dest + "/Runtime",
                                   QFileDevice::ReadOwner | QFileDevice::ExeOwner);
         },
         package(), "-1 3 Failed!", "Permission denied"},
        {"damaged data, last", [](const QString&) {},
         package().add(damagedEntry("Runtime/zz-last.txt")), "-1 2 Failed!",
         "source/p.zip: CRC error in Runtime/zz-last.txt"},
        {"a file and a folder of one name", [](const QString&) {},
         ZipWriter().addFile("Runtime/x", "file").addFile("Runtime/x/y", "in"), "-1 3 Failed!",
         "Runtime/x: both a file and a folder in the archive"},
        {"a name too long", [](const QString&) {},
         ZipWriter().addFile("Runtime/" + QByteArray(300, 'n'), "long"), "-1 3 Failed!",
         "a name too long for this system"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Library lib;
        writeFile(lib.dest + "/Data/old.txt", "old");
        row.prepare(lib.dest);
        lib.add("p.zip", row.archive);
        const ArchiveItem item = lib.analysed("p.zip");
        const FolderSnapshot before = FolderSnapshot::of(lib.dir.path());
        InstallRecording run;
        {
            PermissionsEnforced enforced;
            run = runInstaller(lib.job({item}));
        }
        QFile::setPermissions(lib.dest + "/Runtime", QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner);
        EXPECT_EQ(states(run.items), QStringList(QStringLiteral("p.zip ") + row.outcome));
        EXPECT_TRUE(run.items[0].text(key::Reason).value_or("").contains(row.reason))
            << run.items[0].text(key::Reason).value_or("-").toStdString();
        EXPECT_EQ(FolderSnapshot::differences(before, FolderSnapshot::of(lib.dir.path())),
                  QStringList())
            << "nothing changes, and no half-written file is left anywhere";
    }

    // A full disk: refused before anything is written.
    Library lib;
    const QString small = lib.dir.filePath("small");
    QDir().mkpath(small);
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    // What is kept free is small: a package of half the room fits, one of
    // more than the room is refused with what it needs and what is free.
    for (const auto& [bytes, fits] : {std::pair{2 << 20, true}, std::pair{5 << 20, false}}) {
        lib.add("p.zip", ZipWriter().addFile("Runtime/big.bin", QByteArray(bytes, 'z')));
        ArchiveItem item = lib.analysed("p.zip");
        recordDirectDestination(item, small, QStringLiteral("Runtime"));
        const InstallRecording run = runInstaller(lib.job({item}));
        const QString reason = run.items[0].text(key::Reason).value_or("");
        EXPECT_EQ(reason.isEmpty(), fits) << reason.toStdString();
        if (!fits) {
            EXPECT_TRUE(reason.contains(
                QStringLiteral("not enough free space: %1 bytes needed, ").arg(bytes)))
                << reason.toStdString();
        }
    }
    ::umount2(QFile::encodeName(small).constData(), MNT_DETACH);
}

// An install over a library's files reads and compares, and rewrites only
// what changed; paths that differ from the library's only in letter case go
// into its folders. (A reinstall of an unchanged package: PreviewTruth.)
TEST(Installer, ReinstallTouchesOnlyWhatChangedAndLetterCaseMerges) {
    Library lib;
    writeFile(lib.dest + "/Runtime/B.TXT", "old b");
    writeFile(lib.dest + "/Data/keep.txt", "keep");
    lib.add("case.zip", ZipWriter()
                            .addFile("runtime/a.txt", "a")
                            .addFile("runtime/b.txt", "new b")
                            .addFile("DATA/c.txt", "c"));
    const ArchiveItem item = lib.analysed("case.zip");
    ASSERT_EQ(item.state(), ItemState::Ready);

    const InstallRecording run = runInstaller(lib.job({item}));
    EXPECT_EQ(listRecursive(lib.dest), QStringList({"Data/", "Data/c.txt", "Data/keep.txt",
                                                    "Runtime/", "Runtime/B.TXT", "Runtime/a.txt"}));
    EXPECT_EQ(readFile(lib.dest + "/Runtime/B.TXT"), "new b");
    EXPECT_TRUE(run.log.contains("case.zip: 2 added, 1 replaced, 0 the same"))
        << run.logText().toStdString();
}

// One run reads a folder's names once and follows what its own archives
// place there: a later archive of the batch finds, in any letter case, the
// folders and files the earlier ones wrote.
TEST(Installer, ABatchMatchesLetterCaseAgainstWhatItsEarlierArchivesWrote) {
    struct Row {
        const char* name;
        std::vector<std::pair<const char*, ZipWriter>> archives;
        QStringList tree;
        QStringList states;
    };
    const std::vector<Row> rows = {
        {"folders made earlier in the batch",
         {{"a.zip", ZipWriter().addFile("Runtime/Pack/a.txt", "a")},
          {"b.zip", ZipWriter().addFile("runtime/PACK/b.txt", "b")},
          {"c.zip", ZipWriter().addFile("RUNTIME/pack/sub/c.txt", "c")}},
         {"Runtime/", "Runtime/Pack/", "Runtime/Pack/a.txt", "Runtime/Pack/b.txt",
          "Runtime/Pack/sub/", "Runtime/Pack/sub/c.txt"},
         {"a.zip 9 0 OK", "b.zip 9 0 OK", "c.zip 9 0 OK"}},
        {"a file written earlier, replaced in another case",
         {{"a.zip", ZipWriter().addFile("Runtime/Readme.txt", "a")},
          {"b.zip", ZipWriter().addFile("runtime/README.TXT", "b")}},
         {"Runtime/", "Runtime/Readme.txt"},
         {"a.zip 9 0 OK", "b.zip 9 0 OK"}},
        {"a file written earlier stands in the way of a folder",
         {{"a.zip", ZipWriter().addFile("Runtime/x", "a")},
          {"b.zip", ZipWriter().addFile("runtime/X/y.txt", "b")}},
         {"Runtime/", "Runtime/x"},
         {"a.zip 9 0 OK", "b.zip -1 3 Failed!"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Library lib;
        std::vector<ArchiveItem> items;
        for (const auto& [name, zip] : row.archives)
            lib.add(name, zip);
        for (const auto& [name, zip] : row.archives)
            items.push_back(lib.analysed(name));
        const InstallRecording run = runInstaller(lib.job(items));
        EXPECT_EQ(listRecursive(lib.dest), row.tree);
        EXPECT_EQ(states(run.items), row.states);
    }
}

// Ready records leave the list for the installer worker; its steps and its
// completion reach the receiving thread in order, and failed records come
// back to the list.
TEST(Installer, ReportsReachTheReceiverThreadAndFailedRecordsComeBack) {
    int argc = 1;
    char name[] = "test_installer";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    Library lib;
    lib.add("a.zip", ZipWriter().addFile("Runtime/a.txt", "a"));
    lib.add("c.zip", ZipWriter().addFile("Runtime/c.txt", "c"));
    std::vector<ArchiveItem> list = {lib.analysed("a.zip"), ArchiveItem::create("b.zip"),
                                     lib.analysed("c.zip"), ArchiveItem::create("d.zip"),
                                     ArchiveItem::create("e.zip")};
    list[1].setInteger(key::State, ItemState::NeedsHelp);
    list[3].setInteger(key::State, ItemState::Failed);
    QFile::remove(lib.source + "/c.zip");

    for (const bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "an empty job" : "two archives");
        MainThreadCall mainThread;
        QEventLoop loop;
        QStringList steps;
        std::vector<ArchiveItem> handedBack;
        std::atomic<bool> workerReturned = false;
        bool doneOnMainThread = false;
        bool workerWaited = false;
        const InstallCallbacks callbacks = callbacksThrough(
            mainThread, [&](QString fileName) { steps << fileName; },
            [&](std::vector<ArchiveItem> done) {
                doneOnMainThread = QThread::currentThread() == app.thread();
                workerWaited = !workerReturned;
                handedBack = std::move(done);
                loop.quit();
            });
        std::thread worker([&, job = lib.job(empty ? std::vector<ArchiveItem>{}
                                                   : takeReadyItems(list))]() mutable {
            installerThread(std::move(job), callbacks, testExecutor());
            workerReturned = true;
        });
        loop.exec();
        worker.join();
        EXPECT_TRUE(doneOnMainThread);
        EXPECT_TRUE(workerWaited) << "the worker waits until the completion has run";
        EXPECT_EQ(steps, empty ? QStringList() : QStringList({"a.zip"}))
            << "every step has run before the completion";
        EXPECT_EQ(states(handedBack),
                  empty ? QStringList() : QStringList({"a.zip 9 0 OK", "c.zip -1 1 Failed!"}));
        returnUninstalledItems(list, handedBack);
    }
    EXPECT_EQ(states(list),
              QStringList({"b.zip 3 0 ", "d.zip -1 0 ", "e.zip 0 0 ", "c.zip -1 1 Failed!"}))
        << "installed records are dropped, failed ones come back at the end";
}
