#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "install/transaction/LibraryTransaction.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/HostileCorpus.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

// Every ready archive is installed and every record printed, in list order;
// then manual choices, in command-line order, make the others ready.
TEST(CliInstall, InstallsReadyArchivesThenManualChoicesApply) {
    Library box;
    box.add("ok.zip", ZipWriter().addFile("Pack/Runtime/r.txt", "r").bytes());
    box.add("broken.zip", "not an archive");
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

    const CliResult plain = runCli({"install", box.source, box.dest, "--work", box.work});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_TRUE(plain.err.isEmpty()) << "no progress and no log lines when all went well";
    QStringList lines;
    for (const QJsonObject& record : plain.records()) {
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(record["FILENAME"].toString())
                     .arg(record["STATE"].toInteger())
                     .arg(record["INFO"].toString(), record["RUNTIMEPATH"].toString("-"));
    }
    EXPECT_EQ(lines, QStringList({"a=b.zip -1 No Runtime -", "broken.zip -1 Unzip error -",
                                  "dataonly.zip 9 OK -", "dup.zip 3 Duplicates -",
                                  "dupdata.zip 3 Duplicates -", "none.zip -1 No Runtime -",
                                  "ok.zip 9 OK Pack"}));
    EXPECT_EQ(listRecursive(box.work), QStringList());
    const FolderSnapshot installed = FolderSnapshot::of(box.dest);

    // Choices the window would refuse exit with 2 and install nothing.
    for (const QStringList& refused :
         {QStringList{"--force", "none.zip=Stuff"}, QStringList{"--runtime", "dup.zip=C"},
          QStringList{"--data", "dup.zip=B"}, QStringList{"--force", "dup.zip="},
          QStringList{"--runtime", "none.zip="}}) {
        const CliResult result = runCli(QStringList{"install", box.source, box.dest} + refused);
        EXPECT_EQ(result.exitCode, 2) << refused.join(' ').toStdString();
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
        EXPECT_EQ(FolderSnapshot::differences(installed, FolderSnapshot::of(box.dest)),
                  QStringList());
    }

    const CliResult result =
        runCli({"install", box.source, box.dest, "--runtime", "dup.zip=B",
                "--force=none.zip=", "--force", "a=b.zip=", "--runtime", "dupdata.zip=A"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    auto records = result.byFileName();
    EXPECT_EQ(records["dup.zip"]["STATE"].toInteger(), 9);
    EXPECT_EQ(records["dup.zip"]["RUNTIMEPATH"].toString(), "B");
    EXPECT_EQ(records["none.zip"]["FORCEDPATH"].toString(), "");
    EXPECT_EQ(records["none.zip"]["HASFORCED"].toInteger(), 1);
    EXPECT_EQ(records["a=b.zip"]["STATE"].toInteger(), 9) << "a name may hold '='";
    EXPECT_EQ(records["dupdata.zip"]["STATE"].toInteger(), 9);
    EXPECT_EQ(listRecursive(box.dest),
              QStringList({"Data/", "Data/c.txt", "Data/d.txt", "Dir/", "Dir/z.txt", "Other/",
                           "Other/Deep/", "Other/Deep/y.txt", "Runtime/", "Runtime/a2.txt",
                           "Runtime/b.txt", "Runtime/r.txt", "Stuff/", "Stuff/x.txt"}));
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
}

// Names are taken literally, also the library's and the archive's own; a
// failed copy is named on the standard error and the install goes on.
TEST(CliInstall, HostileArchivesReachNothingOutsideTheLibrary) {
    Library box;
    box.dest = box.dir.filePath("dest 'lib' \"$HOME\" `id`");
    QDir().mkpath(box.dest);
    const std::vector<HostileArchive> corpus = hostileCorpus(false);
    for (const HostileArchive& archive : corpus)
        box.add(archive.fileName, archive.bytes);
    box.add("it's $HOME `id`.zip", ZipWriter().addFile("Runtime/-rf", "-rf"));
    box.add("data.zip", ZipWriter().addFile("Data/d.txt", "d"));
    QDir().mkpath(box.dir.filePath("outside"));
    ASSERT_TRUE(QFile::link(box.dir.filePath("outside"), box.dest + "/Data"));
    const FolderSnapshot before = box.surroundings();

    const CliResult result = runCli({"install", box.source, box.dest, "--work", box.work});
    EXPECT_EQ(result.exitCode, 1);
    auto records = result.byFileName();
    EXPECT_EQ(records["it's $HOME `id`.zip"]["STATE"].toInteger(), 9);
    EXPECT_EQ(readFile(box.dest + "/Runtime/-rf"), "-rf");
    EXPECT_EQ(records["data.zip"]["ERROR"].toInteger(), 3);
    EXPECT_TRUE(result.err.contains((box.dest + "/Data: a symbolic link is in the way")
                                        .toUtf8()
                                        .prepend("Install of data.zip failed at ")));
    // A nested archive that cannot be expanded is told in the record and on
    // the standard error.
    EXPECT_TRUE(records["nested-dots.zip"]["WARNING"].toString().contains(
        "..zip: the nested archive cannot be expanded"));
    EXPECT_TRUE(result.err.contains("nested-dots.zip/..zip: the nested archive cannot be expanded"))
        << result.err.toStdString();
    for (const HostileArchive& archive : corpus) {
        const QJsonObject& record = records[archive.fileName];
        SCOPED_TRACE(archive.fileName.toStdString());
        if (archive.expect == HostileArchive::Expect::Refused) {
            EXPECT_EQ(record["INFO"].toString(), "Unzip error");
        } else if (archive.expect == HostileArchive::Expect::NeedsPassword) {
            EXPECT_EQ(record["INFO"].toString(), "Needs a password");
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
        EXPECT_TRUE(path == "Data" || !QFileInfo(box.dest + "/" + path).isSymLink())
            << path.toStdString();
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
        while (
            (!QFile::exists(box.dest + "/Runtime/first.txt") || stagedUnder(box.dest).isEmpty()) &&
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

// A folder name is bytes: one that is not UTF-8, as SOURCE, DEST or --work,
// relative or below such a folder, is that very folder, never the one its
// U+FFFD decoding names, and messages show it escaped (lib\xff).
TEST(CliInstall, FolderNamesNeedNotBeUtf8) {
    QTemporaryDir dir;
    // rm takes names as bytes; QTemporaryDir cannot reach such names.
    const struct RemovedByRm {
        QString path;
        ~RemovedByRm() { QProcess::execute("rm", {"-rf", "--", path}); }
    } removal{dir.path()};
    const QByteArray top = QFile::encodeName(dir.path());
    const QByteArray source = top + "/src\xfe", dest = top + "/lib\xff",
                     nested = top + "/p\xf0\x9f\x93\xa6\x80/lib";
    for (const QByteArray& folder : {source, dest, nested.chopped(4), nested})
        ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    // The test reaches them through links of plain names; the tool is given
    // the bytes.
    const QString view = dir.filePath("view");
    QDir().mkpath(view);
    ASSERT_EQ(::symlink(source.constData(), QFile::encodeName(view + "/source").constData()), 0);
    ASSERT_EQ(::symlink(dest.constData(), QFile::encodeName(view + "/dest").constData()), 0);
    writeFile(view + "/source/p.zip", ZipWriter().addFile("Pack/Runtime/a.txt", "a").bytes());
    ASSERT_EQ(::symlink(top + "/elsewhere", nested + "/Runtime"), 0);
    // The folder Qt's decoding of DEST names is there, and must stay empty.
    QDir().mkpath(dir.filePath("lib\uFFFD"));

    const QStringList installed{"Runtime/", "Runtime/a.txt"};
    struct Step {
        QList<QByteArray> arguments;
        QByteArray workingDirectory;
        int exitCode;
        QByteArray shows; // in the output or the messages
        QStringList destAfter;
    };
    for (const Step& step : std::initializer_list<Step>{
             {{"install", source, dest, "--work", top + "/w\xfd"}, {}, 0, "\"STATE\":9", installed},
             {{"installed", dest}, {}, 0, "\"ARCHIVE\":\"p.zip\"", installed},
             {{"uninstall", dest, "no.zip"},
              {},
              2,
              "no.zip is not installed in " + top + "/lib\\xff",
              installed},
             {{"uninstall", dest, "p.zip"}, {}, 0, "\"REMOVED\":1", {}},
             {{"analyze", source}, {}, 0, "\"RUNTIMEPATH\":\"Pack\"", {}},
             {{"install", "src\xfe", "lib\xff", "--work", "w\xfd"},
              top,
              0,
              "\"STATE\":9",
              installed},
             {{"installed", "."}, dest, 0, "\"ARCHIVE\":\"p.zip\"", installed},
             {{"install", source, nested},
              {},
              1,
              "Install of p.zip failed at " + top +
                  "/p\xf0\x9f\x93\xa6\\x80/lib/Runtime: a symbolic link",
              installed},
             {{"installed", top + "/gone\xff"},
              {},
              2,
              top + "/gone\\xff is not a folder",
              installed},
         }) {
        const CliResult result = runCliWithBytes(step.arguments, step.workingDirectory);
        const QByteArray shown = result.out + result.err;
        SCOPED_TRACE(shown.toStdString());
        EXPECT_EQ(result.exitCode, step.exitCode);
        EXPECT_TRUE(shown.contains(step.shows)) << step.shows.toStdString();
        EXPECT_FALSE(shown.contains("/proc/") || shown.contains("\uFFFD"));
        EXPECT_EQ(listRecursive(view + "/dest"), step.destAfter);
    }
    EXPECT_EQ(listRecursive(dir.filePath("lib\uFFFD")), QStringList());
    struct stat work;
    EXPECT_TRUE(::stat(top + "/w\xfd", &work) == 0 && S_ISDIR(work.st_mode));
    for (const char* twin : {"src\uFFFD", "w\uFFFD", "p\U0001F4E6\uFFFD"})
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(twin))) << twin;
}

// SIGINT or SIGTERM in the first moments of a command, before it has done
// anything or while it makes its temporary folder: it ends with the
// signal's status (or, before its first instruction, from the signal),
// leaving no temporary folder and no half-made change.
TEST(CliInstall, ASignalAtTheStartLeavesNothingBehind) {
    Library box;
    box.add("pack.zip", ZipWriter().addFile("Runtime/a.txt", "a").bytes());
    const QString temporary = box.dir.filePath("tmp");
    QDir().mkpath(temporary);
    // Whether the process has a handler for `signal`, from the kernel's mask
    // of caught signals.
    const auto catches = [](qint64 pid, int signal) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1) & 1) != 0;
        }
        return false;
    };
    int heard = 0;
    for (const int signal : {SIGINT, SIGTERM}) {
        // From the start, however long the program takes to load; then
        // from the moment it has its handler, which must hear it.
        for (const bool afterHandler : {false, true}) {
            for (int delayMs = 0; delayMs <= 100; delayMs += 5) {
                SCOPED_TRACE(QStringLiteral("signal %1 after %2 ms%3")
                                 .arg(signal)
                                 .arg(delayMs)
                                 .arg(afterHandler ? " from its handler" : "")
                                 .toStdString());
                QProcess child;
                QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                environment.insert("TMPDIR", temporary);
                child.setProcessEnvironment(environment);
                child.start(cliPath(), {"install", box.source, box.dest});
                ASSERT_TRUE(child.waitForStarted());
                if (afterHandler) {
                    QDeadlineTimer deadline(30000);
                    while (!catches(child.processId(), signal) && !deadline.hasExpired() &&
                           child.state() == QProcess::Running)
                        QThread::usleep(200);
                }
                QThread::usleep(ulong(delayMs) * 1000);
                ::kill(pid_t(child.processId()), signal);
                ASSERT_TRUE(child.waitForFinished(60000));
                if (child.exitStatus() == QProcess::NormalExit) {
                    // Done before the signal, or stopped by it.
                    EXPECT_TRUE(child.exitCode() == 128 + signal || child.exitCode() == 0)
                        << child.exitCode();
                    heard += afterHandler && child.exitCode() == 128 + signal ? 1 : 0;
                }
                // ThreadSanitizer's runtime leaves a file of its own in
                // TMPDIR when a process ends while it starts.
                QStringList left = listRecursive(temporary);
                left.removeIf([](const QString& name) { return name.startsWith("tsan."); });
                EXPECT_EQ(left, QStringList());
                EXPECT_EQ(stagedUnder(box.dest), QStringList());
                const QStringList files = listRecursive(box.dest);
                EXPECT_TRUE(files.isEmpty() || files == QStringList({"Runtime/", "Runtime/a.txt"}))
                    << files.join(", ").toStdString();
                QDir(box.dest).removeRecursively();
                QDir().mkpath(box.dest);
            }
        }
    }
    EXPECT_GT(heard, 0) << "the signal is heard, not left to kill the process";
}

// A choice of one of several Runtime (or Data) folders installs that one
// alone: the other kind's holder gives its own folder and what is neither
// kind, never the variant passed over. The dry run says what the install
// then writes.
TEST(CliInstall, AChoiceOfOneVariantInstallsThatVariantAlone) {
    struct Row {
        const char* label;
        ZipWriter archive;
        QStringList choices;
        QStringList installed; // files, as the dry run lists them
    };
    const Row rows[] = {
        {"Runtime chosen in B, Data found in A beside the Runtime passed over",
         ZipWriter()
             .addFile("A/Runtime/a.obj", "a")
             .addFile("A/Data/a.tex", "t")
             .addFile("A/notes.txt", "n")
             .addFile("B/Runtime/b.obj", "b"),
         {"--runtime", "Towers.zip=B"},
         {"Data/a.tex", "Runtime/b.obj", "notes.txt"}},
        {"Runtime chosen in A: A whole, B left",
         ZipWriter()
             .addFile("A/Runtime/a.obj", "a")
             .addFile("A/Data/a.tex", "t")
             .addFile("B/Runtime/b.obj", "b"),
         {"--runtime", "Towers.zip=A"},
         {"Data/a.tex", "Runtime/a.obj"}},
        {"Data chosen in B, Runtime found in A beside the Data passed over",
         ZipWriter()
             .addFile("A/Runtime/a.obj", "a")
             .addFile("A/data/old.tex", "o")
             .addFile("B/Data/new.tex", "n"),
         {"--data", "Towers.zip=B"},
         {"Data/new.tex", "Runtime/a.obj"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Library box;
        box.add("Towers.zip", row.archive);
        const QStringList install =
            QStringList{"install", box.source, box.dest, "--work", box.work} + row.choices;
        const CliResult dryRun = runCli(install + QStringList{"--dry-run"});
        ASSERT_EQ(dryRun.exitCode, 0) << dryRun.err.toStdString();
        QStringList planned;
        for (const QJsonObject& line : dryRun.records()) {
            if (line.contains("ACTION"))
                planned << line["PATH"].toString();
        }
        planned.sort();
        EXPECT_EQ(planned, row.installed);

        const CliResult result = runCli(install);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.byFileName()["Towers.zip"]["STATE"].toInteger(), 9);
        EXPECT_EQ(filesBelow(box.dest), row.installed);
    }
}

// Installing a source folder whose result is already in the library writes
// nothing: every archive is left alone and says so, files that a later
// archive of the batch took over counting as that archive's; the library's
// files and records keep every byte and time. The dry run says the same.
TEST(CliInstall, TheSameBatchTwiceChangesNothing) {
    struct Row {
        const char* label;
        std::vector<std::pair<QString, ZipWriter>> archives;
        QStringList choices = {};
        QByteArray userFile = {}; // Runtime/ReadMe.txt before the first install
    };
    const Row rows[] = {
        {"two archives write one read-me, differently",
         {{"One.zip", ZipWriter().addFile("Runtime/ReadMe.txt", "one").addFile("Runtime/x", "x")},
          {"Two.zip", ZipWriter().addFile("Runtime/ReadMe.txt", "two").addFile("Runtime/y", "y")}}},
        {"two archives write one read-me alike",
         {{"One.zip", ZipWriter().addFile("Runtime/ReadMe.txt", "same").addFile("Runtime/x", "x")},
          {"Two.zip",
           ZipWriter().addFile("Runtime/ReadMe.txt", "same").addFile("Runtime/y", "y")}}},
        {"an archive whose every file a later one took over",
         {{"A.zip", ZipWriter().addFile("Runtime/ReadMe.txt", "a")},
          {"B.zip", ZipWriter().addFile("Runtime/ReadMe.txt", "b").addFile("Runtime/b", "b")}}},
        {"names in two letter cases, over the user's own file",
         {{"One.zip", ZipWriter().addFile("Pack/Runtime/ReadMe.txt", "one")},
          {"Two.zip", ZipWriter().addFile("runtime/README.TXT", "two")}},
         {},
         "the user's"},
        {"a chosen variant, three archives",
         {{"A.zip", ZipWriter()
                        .addFile("A/Runtime/ReadMe.txt", "a")
                        .addFile("A/Data/t.tex", "t")
                        .addFile("B/Runtime/ReadMe.txt", "b")},
          {"B.zip", ZipWriter().addFile("Runtime/ReadMe.txt", "B")},
          {"C.zip", ZipWriter().addFile("Runtime/ReadMe.txt", "C").addFile("Data/t.tex", "c")}},
         {"--runtime", "A.zip=B"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Library box;
        for (const auto& [name, zip] : row.archives)
            box.add(name, zip);
        if (!row.userFile.isEmpty()) {
            ASSERT_TRUE(writeFile(box.dest + "/Runtime/ReadMe.txt", row.userFile));
        }
        const QStringList install =
            QStringList{"install", box.source, box.dest, "--work", box.work} + row.choices;
        const CliResult first = runCli(install);
        ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
        for (const QJsonObject& record : first.records())
            ASSERT_EQ(record["STATE"].toInteger(), 9)
                << record["FILENAME"].toString().toStdString();
        const FolderSnapshot before = FolderSnapshot::of(box.dest, Records::Seen);
        QThread::msleep(10); // a rewrite would show in the times

        const CliResult dryRun = runCli(install + QStringList{"--dry-run"});
        ASSERT_EQ(dryRun.exitCode, 0) << dryRun.err.toStdString();
        for (const QJsonObject& line : dryRun.records()) {
            EXPECT_FALSE(line.contains("ACTION")) << line["PATH"].toString().toStdString();
            if (line.contains("FILENAME")) {
                EXPECT_EQ(line["UNCHANGED"].toInteger(), 1)
                    << line["FILENAME"].toString().toStdString();
            }
        }
        for (int run = 0; run < 2; ++run) {
            const CliResult again = runCli(install);
            ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
            QStringList unchanged;
            for (const QJsonObject& record : again.records()) {
                if (record["STATE"].toInteger() == 9 && record["UNCHANGED"].toInteger() == 1)
                    unchanged << record["FILENAME"].toString();
            }
            EXPECT_EQ(unchanged.size(), qsizetype(row.archives.size())) << again.out.toStdString();
            EXPECT_EQ(
                FolderSnapshot::differences(before, FolderSnapshot::of(box.dest, Records::Seen)),
                QStringList());
        }
    }
}
