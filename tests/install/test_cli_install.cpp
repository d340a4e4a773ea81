#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <map>

#include "install/LibraryTransaction.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/HostileCorpus.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

std::map<QString, QJsonObject> byFileName(const CliResult& result) {
    std::map<QString, QJsonObject> records;
    for (const QJsonObject& record : result.records())
        records[record["FILENAME"].toString()] = record;
    return records;
}

QByteArray pseudoRandom(qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

} // namespace

TEST(CliInstall, InstallsEveryReadyArchiveAndPrintsTheRecordsInListOrder) {
    Library box;
    box.add("ok.zip", ZipWriter().addFile("Pack/Runtime/r.txt", "r").bytes());
    box.add("dup.zip",
            ZipWriter().addFile("A/Runtime/a.txt", "a").addFile("B/Runtime/b.txt", "b").bytes());
    box.add("none.zip", ZipWriter().addFile("Stuff/x.txt", "x").bytes());
    box.add("broken.zip", "not an archive");

    const CliResult result = runCli({"install", box.source, box.dest, "--work", box.work});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty()) << "no progress and no log lines when all went well";
    const QList<QJsonObject> records = result.records();
    ASSERT_EQ(records.size(), 4);
    QStringList lines;
    for (const QJsonObject& record : records) {
        lines << QStringLiteral("%1 %2 %3")
                     .arg(record["FILENAME"].toString())
                     .arg(record["STATE"].toInteger())
                     .arg(record["INFO"].toString());
    }
    EXPECT_EQ(lines, QStringList({"broken.zip -1 Unzip error", "dup.zip 3 Duplicates",
                                  "none.zip -1 No Runtime", "ok.zip 9 OK"}));
    EXPECT_EQ(records[3]["RUNTIMEPATH"].toString(), "Pack") << "installed records keep their keys";
    EXPECT_EQ(listRecursive(box.dest), QStringList({"Runtime/", "Runtime/r.txt"}));
    EXPECT_EQ(listRecursive(box.work), QStringList());
}

TEST(CliInstall, ManualChoicesApplyInCommandLineOrder) {
    Library box;
    box.add("dup.zip",
            ZipWriter().addFile("A/Runtime/a.txt", "a").addFile("B/Runtime/b.txt", "b").bytes());
    box.add("none.zip",
            ZipWriter().addFile("Stuff/x.txt", "x").addFile("Other/Deep/y.txt", "y").bytes());
    box.add("a=b.zip", ZipWriter().addFile("Dir/z.txt", "z").bytes());
    box.add("dataonly.zip", ZipWriter().addFile("Data/d.txt", "d").bytes());
    // Runtime twice, Data once: the Data folder found comes with the
    // Runtime folder chosen.
    box.add("dupdata.zip", ZipWriter()
                               .addFile("A/Runtime/a2.txt", "a")
                               .addFile("B/Runtime/b2.txt", "b")
                               .addFile("C/Data/c.txt", "c")
                               .bytes());

    // Choices the window would refuse exit with 2 and install nothing.
    for (const QStringList& refused :
         {QStringList{"--force", "none.zip=Stuff"}, QStringList{"--runtime", "dup.zip=C"},
          QStringList{"--data", "dup.zip=B"}, QStringList{"--force", "dup.zip="},
          QStringList{"--runtime", "none.zip="}}) {
        const CliResult result = runCli(QStringList{"install", box.source, box.dest} + refused);
        EXPECT_EQ(result.exitCode, 2) << refused.join(' ').toStdString();
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
        EXPECT_EQ(listRecursive(box.dest), QStringList());
    }

    const CliResult result =
        runCli({"install", box.source, box.dest, "--runtime", "dup.zip=B",
                "--force=none.zip=", "--force", "a=b.zip=", "--runtime", "dupdata.zip=A"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    auto records = byFileName(result);
    EXPECT_EQ(records["dup.zip"]["STATE"].toInteger(), 9);
    EXPECT_EQ(records["dup.zip"]["RUNTIMEPATH"].toString(), "B");
    EXPECT_EQ(records["none.zip"]["FORCEDPATH"].toString(), "");
    EXPECT_EQ(records["none.zip"]["HASFORCED"].toInteger(), 1);
    EXPECT_EQ(records["a=b.zip"]["STATE"].toInteger(), 9) << "a name may hold '='";
    EXPECT_EQ(records["dupdata.zip"]["STATE"].toInteger(), 9);
    EXPECT_EQ(listRecursive(box.dest),
              QStringList({"Data/", "Data/c.txt", "Data/d.txt", "Dir/", "Dir/z.txt", "Other/",
                           "Other/Deep/", "Other/Deep/y.txt", "Runtime/", "Runtime/a2.txt",
                           "Runtime/b.txt", "Stuff/", "Stuff/x.txt"}));
}

TEST(CliInstall, AFailedCopyExitsWithOneAndNamesThePath) {
    Library box;
    box.add("data.zip", ZipWriter().addFile("Data/d.txt", "d").bytes());
    box.add("runtime.zip", ZipWriter().addFile("Runtime/r.txt", "r").bytes());
    QDir().mkpath(box.dest);
    const QString outside = box.dir.filePath("outside");
    QDir().mkpath(outside);
    ASSERT_TRUE(QFile::link(outside, box.dest + "/Data"));
    const FolderSnapshot before = box.surroundings();

    const CliResult result = runCli({"install", box.source, box.dest, "--work", box.work});
    EXPECT_EQ(result.exitCode, 1);
    auto records = byFileName(result);
    EXPECT_EQ(records["data.zip"]["STATE"].toInteger(), -1);
    EXPECT_EQ(records["data.zip"]["ERROR"].toInteger(), 3);
    EXPECT_EQ(records["data.zip"]["INFO"].toString(), "Failed!");
    EXPECT_EQ(records["runtime.zip"]["STATE"].toInteger(), 9) << "the install goes on";
    EXPECT_TRUE(result.err.contains(
        QString("Install of data.zip failed at %1/Data: a symbolic link is in the way")
            .arg(box.dest)
            .toUtf8()))
        << result.err.toStdString();
    EXPECT_EQ(FolderSnapshot::differences(before, box.surroundings()), QStringList());
}

TEST(CliInstall, UsageErrorsExitWithTwoAndWriteNothing) {
    Library box;
    box.add("ok.zip", ZipWriter().addFile("Runtime/r.txt", "r").bytes());
    writeFile(box.dir.filePath("file.txt"), "x");
    for (const QStringList& arguments : {
             QStringList{"install"},
             QStringList{"install", box.source},
             QStringList{"install", box.source, box.dest, box.dest},
             QStringList{"install", box.dir.filePath("missing"), box.dest},
             QStringList{"install", box.dir.filePath("file.txt"), box.dest},
             QStringList{"install", box.source, box.dest, "--runtime", "nosuch.zip=x"},
             QStringList{"install", box.source, box.dest, "--data", "ok.zi=x"},
             QStringList{"install", box.source, box.dest, "--force", "ok.zip"},
             QStringList{"install", box.source, box.dest, "--runtime"},
             QStringList{"install", box.source, box.dest, "--bogus"},
             QStringList{"install", box.source, box.dir.filePath("unmounted")},
             QStringList{"install", box.source, box.dir.filePath("file.txt")},
         }) {
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_EQ(listRecursive(box.dest), QStringList());
    EXPECT_FALSE(QFile::exists(box.dir.filePath("unmounted"))) << "a missing library is not made";
    const CliResult help = runCli({"install", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--runtime NAME=PATH"));
    EXPECT_TRUE(runCli({"--help"}).out.contains("install SOURCE DEST"));
}

TEST(CliInstall, HostileArchivesReachNothingOutsideTheLibrary) {
    Library box;
    const std::vector<HostileArchive> corpus = hostileCorpus(false);
    for (const HostileArchive& archive : corpus)
        box.add(archive.fileName, archive.bytes);
    const FolderSnapshot before = box.surroundings();

    const CliResult result = runCli({"install", box.source, box.dest, "--work", box.work});
    EXPECT_EQ(result.exitCode, 1);
    auto records = byFileName(result);
    for (const HostileArchive& archive : corpus) {
        const QJsonObject& record = records[archive.fileName];
        SCOPED_TRACE(archive.fileName.toStdString());
        if (archive.expect == HostileArchive::Expect::Refused) {
            EXPECT_EQ(record["INFO"].toString(), "Unzip error");
        } else if (archive.expect == HostileArchive::Expect::Analysed) {
            EXPECT_EQ(record["STATE"].toInteger(), 9);
        } else {
            EXPECT_EQ(record["INFO"].toString(), "Failed!");
            EXPECT_EQ(record["ERROR"].toInteger(),
                      archive.expect == HostileArchive::Expect::Damaged ? 2 : 3);
        }
    }
    EXPECT_EQ(FolderSnapshot::differences(before, box.surroundings()), QStringList());
    EXPECT_EQ(listRecursive(box.work), QStringList());
    for (const QString& path : listRecursive(box.dest))
        EXPECT_FALSE(QFileInfo(box.dest + "/" + path).isSymLink()) << path.toStdString();
}

// SIGINT or SIGTERM while an archive is being written: that archive is
// rolled back, the one installed before it stays, nothing staged is left.
TEST(CliInstall, AnInterruptedInstallRollsBackTheArchiveBeingWritten) {
    for (const int signal : {SIGINT, SIGTERM}) {
        Library box;
        box.add("first.zip", ZipWriter().addFile("Runtime/first.txt", "first").bytes());
        ZipWriter large;
        for (int i = 0; i < 8; ++i)
            large.addFile("Runtime/big/part" + QByteArray::number(i), pseudoRandom(16 << 20, i), 0);
        box.add("second.zip", large.bytes());
        QProcess child;
        child.start(cliPath(), {"install", box.source, box.dest, "--work", box.work});
        ASSERT_TRUE(child.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        while ((!QFile::exists(box.dest + "/Runtime/first.txt") ||
                partialFilesUnder(box.dest).isEmpty()) &&
               clock.elapsed() < 60000)
            QThread::msleep(1);
        ::kill(pid_t(child.processId()), signal);
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 128 + signal);
        EXPECT_EQ(listRecursive(box.dest), QStringList({"Runtime/", "Runtime/first.txt"}));
        QStringList states;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                states << QString::number(QJsonDocument::fromJson(line)["STATE"].toInteger());
        }
        EXPECT_EQ(states, QStringList({"9", "5"})) << "the interrupted archive is as it was";
        EXPECT_EQ(listRecursive(box.work), QStringList());
    }
}

// Kills `packshelf-cli install` at random moments, and right while it writes
// a large file, and checks after each kill that every library file at its
// final name is either as it was or as the archive has it.
TEST(CliInstall, AKilledInstallLeavesEveryLibraryFileOldOrNew) {
    Library box;
    std::map<QString, QByteArray> oldFiles;
    std::map<QString, QByteArray> newFiles;
    ZipWriter zip;
    for (int i = 0; i < 4; ++i) {
        const QString path = QStringLiteral("Runtime/big/part%1.bin").arg(i);
        newFiles[path] = pseudoRandom(12 << 20, quint32(i + 1));
        oldFiles[path] = pseudoRandom(8 << 20, quint32(i + 100));
        zip.addFile(path.toUtf8(), newFiles[path], 0);
    }
    for (int i = 0; i < 300; ++i) {
        const QString path = QStringLiteral("Runtime/small/%1.txt").arg(i, 3, 10, QLatin1Char('0'));
        newFiles[path] = QStringLiteral("new %1\n").arg(i).toUtf8().repeated(40);
        oldFiles[path] = QStringLiteral("old %1\n").arg(i).toUtf8().repeated(30);
        zip.addFile(path.toUtf8(), newFiles[path]);
    }
    box.add("big.zip", zip.bytes());
    for (const auto& [path, data] : oldFiles)
        writeFile(box.dest + "/" + path, data);
    writeFile(box.dest + "/Runtime/mine.txt", "mine");

    QElapsedTimer clock;
    clock.start();
    QDir().mkpath(box.dir.filePath("scratch"));
    const CliResult calibration =
        runCli({"install", box.source, box.dir.filePath("scratch"), "--work", box.work});
    ASSERT_EQ(calibration.exitCode, 0) << calibration.err.toStdString();
    const qint64 fullRun = clock.elapsed();

    const auto checkLibrary = [&](int round) {
        int partials = 0;
        for (const QString& path : listRecursive(box.dest)) {
            if (path.endsWith('/'))
                continue;
            if (isStagingName(QFileInfo(path).fileName())) {
                ++partials;
                continue;
            }
            const QByteArray content = readFile(box.dest + "/" + path);
            if (path == "Runtime/mine.txt") {
                EXPECT_EQ(content, "mine");
                continue;
            }
            EXPECT_TRUE(content == oldFiles[path] || content == newFiles[path])
                << "round " << round << ": " << path.toStdString() << " is neither old nor new";
        }
        return partials;
    };

    QRandomGenerator random(20240607);
    int killsThatLeftAPartialFile = 0;
    for (int round = 0; round < 6; ++round) {
        QProcess child;
        child.start(cliPath(), {"install", box.source, box.dest, "--work",
                                box.dir.filePath(QStringLiteral("work%1").arg(round))});
        ASSERT_TRUE(child.waitForStarted());
        clock.restart();
        if (round % 2 == 0) {
            QThread::msleep(random.bounded(quint32(fullRun) + 1));
        } else {
            // Right while a large file is being written.
            const QDir big(box.dest + "/Runtime/big");
            while (clock.elapsed() < 2 * fullRun + 1000) {
                const QStringList names = big.entryList(QDir::Files | QDir::Hidden);
                if (std::any_of(names.begin(), names.end(), isStagingName))
                    break;
            }
        }
        child.kill();
        child.waitForFinished();
        if (checkLibrary(round) > 0)
            ++killsThatLeftAPartialFile;
    }
    EXPECT_GT(killsThatLeftAPartialFile, 0) << "no kill landed while a file was written";

    const CliResult finish = runCli({"install", box.source, box.dest, "--work", box.work});
    ASSERT_EQ(finish.exitCode, 0) << finish.err.toStdString();
    EXPECT_EQ(checkLibrary(-1), 0) << "the next install removes what killed copies left";
    for (const auto& [path, data] : newFiles)
        EXPECT_EQ(readFile(box.dest + "/" + path), data) << path.toStdString();
    EXPECT_EQ(listRecursive(box.work), QStringList());
}
