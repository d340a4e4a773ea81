#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf::test;

namespace {

QByteArray packageArchive() {
    return ZipWriter().addFile("Pack/Runtime/a.txt", "a").addFile("Pack/Data/b.txt", "b").bytes();
}

bool runTool(const QString& tool, const QStringList& arguments, const QString& workingDirectory) {
    if (QStandardPaths::findExecutable(tool).isEmpty())
        return false;
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(tool, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

} // namespace

TEST(CliAnalyze, PrintsOneRecordPerArchiveInListOrder) {
    QTemporaryDir dir;
    const QString source = dir.filePath("source");
    for (const char* name : {"c.Zip", "a.zip", "B.ZIP"})
        writeFile(source + "/" + QString(name), packageArchive());
    writeFile(source + "/d.zip.txt", "x");
    writeFile(source + "/e", "x");
    QDir().mkpath(source + "/f.zip");
    const QString work = dir.filePath("work");
    QDir().mkpath(work);

    const CliResult result = runCli({"analyze", source, "--work", work});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const auto records = result.records();
    ASSERT_EQ(records.size(), 4);
    QStringList names;
    for (const QJsonObject& record : records)
        names << record["FILENAME"].toString();
    EXPECT_EQ(names, QStringList({"a.zip", "B.ZIP", "c.Zip", "f.zip"}));

    const QJsonObject& a = records[0];
    EXPECT_EQ(QStringList(a.keys()),
              QStringList({"DATAPATH", "FILENAME", "FILES", "FOLDERS", "HASDATA", "HASRUNTIME",
                           "IGNORE_DS", "INFO", "RUNTIMEPATH", "STATE"}));
    EXPECT_EQ(a["STATE"].toInteger(), 5);
    EXPECT_TRUE(a["STATE"].isDouble());
    EXPECT_EQ(a["RUNTIMEPATH"].toString(), "Pack");
    EXPECT_EQ(records[3]["INFO"].toString(), "Unzip error") << "a folder named .zip is listed";
    EXPECT_EQ(listRecursive(work), QStringList()) << "nothing is left in the work folder";
    EXPECT_TRUE(result.err.isEmpty()) << "no progress line when stderr is not a terminal";
}

TEST(CliAnalyze, TreeAndIgnoreDataOptions) {
    QTemporaryDir dir;
    writeFile(dir.filePath("src/p.zip"),
              ZipWriter().addFile("Data/d.txt", "d").addFile("x/Runtime/r.txt", "r").bytes());

    const CliResult plain = runCli({"analyze", dir.filePath("src")});
    ASSERT_EQ(plain.exitCode, 0);
    const QJsonObject record = plain.records().value(0);
    EXPECT_FALSE(record.contains("ZIP"));
    EXPECT_EQ(record["DATAPATH"].toString(), "");
    EXPECT_EQ(record["IGNORE_DS"].toInteger(), 0);

    const CliResult ignoring = runCli({"analyze", dir.filePath("src"), "--ignore-data", "--tree"});
    ASSERT_EQ(ignoring.exitCode, 0);
    const QJsonObject judged = ignoring.records().value(0);
    EXPECT_EQ(judged["IGNORE_DS"].toInteger(), 1);
    EXPECT_EQ(judged["RUNTIMEPATH"].toString(), "x");
    EXPECT_FALSE(judged.contains("DATAPATH"));
    const QJsonArray tree = judged["ZIP"].toArray();
    ASSERT_EQ(tree.size(), 2);
    EXPECT_EQ(tree[0].toObject()["DIRNAME"].toString(), "Data");
    EXPECT_FALSE(tree[0].toObject().contains("IS_DATA"));
    const QJsonObject runtime = tree[1].toObject()["CONTENT"].toArray()[0].toObject();
    EXPECT_EQ(runtime["DIRNAME"].toString(), "Runtime");
    EXPECT_EQ(runtime["IS_RUNTIME"].toInt(), 1);
    EXPECT_EQ(runtime["TYPE"].toInt(), 2);
    const QJsonObject file = runtime["CONTENT"].toArray()[0].toObject();
    EXPECT_EQ(file["CONTENT"].toString(), "r.txt");
    EXPECT_EQ(file["TYPE"].toInt(), 1);
    EXPECT_FALSE(file.contains("DIRNAME"));
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
    const CliResult help = runCli({"analyze", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--ignore-data"));

    const CliResult empty = runCli({"analyze", dir.path()});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_TRUE(empty.out.isEmpty());
}

TEST(CliAnalyze, ArchivesMadeByOtherTools) {
    QTemporaryDir dir;
    const QString content = dir.filePath("content");
    writeFile(content + "/Pack/Runtime/bin/tool.txt", QByteArray(20000, 'r'));
    writeFile(content + "/Pack/Data/textures/t.bin", QByteArray(30000, 'd'));
    writeFile(content + "/Other/Runtime/x.txt", "second runtime");
    const QString source = dir.filePath("source");
    QDir().mkpath(source);

    QMap<QString, QString> expected;
    if (runTool("zip", {"-qr", source + "/infozip.zip", "Pack"}, content))
        expected["infozip.zip"] = "OK";
    if (runTool("zip", {"-qr", source + "/infozip-dup.zip", "Pack", "Other"}, content))
        expected["infozip-dup.zip"] = "Duplicates";
    if (runTool(
            "python3",
            {"-c",
             "import zipfile, sys; z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED);"
             "z.write('Pack/Runtime/bin/tool.txt'); z.write('Pack/Data/textures/t.bin'); z.close()",
             source + "/python.zip"},
            content))
        expected["python.zip"] = "OK";
    if (runTool("7z", {"a", "-tzip", "-bd", source + "/sevenzip.zip", "Pack"}, content))
        expected["sevenzip.zip"] = "OK";
    if (runTool("bsdtar", {"-a", "-cf", source + "/bsdtar.zip", "Pack"}, content))
        expected["bsdtar.zip"] = "OK";
    if (runTool("zip", {"-qr", "-P", "pw", source + "/infozip-enc.zip", "Pack"}, content))
        expected["infozip-enc.zip"] = "Unzip error";
    if (expected.isEmpty())
        GTEST_SKIP() << "no other zip tool is installed";

    const CliResult result = runCli({"analyze", source});
    ASSERT_EQ(result.exitCode, 0);
    QMap<QString, QString> verdicts;
    for (const QJsonObject& record : result.records()) {
        verdicts[record["FILENAME"].toString()] = record["INFO"].toString();
        if (record["INFO"].toString() == "OK") {
            EXPECT_EQ(record["RUNTIMEPATH"].toString(), "Pack")
                << record["FILENAME"].toString().toStdString();
        }
    }
    EXPECT_EQ(verdicts, expected);
}
