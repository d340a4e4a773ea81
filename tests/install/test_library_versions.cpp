// The versions a library keeps: what an uninstall gives back at each place
// of a stack of versions, the user's earlier version put back beside a
// file the user changed, a library whose records are of the earlier form,
// repairs that keep the user's versions, and the seal that lets PackShelf
// act outside the library.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <fcntl.h>
#include <functional>
#include <map>
#include <sys/stat.h>

#include "analysis/ManualChoice.h"
#include "install/InstalledPackages.h"
#include "install/records/Manifest.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

using Files = std::map<QString, QByteArray>;

// Taking a package's layer out of the stack of versions at a path, in each
// place it can be: on top as it wrote it or not, below a later package's.
TEST(LibraryVersions, UninstallGivesBackWhatStoodBelowWhereverTheLayerIs) {
    const QString f = QStringLiteral("Runtime/f.txt");
    // Removed, restored, handed on, kept, and the user's earlier versions
    // put back beside, by path.
    struct Expected {
        int removed;
        int restored;
        int handedOn;
        int kept;
        Files originals;
    };
    struct Row {
        const char* name;
        std::function<void(const Library&)> prepare; // the user's file is there; A.zip goes
        Expected expected;
        Files after; // then
    };
    const auto writes = [](const QString& name, const QString& path, const QByteArray& content) {
        return [=](const Library& box) { installFiles(box, name, {{path, content}}); };
    };
    const auto then = [](auto... steps) { return [=](const Library& box) { (steps(box), ...); }; };
    const auto userWrites = [&f](const QByteArray& content) {
        return [=](const Library& box) { writeFile(box.dest + "/" + f, content); };
    };
    const std::vector<Row> rows = {
        {"a file of its own, as it wrote it",
         writes("A.zip", "Runtime/g.txt", "A's g"),
         Expected{1, 0, 0, 0, {}},
         {{f, "user"}}},
        {"the user's file it replaced, as it wrote it",
         writes("A.zip", f, "A's"),
         Expected{0, 1, 0, 0, {}},
         {{f, "user"}}},
        {"the user's file it replaced, deleted by the user since",
         then(writes("A.zip", f, "A's"),
              [&f](const Library& box) { QFile::remove(box.dest + "/" + f); }),
         Expected{0, 1, 0, 0, {}},
         {{f, "user"}}},
        {"the user's file it replaced, changed by the user since",
         then(writes("A.zip", f, "A's"), userWrites("edited")),
         Expected{0, 0, 0, 1, {{"Runtime/f (original).txt", "user"}}},
         {{f, "edited"}, {"Runtime/f (original).txt", "user"}}},
        {"the same, with the name beside it taken",
         then(
             writes("A.zip", f, "A's"), userWrites("edited"),
             [](const Library& box) { writeFile(box.dest + "/Runtime/f (original).txt", "mine"); }),
         Expected{0, 0, 0, 1, {{"Runtime/f (original 2).txt", "user"}}},
         {{f, "edited"},
          {"Runtime/f (original).txt", "mine"},
          {"Runtime/f (original 2).txt", "user"}}},
        {"the user's file, changed back to what the user had",
         then(writes("A.zip", f, "A's"), userWrites("user")),
         Expected{0, 0, 0, 1, {}},
         {{f, "user"}}},
        {"another package's file it replaced, changed by the user since",
         then(writes("B.zip", f, "B's"), writes("A.zip", f, "A's"), userWrites("edited")),
         Expected{0, 0, 0, 1, {}},
         {{f, "edited"}}},
        {"below a later package's layer",
         then(writes("A.zip", f, "A's"), writes("B.zip", f, "B's")),
         Expected{0, 0, 1, 0, {}},
         {{f, "B's"}}},
        {"below a later package's layer, the user having changed it between",
         then(writes("A.zip", f, "A's"), userWrites("edited"), writes("B.zip", f, "B's")),
         Expected{0, 0, 1, 0, {{"Runtime/f (original).txt", "user"}}},
         {{f, "B's"}, {"Runtime/f (original).txt", "user"}}},
        {"a file found already as it has it",
         writes("A.zip", f, "user"),
         Expected{0, 0, 0, 0, {}},
         {{f, "user"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Library box;
        writeFile(box.dest + "/" + f, "user");
        row.prepare(box);
        const Result<RemovalOutcome> outcome = uninstallFrom(box.dest, "A.zip");
        ASSERT_TRUE(outcome.ok()) << outcome.reason().toStdString();
        EXPECT_EQ(outcome->removed, row.expected.removed);
        EXPECT_EQ(outcome->restored, row.expected.restored);
        EXPECT_EQ(outcome->handedOn, row.expected.handedOn);
        EXPECT_EQ(outcome->kept.size(), row.expected.kept);
        QStringList originals;
        for (const auto& [path, content] : row.expected.originals)
            originals << box.dest + "/" + path;
        EXPECT_EQ(outcome->originalsAt, originals);
        EXPECT_EQ(outcome->warnings, QStringList());
        for (const auto& [path, content] : row.after)
            EXPECT_EQ(readFile(box.dest + "/" + path), content) << path.toStdString();
        // Whatever is left installed goes too: the user's own version of
        // the path is the one left, and the store lets go of everything.
        for (const QString& other : QStringList{"B.zip", "A.zip"}) {
            if (QFile::exists(recordOf(box.dest, other))) {
                EXPECT_TRUE(uninstallFrom(box.dest, other).ok());
            }
        }
        EXPECT_EQ(filesUnder(box.dest + "/.packshelf/store"), QStringList());
    }
}

// On the command line the user's earlier version is named where it now is.
TEST(LibraryVersions, TheUsersOriginalBesideAKeptFileIsNamed) {
    Library box;
    writeFile(box.dest + "/Runtime/Road/road.obj", "the user's road");
    box.add("Roads.zip", ZipWriter().addFile("Runtime/Road/road.obj", "the package's road"));
    ASSERT_EQ(installOne(box, "Roads.zip").exitCode, 0);
    writeFile(box.dest + "/Runtime/Road/road.obj", "the user's edit");
    const CliResult result = runCli({"uninstall", box.dest, "Roads.zip", "--json"});
    EXPECT_EQ(result.exitCode, 1) << "a file was kept";
    const QString beside = box.dest + "/Runtime/Road/road (original).obj";
    EXPECT_EQ(readFile(beside), "the user's road");
    EXPECT_EQ(readFile(box.dest + "/Runtime/Road/road.obj"), "the user's edit");
    ASSERT_EQ(result.records().size(), 1);
    const QJsonArray originals = result.records().first()["ORIGINALS"].toArray();
    ASSERT_EQ(originals.size(), 1);
    EXPECT_EQ(originals[0].toObject()["KEPT_AS"].toString(), "Runtime/Road/road (original).obj")
        << "relative to the library";
    EXPECT_TRUE(result.err.contains("road (original).obj")) << result.err.toStdString();
    EXPECT_EQ(runCli({"installed", box.dest}).records().size(), 0);
}

// However many packages a version passes through, the store holds it once.
TEST(LibraryVersions, AVersionIsKeptOnceWhateverItPassesThrough) {
    Library box;
    const QByteArray user(1 << 20, 'u');
    writeFile(box.dest + "/Runtime/big.bin", user);
    writeFile(box.dest + "/Runtime/copy.bin", user);
    installFiles(box, "A.zip", {{"Runtime/big.bin", "A1"}, {"Runtime/copy.bin", "A1"}});
    for (const QByteArray& version : QByteArrayList{"A2", "A3", "A4"})
        installFiles(box, "A.zip", {{"Runtime/big.bin", version}, {"Runtime/copy.bin", version}});
    installFiles(box, "B.zip", {{"Runtime/big.bin", "B1"}});
    const QStringList stored = filesUnder(box.dest + "/.packshelf/store");
    // The user's version (once, for both paths) and A4's, which B replaced.
    ASSERT_EQ(stored.size(), 2) << stored.join(", ").toStdString();
    qint64 bytes = 0;
    for (const QString& file : stored)
        bytes += QFileInfo(file).size();
    EXPECT_EQ(bytes, user.size() + 2);
    ASSERT_TRUE(uninstallFrom(box.dest, "A.zip").ok());
    ASSERT_TRUE(uninstallFrom(box.dest, "B.zip").ok());
    EXPECT_EQ(readFile(box.dest + "/Runtime/big.bin"), user);
    EXPECT_EQ(readFile(box.dest + "/Runtime/copy.bin"), user);
    EXPECT_EQ(filesUnder(box.dest + "/.packshelf/store"), QStringList());
}

// A library whose records are of the earlier form, with the files packages
// replaced in .packshelf/backup/: read as it is, and moved into the store by
// the first change without losing a byte.
TEST(LibraryVersions, ALibraryOfTheEarlierFormKeepsEveryByte) {
    Library box;
    const QString records = box.dest + "/.packshelf";
    const auto file = [](const QString& path, const QByteArray& content, const char* action,
                         const QString& backup, const QString& previousOwner) {
        QJsonObject entry{{"path", path},
                          {"size", content.size()},
                          {"crc32", qint64(ZipWriter::crc32Of(content))},
                          {"modified", 1245074010},
                          {"action", action}};
        if (!backup.isEmpty())
            entry["backup"] = backup;
        if (!previousOwner.isEmpty())
            entry["previousOwner"] = previousOwner;
        return entry;
    };
    const auto record = [&](const QString& archive, qint64 sequence, const QJsonArray& files) {
        writeFile(records + "/" + manifestId(archive) + ".json",
                  QJsonDocument(QJsonObject{{"archive", archive},
                                            {"archiveSize", 100},
                                            {"sha256", QString(64, '0')},
                                            {"installed", "2025-01-01T00:00:00Z"},
                                            {"sequence", sequence},
                                            {"run", QString("run-%1").arg(sequence)},
                                            {"destination", ""},
                                            {"plan", QJsonObject{{"rule", 2}, {"primary", ""}}},
                                            {"folders", QJsonArray()},
                                            {"files", files}})
                      .toJson());
    };
    // The user's f.txt, replaced by A, whose version B replaced; A's own g.txt.
    writeFile(box.dest + "/Runtime/f.txt", "B's f");
    writeFile(box.dest + "/Runtime/g.txt", "A's g");
    record("A.zip", 1,
           {file("Runtime/f.txt", "A's f", "replaced", "Runtime/f.txt", ""),
            file("Runtime/g.txt", "A's g", "new", "", "")});
    record("B.zip", 2, {file("Runtime/f.txt", "B's f", "replaced", "Runtime/f.txt", "A.zip")});
    writeFile(records + "/backup/" + manifestId("A.zip") + "/Runtime/f.txt", "the user's f");
    writeFile(records + "/backup/" + manifestId("B.zip") + "/Runtime/f.txt", "A's f");
    // What an earlier failure left there, which no record names.
    writeFile(records + "/backup/" + manifestId("C.zip") + "/Runtime/h.txt", "only here");
    for (const QString& path : QStringList{"Runtime/f.txt", "Runtime/g.txt"})
        ::utimensat(AT_FDCWD, QFile::encodeName(box.dest + "/" + path).constData(),
                    std::array<timespec, 2>{{{1245074010, 0}, {1245074010, 0}}}.data(), 0);

    const CliResult listed = runCli({"installed", box.dest});
    EXPECT_EQ(listed.records().size(), 2) << listed.err.toStdString();
    EXPECT_TRUE(QFile::exists(records + "/backup")) << "reading changes nothing";

    const CliResult first = runCli({"uninstall", box.dest, "B.zip"});
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(readFile(box.dest + "/Runtime/f.txt"), "A's f");
    EXPECT_FALSE(QFile::exists(records + "/backup"));
    QDirIterator kept(records, {"h.txt"}, QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(kept.hasNext()) << "a backup no record names is kept for the user";
    const QString keptPath = kept.next();
    EXPECT_TRUE(keptPath.contains("/.packshelf/recovered-")) << keptPath.toStdString();
    EXPECT_EQ(readFile(keptPath), "only here");

    const CliResult second = runCli({"uninstall", box.dest, "A.zip"});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(readFile(box.dest + "/Runtime/f.txt"), "the user's f");
    EXPECT_FALSE(QFile::exists(box.dest + "/Runtime/g.txt"));
    EXPECT_EQ(filesUnder(box.dest + "/.packshelf/store"), QStringList());
}

// Each repair keeps the user's versions in a folder of its own, also two
// within one second; nothing of the user's is lost.
TEST(LibraryVersions, RepairsKeepTheUsersVersionsInFoldersOfTheirOwn) {
    Library box;
    box.add("P.zip",
            ZipWriter().addFile("Runtime/a.txt", "P's a").addFile("Runtime/b.txt", "P's b"));
    ASSERT_EQ(installOne(box, "P.zip").exitCode, 0);
    QStringList keptAs;
    for (const QByteArray& edit : QByteArrayList{"first edit", "second edit"}) {
        writeFile(box.dest + "/Runtime/a.txt", edit);
        const CliResult repaired =
            runCli({"repair", box.dest, "P.zip", "--source", box.source, "--json"});
        EXPECT_EQ(repaired.exitCode, 0) << repaired.err.toStdString();
        ASSERT_EQ(repaired.records().size(), 1);
        const QJsonArray kept = repaired.records().first()["KEPT"].toArray();
        ASSERT_EQ(kept.size(), 1);
        keptAs << box.dest + "/" + kept[0].toObject()["KEPT_AS"].toString();
        EXPECT_EQ(readFile(keptAs.last()), edit);
        EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "P's a");
    }
    EXPECT_NE(keptAs[0].section("/repaired-", 1).section('/', 0, 0),
              keptAs[1].section("/repaired-", 1).section('/', 0, 0));
    EXPECT_EQ(readFile(keptAs[0]), "first edit") << "the second repair kept the first's too";
    EXPECT_EQ(stagedUnder(box.dest), QStringList());
}

// A package installed into a folder of the archive's own is acted on there
// when its record carries this user's seal, or when the user names the
// folder; a record sealed with another key needs the user's word.
TEST(LibraryVersions, OutsideTheLibraryOnlyWithTheSealOrTheUsersWord) {
    Library box;
    const QString config = box.dir.filePath("config");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    const QString own = box.dir.filePath("own");
    writeFile(own + "/Runtime/a.txt", "the user's own");
    box.add("P.zip", ZipWriter().addFile("Runtime/a.txt", "P's a"));
    const auto installed = [&] {
        ArchiveItem item = box.analysed("P.zip");
        recordDirectDestination(item, own, QStringLiteral("Runtime"));
        return runInstaller(box.job({item})).items.at(0).state() == ItemState::Installed;
    };
    ASSERT_TRUE(installed());
    EXPECT_FALSE(QJsonDocument::fromJson(readFile(recordOf(box.dest, "P.zip")))["seal"]
                     .toString()
                     .isEmpty());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(config + "/PackShelf/destination-key").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the key is the user's alone";
    EXPECT_EQ(readFile(own + "/Runtime/a.txt"), "P's a");
    EXPECT_EQ(runCli({"uninstall", box.dest, "P.zip"}).exitCode, 0);
    EXPECT_EQ(readFile(own + "/Runtime/a.txt"), "the user's own");

    // Another user's key: the seal proves nothing here.
    ASSERT_TRUE(installed());
    QFile::remove(config + "/PackShelf/destination-key");
    const CliResult refused = runCli({"uninstall", box.dest, "P.zip"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(("needs confirmation for " + own).toUtf8()))
        << refused.err.toStdString();
    EXPECT_EQ(readFile(own + "/Runtime/a.txt"), "P's a");
    const CliResult confirmed = runCli({"uninstall", box.dest, "P.zip", "--allow-outside", own});
    EXPECT_EQ(confirmed.exitCode, 0) << confirmed.err.toStdString();
    EXPECT_EQ(readFile(own + "/Runtime/a.txt"), "the user's own");
    qunsetenv("XDG_CONFIG_HOME");
}
