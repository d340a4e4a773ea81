#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/stat.h>

#include "tests/support/CliRunner.h"
#include "tests/support/HostileCorpus.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf::test;

namespace {

QByteArray packageArchive() {
    return ZipWriter().addFile("Pack/Runtime/a.txt", "a").addFile("Pack/Data/b.txt", "b").bytes();
}

// The names in a folder of a record's tree ("" for the top): folders end in
// "/", or in "/-" when their content could not be read.
QStringList namesIn(const QJsonObject& record, const QString& folder = QString()) {
    QJsonArray level = record["ZIP"].toArray();
    for (const QJsonValue& node : level) {
        if (!folder.isEmpty() && node["DIRNAME"].toString() == folder)
            level = node["CONTENT"].toArray();
    }
    QStringList names;
    for (const QJsonValue& node : level) {
        if (node["TYPE"].toInt() == 1)
            names << node["CONTENT"].toString();
        else
            names << node["DIRNAME"].toString() + (node["CONTENT"].isArray() ? "/" : "/-");
    }
    return names;
}

} // namespace

TEST(CliAnalyze, PrintsOneRecordPerArchiveInListOrder) {
    QTemporaryDir dir;
    const QString source = dir.filePath("source");
    // An update's name comes after its package's, as a person sorts them.
    for (const char* name : {"c.Zip", "a.zip", "B.ZIP", "a update.zip", "a 10.zip", "a 9.zip"})
        writeFile(source + "/" + QString(name), packageArchive());
    writeFile(source + "/d.zip.txt", "x");
    writeFile(source + "/e", "x");
    QDir().mkpath(source + "/f.zip");
    const QString work = dir.filePath("work");
    QDir().mkpath(work);

    const CliResult result = runCli({"analyze", source, "--work", work});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const auto records = result.records();
    ASSERT_EQ(records.size(), 7);
    QStringList names;
    for (const QJsonObject& record : records)
        names << record["FILENAME"].toString();
    EXPECT_EQ(names, QStringList({"a.zip", "a 9.zip", "a 10.zip", "a update.zip", "B.ZIP", "c.Zip",
                                  "f.zip"}));
    EXPECT_EQ(QStringList(records[0].keys()),
              QStringList({"DATAPATH", "FILENAME", "FILES", "FOLDERS", "HASDATA", "HASRUNTIME",
                           "IGNORE_DS", "INFO", "RUNTIMEPATH", "STATE"}));
    EXPECT_TRUE(records[0]["STATE"].isDouble());
    EXPECT_EQ(records[0]["RUNTIMEPATH"].toString(), "Pack");
    EXPECT_EQ(records[6]["INFO"].toString(), "Unzip error") << "a folder named .zip is listed";
    EXPECT_EQ(listRecursive(work), QStringList()) << "nothing is left in the work folder";
    EXPECT_TRUE(result.err.isEmpty()) << "no progress line when stderr is not a terminal";
}

TEST(CliAnalyze, TreeAndIgnoreDataOptions) {
    QTemporaryDir dir;
    writeFile(dir.filePath("src/p.zip"),
              ZipWriter().addFile("Data/d.txt", "d").addFile("x/Runtime/r.txt", "r").bytes());
    const QJsonObject plain = runCli({"analyze", dir.filePath("src")}).records().value(0);
    EXPECT_FALSE(plain.contains("ZIP"));
    EXPECT_EQ(plain["DATAPATH"].toString(), "");

    const QJsonObject judged =
        runCli({"analyze", dir.filePath("src"), "--ignore-data", "--tree"}).records().value(0);
    EXPECT_EQ(judged["IGNORE_DS"].toInteger(), 1);
    EXPECT_EQ(judged["RUNTIMEPATH"].toString(), "x");
    EXPECT_FALSE(judged.contains("DATAPATH"));
    EXPECT_EQ(namesIn(judged), QStringList({"Data/", "x/"}));
    EXPECT_EQ(judged["ZIP"][1]["CONTENT"][0]["IS_RUNTIME"].toInt(), 1);
    EXPECT_EQ(judged["ZIP"][1]["CONTENT"][0]["CONTENT"][0]["CONTENT"].toString(), "r.txt");
}

TEST(CliAnalyze, UsageErrorsExitWithTwo) {
    QTemporaryDir dir;
    writeFile(dir.filePath("file.txt"), "x");
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"frobnicate"}, QStringList{"analyze"},
          QStringList{"analyze", dir.filePath("missing")},
          QStringList{"analyze", dir.filePath("file.txt")},
          QStringList{"analyze", dir.path(), "--bogus"},
          QStringList{"analyze", dir.path(), dir.path()}}) {
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    // The overview names every command, and each has help of its own.
    const CliResult overview = runCli({"--help"});
    EXPECT_EQ(overview.exitCode, 0);
    for (const char* command :
         {"analyze", "install", "installed", "uninstall", "verify", "repair", "undo", "recover"}) {
        EXPECT_TRUE(overview.out.contains(QString("\n  %1 ").arg(command).toUtf8()))
            << command << " is missing from --help";
        const CliResult own = runCli({command, "--help"});
        EXPECT_EQ(own.exitCode, 0) << command;
        EXPECT_TRUE(own.out.startsWith(QString("Usage: packshelf-cli %1 ").arg(command).toUtf8()))
            << command;
    }
    const CliResult empty = runCli({"analyze", dir.path()});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_TRUE(empty.out.isEmpty());
}

// The hostile corpus, large members included, and the faults of the old
// expanding path, in one source folder: every archive gets its verdict,
// nothing outside the work folder changes and the work folder stays empty.
TEST(CliAnalyze, HostileArchivesKeepToTheWorkFolderAndGetVerdicts) {
    QTemporaryDir dir;
    const QString source = dir.filePath("source");
    const QString work = dir.filePath("work");
    QDir().mkpath(work);
    writeFile(dir.filePath("bystander/keep.txt"), "keep me");
    const std::vector<HostileArchive> corpus = hostileCorpus(true);
    for (const HostileArchive& archive : corpus)
        writeFile(source + "/" + archive.fileName, archive.bytes);
    // A name of 200 CP437 letters (400 bytes in UTF-8), and a file beside a
    // folder of the same name: both shown, and both named in a warning.
    writeFile(source + "/clash.zip", ZipWriter()
                                         .addFile("Runtime/" + QByteArray(200, '\x82'), "long")
                                         .addFile("Runtime/x", "file")
                                         .addFile("Runtime/x/y", "inside")
                                         .bytes());
    // A folder named like an archive is a folder.
    writeFile(
        source + "/textures.zip",
        ZipWriter().addFolder("Textures.zip/").addFile("Textures.zip/Runtime/a.dds", "a").bytes());
    // 17 nested archives, each under a chain of 1,900 folders.
    QByteArray deep = ZipWriter().addFile("Runtime/bottom.txt", "b").bytes();
    for (int level = 0; level < 17; ++level)
        deep = ZipWriter().addFile(QByteArray("a/").repeated(1900) + "inner.zip", deep, 0).bytes();
    writeFile(source + "/deep.zip", deep);
    // A source name that is not UTF-8 (Latin-1): renamed to it byte by byte.
    writeFile(source + "/cafe", ZipWriter().addFile("Runtime/a.txt", "a").bytes());
    ASSERT_EQ(::rename(QFile::encodeName(source + "/cafe").constData(),
                       (QFile::encodeName(source) + "/Caf\xe9.zip").constData()),
              0);
    const FolderSnapshot before = FolderSnapshot::of(dir.path());
    // A FIFO named like an archive (no snapshot reads it).
    ASSERT_EQ(::mkfifo(QFile::encodeName(source + "/fifo.zip").constData(), 0600), 0);

    QElapsedTimer clock;
    clock.start();
    const CliResult result = runCli({"analyze", source, "--work", work, "--tree"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_LT(clock.elapsed(), 120000) << "nothing waits on the FIFO";
    QFile::remove(source + "/fifo.zip");
    const QMap<QString, QJsonObject> records = result.byFileName();
    ASSERT_EQ(records.size(), int(corpus.size()) + 5) << result.out.toStdString();
    for (const HostileArchive& archive : corpus) {
        const bool refused = archive.expect == HostileArchive::Expect::Refused;
        const bool locked = archive.expect == HostileArchive::Expect::NeedsPassword;
        EXPECT_EQ(records[archive.fileName]["INFO"].toString(), refused  ? "Unzip error"
                                                                : locked ? "Needs a password"
                                                                         : "OK")
            << archive.fileName.toStdString();
    }
    EXPECT_EQ(FolderSnapshot::differences(before, FolderSnapshot::of(dir.path())), QStringList());
    EXPECT_FALSE(QFileInfo::exists("/tmp/packshelf-evil.txt"));
    // Unsafe entries are passed over, and said to be.
    for (const char* name :
         {"dotdot.zip", "absolute.zip", "backslash.zip", "drive.zip", "nul.zip"}) {
        EXPECT_EQ(records[name]["FILES"].toInt(), 1) << name;
        EXPECT_TRUE(records[name]["WARNING"].toString().contains("unsafe")) << name;
    }

    const QJsonObject clash = records["clash.zip"];
    EXPECT_EQ(clash["FILES"].toInt(), 3) << "every file is in the tree";
    EXPECT_TRUE(clash["WARNING"].toString().contains("too long"));
    EXPECT_TRUE(clash["WARNING"].toString().contains("Runtime/x")) << "the file beside its folder";
    EXPECT_EQ(records["textures.zip"]["RUNTIMEPATH"].toString(), "Textures.zip");
    EXPECT_EQ(namesIn(records["textures.zip"]), QStringList({"Textures.zip/"}));
    EXPECT_EQ(records["deep.zip"]["INFO"].toString(), "No Runtime");
    EXPECT_TRUE(records["deep.zip"]["WARNING"].toString().contains("too deep"));
    int nestedLevels = 0; // archives in archives are read 16 deep, no deeper
    for (QJsonValue node = records["deep40.zip"]["ZIP"][0]; node["CONTENT"].isArray();
         node = node["CONTENT"][0])
        ++nestedLevels;
    EXPECT_EQ(nestedLevels, 16);
    EXPECT_EQ(records[QString::fromUtf8("Caf\xef\xbf\xbd.zip")]["INFO"].toString(), "OK");
    EXPECT_EQ(records["fifo.zip"]["INFO"].toString(), "Unzip error");
    EXPECT_TRUE(records["fifo.zip"]["REASON"].toString().contains("not a regular file"));

    // Awkward names are described literally.
    EXPECT_EQ(namesIn(records["shell-names.zip"], "Runtime"),
              QStringList({"`id`.txt", "$HOME.txt", "new\nline.txt", "ok.txt",
                           "quote\"s and 'single'.txt", "semi;colon|pipe.txt"}));
    EXPECT_EQ(namesIn(records["duplicates.zip"], "Runtime"), QStringList({"a.txt", "ok.txt"}));
    EXPECT_EQ(namesIn(records["file-and-folder.zip"], "Runtime"),
              QStringList({"ok.txt", "x/", "x"}));
    EXPECT_EQ(namesIn(records["symlink.zip"]), QStringList({"link/", "Runtime/"}))
        << "a link entry is passed over, the folder of the same name kept";
    EXPECT_TRUE(records["symlink.zip"]["WARNING"].toString().contains("a link passed over"));
    EXPECT_EQ(namesIn(records["nested-dots.zip"]),
              QStringList({"...zip", "..zip", ".zip", "Runtime/"}))
        << "no folder can be named after them: they stay files, as an install writes them";
}
