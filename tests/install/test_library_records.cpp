// The library's memory: what each install wrote, shown before an install
// and given back by an uninstall.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <fcntl.h>
#include <map>
#include <sys/mount.h>
#include <sys/stat.h>

#include "analysis/ManualChoice.h"
#include "core/PosixHandles.h"
#include "install/plan/InstallPlan.h"
#include "install/records/Manifest.h"
#include "install/records/RecordsIndex.h"
#include "install/transaction/LibraryTransaction.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

// Installs the named archives of the box's source folder, one run each.
void installEach(const Library& box, const QStringList& names) {
    for (const QString& name : names) {
        const CliResult result = installOne(box, name);
        ASSERT_EQ(result.exitCode, 0) << name.toStdString() << result.err.toStdString();
    }
}

QStringList installedNames(const Library& box) {
    QStringList names;
    for (const QJsonObject& record : runCli({"installed", box.dest}).records())
        names << record["ARCHIVE"].toString();
    return names;
}

// Files under the library's own records folder, its index of records aside.
QStringList recordFiles(const Library& box) {
    QStringList files = filesUnder(box.dest + "/.packshelf");
    files.removeAll(box.dest + "/.packshelf/records.index");
    return files;
}

} // namespace

TEST(LibraryRecords, UninstallGivesBackWhatWasThereInEitherOrder) {
    Library box;
    writeFile(box.dest + "/Runtime/shared.txt", "the library's own");
    writeFile(box.dest + "/Data/keep.txt", "keep");
    const QString a = QString::fromUtf8("Pack \"A\" it's ü.zip");
    box.add(a, ZipWriter()
                   .addFile("Runtime/shared.txt", "from A")
                   .addFile("Runtime/both.txt", "A's both")
                   .addFile(QString::fromUtf8("Runtime/ünï \"q\".txt").toUtf8(), "a")
                   .addFile("Data/keep.txt", "keep"));
    box.add("B.zip", ZipWriter()
                         .addFile("Runtime/shared.txt", "from B")
                         .addFile("Runtime/both.txt", "B's both")
                         .addFile("Runtime/b/b.txt", "b"));
    const FolderSnapshot original = FolderSnapshot::of(box.dest);

    // The preview of both writes nothing, and its counts are the install's.
    const CliResult preview =
        runCli({"install", box.source, box.dest, "--dry-run", "--work", box.work});
    ASSERT_EQ(preview.exitCode, 0) << preview.err.toStdString();
    QStringList actions;
    for (const QJsonObject& line : preview.records()) {
        if (line.contains("ACTION"))
            actions << line["ARCHIVE"].toString().left(4) + " " + line["PATH"].toString() + " " +
                           line["ACTION"].toString() + " " + line["OVERWRITTEN_BY"].toString();
    }
    // B comes first in the list, so A writes over it.
    const QString overB = QString::fromUtf8("Pack \"A\" it's ü.zip");
    EXPECT_EQ(actions,
              QStringList({"B.zi Runtime/b/b.txt add ", "B.zi Runtime/both.txt add " + overB,
                           "B.zi Runtime/shared.txt replace " + overB, "Pack Data/keep.txt same ",
                           "Pack Runtime/both.txt replace ", "Pack Runtime/shared.txt replace ",
                           QString::fromUtf8("Pack Runtime/ünï \"q\".txt add ")}));
    EXPECT_EQ(FolderSnapshot::differences(original, FolderSnapshot::of(box.dest)), QStringList());
    EXPECT_EQ(recordFiles(box), QStringList());
    EXPECT_EQ(listRecursive(box.work), QStringList());

    for (const QStringList& order : {QStringList{"B.zip", a}, QStringList{a, "B.zip"}}) {
        SCOPED_TRACE(order.join(" then ").toStdString());
        installEach(box, {a, "B.zip"});
        EXPECT_EQ(installedNames(box), QStringList({a, "B.zip"}));
        EXPECT_EQ(readFile(box.dest + "/Runtime/shared.txt"), "from B");
        const CliResult first = runCli({"uninstall", box.dest, order[0]});
        EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
        EXPECT_EQ(readFile(box.dest + "/Runtime/shared.txt"),
                  order[0] == "B.zip" ? "from A" : "from B")
            << "B's uninstall gives back A's version; A's leaves B's in place";
        EXPECT_EQ(runCli({"uninstall", box.dest, order[1]}).exitCode, 0);
        EXPECT_EQ(FolderSnapshot::differences(original, FolderSnapshot::of(box.dest)),
                  QStringList());
        EXPECT_EQ(recordFiles(box), QStringList()) << "the records folder holds nothing";
    }

    // A file changed since the install is kept; an unknown name changes nothing.
    installEach(box, {"B.zip"});
    // A preview of A alone names the package each library file came from.
    const QString onlyA = box.dir.filePath("onlyA");
    QDir().mkpath(onlyA);
    QFile::copy(box.source + "/" + a, onlyA + "/" + a);
    QStringList owners;
    for (const QJsonObject& line : runCli({"install", onlyA, box.dest, "--dry-run"}).records())
        owners << line["PATH"].toString() + " " + line["OWNER"].toString();
    EXPECT_TRUE(owners.contains("Runtime/shared.txt B.zip")) << owners.join('|').toStdString();
    writeFile(box.dest + "/Runtime/b/b.txt", "edited by the user");
    EXPECT_EQ(runCli({"uninstall", box.dest, "B.zip", "nope.zip"}).exitCode, 2);
    const CliResult kept = runCli({"uninstall", box.dest, "B.zip"});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_TRUE(kept.err.contains("Runtime/b/b.txt")) << kept.err.toStdString();
    EXPECT_EQ(readFile(box.dest + "/Runtime/b/b.txt"), "edited by the user");
    EXPECT_EQ(readFile(box.dest + "/Runtime/shared.txt"), "the library's own");
}

TEST(LibraryRecords, BrokenRecordsAndOtherFileSystems) {
    Library box;
    box.add("A.zip", ZipWriter().addFile("Runtime/a.txt", "a"));
    installEach(box, {"A.zip"});
    QStringList records = recordFiles(box);
    ASSERT_EQ(records.size(), 1);
    const QByteArray record = readFile(records[0]);
    // Cut short, and a path that climbs out of the library.
    for (const QByteArray& broken :
         {record.left(record.size() / 2), QByteArray(record).replace("Runtime/a", "../../a")}) {
        writeFile(records[0], broken);
        const CliResult listed = runCli({"installed", box.dest});
        EXPECT_EQ(listed.exitCode, 0);
        EXPECT_TRUE(listed.records().isEmpty());
        EXPECT_TRUE(listed.err.contains(records[0].toUtf8())) << "the broken record is named";
        // Its record is there: the package is not "not installed".
        const CliResult uninstall = runCli({"uninstall", box.dest, "A.zip"});
        EXPECT_EQ(uninstall.exitCode, 1);
        EXPECT_TRUE(uninstall.err.contains("A.zip: its record")) << uninstall.err.toStdString();
        EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "a") << "nothing goes on its strength";
    }
    // A journal an earlier version left is not carried out: recover sets it
    // aside with what it staged, so that nothing is lost and nothing staged
    // stays in the library.
    writeFile(records[0], record);
    const QString staged = QString(StagingPrefix) + "2147483647-n";
    writeFile(box.dest + "/Runtime/" + staged, "journalled");
    writeFile(box.dest + "/.packshelf/journal-2147483647-n.json",
              QString(R"({"steps": [{"step": "rename", "path": {"root": "%1", "path": "Runtime/%2"},
                          "to": {"root": "%1", "path": "Runtime/a.txt"}}]})")
                  .arg(box.dest, staged)
                  .toUtf8());
    runCli({"installed", box.dest});
    EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "a") << "listing only reads";
    EXPECT_EQ(runCli({"uninstall", box.dest, "A.zip"}).exitCode, 1) << "it needs attention";
    const CliResult recovered = runCli({"recover", box.dest});
    EXPECT_EQ(recovered.exitCode, 0) << recovered.err.toStdString();
    EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "a");
    QStringList setAside;
    for (const QJsonObject& line : recovered.records())
        setAside << line["SET_ASIDE"].toString().section(".packshelf/", 1).section('/', 1);
    EXPECT_EQ(setAside, QStringList({"staged/Runtime/" + staged, "journal-2147483647-n.json"}));
    EXPECT_EQ(stagedUnder(box.dest + "/Runtime"), QStringList());
    EXPECT_EQ(runCli({"uninstall", box.dest, "A.zip"}).exitCode, 0);

    // A destination of its own on another file system: backups are copies.
    const QString other = box.dir.filePath("other");
    QDir().mkpath(other);
    if (::mount("tmpfs", QFile::encodeName(other).constData(), "tmpfs", 0, "size=200m") != 0)
        GTEST_SKIP() << "cannot mount a file system here";
    writeFile(other + "/Runtime/a.txt", "other's own");
    ArchiveItem item = box.analysed("A.zip");
    recordDirectDestination(item, other, QStringLiteral("Runtime"));
    runInstaller(box.job({item}));
    EXPECT_EQ(readFile(other + "/Runtime/a.txt"), "a");
    EXPECT_EQ(runCli({"uninstall", box.dest, "A.zip"}).exitCode, 0);
    EXPECT_EQ(readFile(other + "/Runtime/a.txt"), "other's own");
    ::umount2(QFile::encodeName(other).constData(), MNT_DETACH);
}

// Killed at any moment while installing or uninstalling, and right while a
// large file is written: meanwhile every library file at its final name is
// old or new, and the next run finds the records and the library agreeing,
// with nothing staged left behind.
TEST(LibraryRecords, AKilledRunLeavesRecordsAndFilesAgreeing) {
    Library box;
    std::map<QString, QByteArray> oldFiles;
    std::map<QString, QByteArray> newFiles;
    ZipWriter zip;
    for (int i = 0; i < 104; ++i) {
        const QString path = i < 4 ? QStringLiteral("Runtime/big/part%1.bin").arg(i)
                                   : QStringLiteral("Runtime/small/%1.txt").arg(i);
        newFiles[path] = i < 4 ? pseudoRandom(8 << 20, quint32(i)) : path.toUtf8().repeated(40);
        oldFiles[path] = i < 4 ? pseudoRandom(4 << 20, quint32(i + 100)) : path.toUtf8();
        zip.addFile(path.toUtf8(), newFiles[path], i < 4 ? 0 : 8);
        writeFile(box.dest + "/" + path, oldFiles[path]);
    }
    writeFile(box.dest + "/Runtime/mine.txt", "mine");
    box.add("big.zip", zip.bytes());
    const FolderSnapshot original = FolderSnapshot::of(box.dest);
    QElapsedTimer clock;
    clock.start();
    installEach(box, {"big.zip"});
    const FolderSnapshot installed = FolderSnapshot::of(box.dest);
    const qint64 fullRun = clock.elapsed();
    ASSERT_EQ(runCli({"uninstall", box.dest, "big.zip"}).exitCode, 0);

    // Files still at a staging name; the others must be old or new.
    const auto partialFiles = [&](int round) {
        int partials = 0;
        for (const QString& path : listRecursive(box.dest)) {
            if (isStagingName(QFileInfo(path).fileName())) {
                ++partials;
            } else if (!path.endsWith('/') && path != "Runtime/mine.txt") {
                const QByteArray content = readFile(box.dest + "/" + path);
                EXPECT_TRUE(content == oldFiles[path] || content == newFiles[path])
                    << "round " << round << ": " << path.toStdString() << " is neither old nor new";
            }
        }
        return partials;
    };
    QRandomGenerator random(20261207);
    int killsThatLeftAPartialFile = 0;
    for (int round = 0; round < 8; ++round) {
        const bool uninstalling = round % 2 == 1;
        QProcess child;
        child.start(cliPath(), uninstalling ? QStringList{"uninstall", box.dest, "big.zip"}
                                            : QStringList{"install", box.source, box.dest});
        ASSERT_TRUE(child.waitForStarted());
        clock.restart();
        if (round % 4 == 2) { // right while a large file is written
            const QDir big(box.dest + "/Runtime/big");
            while (clock.elapsed() < 2 * fullRun + 1000) {
                const QStringList names = big.entryList(QDir::Files | QDir::Hidden);
                if (std::any_of(names.begin(), names.end(), isStagingName))
                    break;
            }
        } else {
            QThread::msleep(random.bounded(quint32(fullRun) + 1));
        }
        child.kill();
        child.waitForFinished();
        if (partialFiles(round) > 0)
            ++killsThatLeftAPartialFile;
        // Listing only reads; the next command that changes the library
        // finishes or undoes what the killed one left.
        EXPECT_EQ(runCli({"recover", box.dest}).exitCode, 0) << "round " << round;
        const bool listed = installedNames(box) == QStringList{"big.zip"};
        EXPECT_EQ(FolderSnapshot::differences(listed ? installed : original,
                                              FolderSnapshot::of(box.dest)),
                  QStringList())
            << "round " << round;
        // Installed before an uninstall round, not before an install round.
        if (!listed && !uninstalling)
            installEach(box, {"big.zip"});
        if (listed && uninstalling)
            runCli({"uninstall", box.dest, "big.zip"});
    }
    EXPECT_GT(killsThatLeftAPartialFile, 0) << "no kill landed while a file was written";
    EXPECT_EQ(listRecursive(box.work), QStringList());
}

// The index of records stands for a record file only while the file is as
// the index saw it, and what it holds is checked as the file is: a damaged
// index, a hand edit and an index made by hand all read as the record files
// say, and so does a copy of the library. Only a change writes it.
TEST(LibraryRecords, TheIndexOfRecordsOnlySpeedsReading) {
    Library box;
    box.add("A.zip", ZipWriter().addFile("Runtime/a.txt", "a"));
    box.add("B.zip", ZipWriter().addFile("Runtime/b.txt", "b"));
    installEach(box, {"A.zip", "B.zip"});
    const QString index = box.dest + "/.packshelf/records.index";
    const QByteArray written = readFile(index);
    ASSERT_FALSE(written.isEmpty());
    QFile::remove(index);
    runCli({"installed", box.dest});
    runCli({"install", box.source, box.dest, "--dry-run"});
    EXPECT_FALSE(QFileInfo::exists(index)) << "reading writes nothing";
    ASSERT_EQ(runCli({"install", box.source, box.dest}).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(index)) << "a change brings the index up to date";
    const QByteArray fresh = readFile(index);

    const QString recordA = recordFiles(box).filter("/A.zip-").value(0);
    ASSERT_FALSE(recordA.isEmpty());
    const QByteArray goodA = readFile(recordA);
    const QByteArray hostileA = QByteArray(goodA).replace("Runtime/a.txt", "../outside/a.txt");
    writeFile(box.dir.filePath("outside/a.txt"), "not the library's");
    // An index whose entry for A names a path outside, with the stamp the
    // record file bears: the entry is used, and refused as the file would be.
    const auto indexNamingOutside = [&] {
        const Result<Manifest> hostile =
            Manifest::fromJson(QJsonDocument::fromJson(goodA).object(), box.dest);
        Manifest changed = *hostile;
        changed.files.front().path = "../outside/a.txt";
        const QByteArray record = changed.toBinary();
        std::vector<recordsindex::Entry> entries = *recordsindex::decode(fresh);
        struct stat st;
        ::stat(QFile::encodeName(recordA).constData(), &st);
        for (recordsindex::Entry& entry : entries) {
            if (recordA.endsWith(QString::fromUtf8(entry.name)))
                entry = {entry.name, stampOf(st), record, recordsindex::crcOf(record), {}};
        }
        const handles::UniqueFd records(::open(
            QFile::encodeName(box.dest + "/.packshelf").constData(), O_RDONLY | O_DIRECTORY));
        ASSERT_TRUE(recordsindex::write(records.get(), entries));
    };
    struct Row {
        const char* what;
        std::function<void()> spoil;
        bool aKnown;
    };
    const std::vector<Row> rows = {
        {"as written", [] {}, true},
        {"cut short", [&] { writeFile(index, fresh.left(fresh.size() / 2)); }, true},
        {"a byte of a record changed",
         [&] {
             QByteArray damaged = fresh;
             damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x20);
             writeFile(index, damaged);
         },
         true},
        {"not an index", [&] { writeFile(index, "PackShelf records index 1\nnonsense"); }, true},
        {"a record edited by hand after it",
         [&] {
             writeFile(index, fresh);
             writeFile(recordA, hostileA);
         },
         false},
        {"made by hand, naming a path outside",
         [&] {
             writeFile(recordA, goodA);
             indexNamingOutside();
         },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.spoil();
        const CliResult listed = runCli({"installed", box.dest});
        EXPECT_EQ(listed.exitCode, 0);
        QStringList names;
        for (const QJsonObject& record : listed.records())
            names << record["ARCHIVE"].toString();
        EXPECT_EQ(names, (row.aKnown ? QStringList{"A.zip", "B.zip"} : QStringList{"B.zip"}));
        EXPECT_EQ(listed.err.contains(recordA.toUtf8()), !row.aKnown) << listed.err.toStdString();
        if (!row.aKnown) {
            EXPECT_EQ(runCli({"uninstall", box.dest, "A.zip"}).exitCode, 1)
                << "its record is there, though it cannot be used";
        }
        EXPECT_EQ(readFile(box.dir.filePath("outside/a.txt")), "not the library's");
        EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "a");
    }

    // A copy bears other stamps: it is read from its record files, and acts
    // on itself alone.
    writeFile(recordA, goodA);
    ASSERT_EQ(runCli({"install", box.source, box.dest}).exitCode, 0);
    const QString copy = box.dir.filePath("copy");
    ASSERT_EQ(QProcess::execute("cp", {"-a", box.dest, copy}), 0);
    EXPECT_EQ(runCli({"uninstall", copy, "A.zip"}).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(copy + "/Runtime/a.txt"));
    EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "a");
    EXPECT_EQ(installedNames(box), (QStringList{"A.zip", "B.zip"}));
}

// A change reads whole only the records it meets; every other record is
// read without its files. Each change here runs on two copies of one
// library: one with a current index of records (read so), one without an
// index (every record read whole from its file). Both must end the same.
TEST(LibraryRecords, RecordsReadInPartChangeWhatWholeOnesWould) {
    Library box;
    for (int i = 0; i < 6; ++i)
        box.add(QString("F%1.zip").arg(i),
                ZipWriter()
                    .addFile(QString("Runtime/f%1/a.txt").arg(i).toUtf8(), "filler")
                    .addFile(QString("Runtime/f%1/b.txt").arg(i).toUtf8(), "filler"));
    box.add(
        "P.zip",
        ZipWriter().addFile("Runtime/p/x.txt", "P's x").addFile("Runtime/shared/s.txt", "P's s"));
    box.add("Q.zip", ZipWriter()
                         .addFile("Runtime/p/x.txt", "Q's x")
                         .addFile("Runtime/p/q.txt", "Q's q")
                         .addFile("Runtime/shared/q.txt", "Q's q"));
    installEach(box,
                {"F0.zip", "F1.zip", "P.zip", "F2.zip", "F3.zip", "Q.zip", "F4.zip", "F5.zip"});
    const QString extra = box.dir.filePath("extra");
    QDir().mkpath(extra + "/n");
    QDir().mkpath(extra + "/p");
    QDir().mkpath(extra + "/dummy");
    ASSERT_TRUE(ZipWriter()
                    .addFile("RUNTIME/F2/A.TXT", "N over F2, in other letters")
                    .addFile("Runtime/p/x.txt", "N's x")
                    .writeTo(extra + "/n/N.zip"));
    ASSERT_TRUE(ZipWriter().addFile("Runtime/p/x.txt", "P's new x").writeTo(extra + "/p/P.zip"));
    ASSERT_TRUE(
        ZipWriter().addFile("Runtime/dummy/d.txt", "d").writeTo(extra + "/dummy/Dummy.zip"));

    const auto recordsOf = [](const QString& library) {
        QStringList records;
        QDirIterator it(library + "/.packshelf", {"*.json"}, QDir::Files);
        while (it.hasNext()) {
            QJsonObject record = QJsonDocument::fromJson(readFile(it.next())).object();
            record.remove("installed");
            record.remove("run"); // each run names itself
            records << QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact));
        }
        records.sort();
        return records;
    };
    const struct {
        const char* name;
        QStringList arguments; // DEST is put in for "@"
    } cases[] = {
        {"uninstall the package whose folder a later one writes in", {"uninstall", "@", "P.zip"}},
        {"uninstall the later package", {"uninstall", "@", "Q.zip"}},
        {"uninstall both", {"uninstall", "@", "Q.zip", "P.zip"}},
        {"install over others' files in other letters", {"install", extra + "/n", "@"}},
        {"preview of the same", {"install", extra + "/n", "@", "--dry-run"}},
        {"install a new version", {"install", extra + "/p", "@"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString outputs[2];
        QString libraries[2];
        for (int whole = 0; whole < 2; ++whole) {
            libraries[whole] = box.dir.filePath(whole ? "whole" : "indexed");
            QDir(libraries[whole]).removeRecursively();
            ASSERT_EQ(QProcess::execute("cp", {"-a", box.dest, libraries[whole]}), 0);
            // A copy's index is out of date until a change writes it again.
            ASSERT_EQ(runCli({"install", extra + "/dummy", libraries[whole], "--work", box.work})
                          .exitCode,
                      0);
            ASSERT_EQ(runCli({"uninstall", libraries[whole], "Dummy.zip"}).exitCode, 0);
            const QString index = libraries[whole] + "/.packshelf/records.index";
            ASSERT_TRUE(QFileInfo::exists(index));
            if (whole)
                QFile::remove(index);
            QStringList arguments = c.arguments;
            arguments.replaceInStrings(QRegularExpression("^@$"), libraries[whole]);
            const CliResult result = runCli(arguments);
            outputs[whole] = QString::number(result.exitCode) + "\n" + result.out;
        }
        EXPECT_EQ(outputs[0], outputs[1]);
        EXPECT_EQ(FolderSnapshot::differences(FolderSnapshot::of(libraries[1]),
                                              FolderSnapshot::of(libraries[0])),
                  QStringList());
        EXPECT_EQ(recordsOf(libraries[0]), recordsOf(libraries[1]));
    }
}
