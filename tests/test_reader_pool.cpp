#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "analysis/ItemKeys.h"
#include "readers/ReaderMessages.h"
#include "readers/ReaderSandbox.h"
#include "readers/WireWriter.h"
#include "tests/support/CliRunner.h"
#include "tests/support/HostileCorpus.h"
#include "tests/support/RarWriter.h"
#include "tests/support/ReaderProcesses.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

extern char** environ;

namespace {

constexpr int WaitMs = 120000;

// The source folder of the first test: eight zip archives and a RAR one,
// each with a file of its own in its Runtime folder.
void fillSource(const QString& source) {
    for (int i = 1; i <= 8; ++i) {
        const QByteArray name = "Runtime/p" + QByteArray::number(i) + ".txt";
        writeFile(source + QStringLiteral("/Pack %1.zip").arg(i),
                  ZipWriter().addFile(name, "p").bytes());
    }
    RarWriter(RarWriter::Version::Rar5)
        .addFile("Runtime/p9.txt", "p")
        .writeTo(source + "/Pack 9.rar");
}

bool landlockOffered() {
    return ::syscall(SYS_landlock_create_ruleset, nullptr, 0, 1 /* VERSION */) > 0;
}

// A record analysed in this process, and the same through a reader's
// outcome.
struct BothWays {
    ArchiveItem inProcess;
    Result<ArchiveItem> throughOutcome = fail(QString());
};

// A record as text, its tree node by node, to compare two records by what
// they hold (records share their trees by pointer).
QString dump(const ContentTree& tree) {
    QString text;
    for (const ContentNode& node : tree) {
        text += QStringLiteral("[%1 %2 %3 %4 %5")
                    .arg(node.type)
                    .arg(node.nestedArchive)
                    .arg(node.name)
                    .arg(node.size)
                    .arg(node.marks.join(','));
        if (node.content)
            text += " {" + dump(*node.content) + "}";
        text += "]";
    }
    return text;
}

QString dump(const ArchiveItem& record) {
    QString text = QString::fromLatin1(record.nativeName().toHex());
    for (const QString& key : record.keys()) {
        text += "\n" + key + ": ";
        if (const ContentTreePtr tree = record.tree(key))
            text += dump(*tree);
        else
            text += record.text(key).value_or(QString::number(record.integer(key)));
    }
    return text;
}

BothWays analyseBothWays(const QString& source, const QString& work, const QString& name) {
    AnalyzerJob job;
    job.sourceDir = source;
    job.workDir = work;
    job.data = ArchiveItem::create(name);
    const ArchiveItem fresh = job.data;
    BothWays both;
    analyzerThread(job, [&](AnalyzerReport report) { both.inProcess = std::move(report.data); });
    both.throughOutcome =
        readerwire::decodeOutcome(readerwire::encodeOutcome(both.inProcess), fresh);
    return both;
}

} // namespace

// A reader that crashes, is killed, or overruns its time budget in the
// middle of an analysis takes only its archive with it: analyze and install
// go on with the rest (a reader is started again for them), the archive is
// "Unzip error" saying why, nothing of it reaches the library, nothing is
// left in the work folder and no reader outlives the command.
TEST(ReaderPool, AReaderThatStopsTakesOnlyItsArchive) {
    struct Row {
        const char* label;
        QString hook;
        QString budgetSeconds;
        bool killedByTheTest;
        QString reason;
    };
    const Row rows[] = {
        {"crashes", "crash:Pack 3.zip", "", false, "the reader stopped (signal 11)"},
        {"killed", "stop:Pack 3.zip", "", true, "the reader stopped (signal 9)"},
        {"over its budget", "stop:Pack 3.zip", "1", false,
         "the reader took more than 1 seconds over the archive and was stopped"},
    };
    for (const Row& row : rows) {
        for (const QString command : {"analyze", "install"}) {
            SCOPED_TRACE((QString(row.label) + ", " + command).toStdString());
            QTemporaryDir dir;
            const QString source = dir.filePath("source");
            const QString work = dir.filePath("work");
            const QString library = dir.filePath("library");
            for (const QString& folder : {source, work, library})
                QDir().mkpath(folder);
            fillSource(source);

            QProcess cli;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("PACKSHELF_READER_TEST", row.hook);
            if (!row.budgetSeconds.isEmpty())
                environment.insert("PACKSHELF_READER_SECONDS", row.budgetSeconds);
            cli.setProcessEnvironment(environment);
            const QStringList folders =
                command == "analyze" ? QStringList{source} : QStringList{source, library};
            cli.start(cliPath(),
                      QStringList{command} + folders + QStringList{"--work", work, "--json"});
            ASSERT_TRUE(cli.waitForStarted());
            if (row.killedByTheTest) {
                const pid_t stopped = waitForStoppedDescendant(pid_t(cli.processId()), WaitMs);
                ASSERT_NE(stopped, 0);
                EXPECT_EQ(descriptorsOf(stopped).size(), 3)
                    << descriptorsOf(stopped).join(", ").toStdString();
                ::kill(stopped, SIGKILL);
            }
            ASSERT_TRUE(cli.waitForFinished(WaitMs));
            CliResult result;
            result.exitCode = cli.exitCode();
            result.out = cli.readAllStandardOutput();
            result.err = cli.readAllStandardError();
            EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(result.exitCode, 0) << result.err.constData();

            const QList<QJsonObject> records = result.records();
            ASSERT_EQ(records.size(), 9) << result.out.constData();
            const int done = command == "analyze" ? 5 : 9;
            for (const QJsonObject& record : records) {
                const QString name = record["FILENAME"].toString();
                if (name == "Pack 3.zip") {
                    EXPECT_EQ(record["INFO"].toString().toStdString(), "Unzip error");
                    EXPECT_EQ(record["REASON"].toString().toStdString(), row.reason.toStdString());
                } else {
                    EXPECT_EQ(record["STATE"].toInt(), done) << name.toStdString();
                }
            }
            if (row.budgetSeconds.isEmpty()) { // said on stderr too
                EXPECT_TRUE(result.err.contains("the reader of Pack 3.zip stopped"))
                    << result.err.constData();
            }
            QStringList installed;
            for (int i : {1, 2, 4, 5, 6, 7, 8, 9})
                installed << QStringLiteral("Runtime/p%1.txt").arg(i);
            EXPECT_EQ(listRecursive(library),
                      command == "analyze" ? QStringList() : QStringList{"Runtime/"} + installed);
            EXPECT_EQ(listRecursive(work), QStringList());
            EXPECT_TRUE(noProcessNamingWithin(work, 10000));
        }
    }
}

// No reader, and no reader zygote, outlives the program that started it,
// however that program ends: killed in the middle of an analysis, or
// ending as it should.
TEST(ReaderPool, NoReaderOutlivesItsProgram) {
    for (const bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "killed" : "ended");
        QTemporaryDir dir;
        const QString source = dir.filePath("source");
        const QString work = dir.filePath("work");
        QDir().mkpath(work);
        fillSource(source);
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PACKSHELF_READER_TEST", killed ? "stop:Pack 5.zip" : "");
        cli.setProcessEnvironment(environment);
        cli.start(cliPath(), {"analyze", source, "--work", work, "--json"});
        ASSERT_TRUE(cli.waitForStarted());
        if (killed) {
            ASSERT_NE(waitForStoppedDescendant(pid_t(cli.processId()), WaitMs), 0);
            EXPECT_GE(processesNaming(work).size(), 3u) << "the program, its zygote, readers";
            cli.kill();
        }
        ASSERT_TRUE(cli.waitForFinished(WaitMs));
        EXPECT_EQ(cli.exitStatus(), killed ? QProcess::CrashExit : QProcess::NormalExit);
        EXPECT_TRUE(noProcessNamingWithin(work, 10000));
        EXPECT_EQ(listRecursive(work), QStringList());
    }
}

// What a reader answers is taken only as the analysis could have written
// it: the analysis's keys with their types and values, a tree no deeper
// than the analysis makes one, nothing after it. The record's own keys
// (its file name above all, which says what an install opens) are never
// taken from a reader. What the analysis does write comes through whole.
TEST(ReaderMessages, OutcomesTheAnalysisCannotGiveAreRefused) {
    QTemporaryDir dir;
    const QString source = dir.filePath("source");
    const QString work = dir.filePath("work");
    QDir().mkpath(work);
    for (const HostileArchive& archive : hostileCorpus(false))
        writeFile(source + '/' + archive.fileName, archive.bytes);
    const QByteArray nested = ZipWriter().addFile("Data/d.txt", "d").bytes();
    writeFile(source + "/Duplicates.zip", ZipWriter()
                                              .addFile("A/Runtime/a", "a")
                                              .addFile("B/Runtime/b", "b")
                                              .addFile("A/Extras.zip", nested, 0)
                                              .bytes());
    for (const QString& name : QDir(source).entryList(QDir::Files)) {
        const BothWays both = analyseBothWays(source, work, name);
        ASSERT_TRUE(both.throughOutcome.ok())
            << name.toStdString() << both.throughOutcome.reason().toStdString();
        EXPECT_EQ(dump(*both.throughOutcome).toStdString(), dump(both.inProcess).toStdString());
    }

    // Outcomes made by hand: KEY TYPE VALUE, as a reader could send them.
    const auto outcome = [](const std::function<void(WireWriter&)>& body, quint32 keys) {
        WireWriter writer;
        writer.putByte(3);
        writer.putU32(keys);
        body(writer);
        return writer.take();
    };
    const auto integer = [](WireWriter& writer, const QString& key, qint64 value) {
        writer.putText(key);
        writer.putByte(0);
        writer.putI64(value);
    };
    const auto text = [](WireWriter& writer, const QString& key, const QString& value) {
        writer.putText(key);
        writer.putByte(1);
        writer.putText(value);
    };
    const auto verdict = [&](WireWriter& writer) {
        integer(writer, "STATE", 5);
        text(writer, "INFO", "OK");
    };
    // A tree of one folder in another, `depth` deep.
    const auto deepTree = [](WireWriter& writer, int depth) {
        writer.putText("ZIP");
        writer.putByte(2);
        for (int level = 0; level < depth; ++level) {
            writer.putU32(1);
            writer.putByte(0x1 | 0x4); // a folder with content
            writer.putText("f");
            writer.putU64(0);
            writer.putByte(0);
        }
        writer.putU32(0);
    };
    const QByteArray sound = outcome(verdict, 2);
    // The verdict and then `more`, as three keys.
    const auto afterVerdict = [&](const std::function<void(WireWriter&)>& more) {
        return outcome(
            [&](WireWriter& w) {
                verdict(w);
                more(w);
            },
            3);
    };
    struct Row {
        const char* label;
        QByteArray message;
    };
    const Row rows[] = {
        {"its own file name",
         afterVerdict([&](WireWriter& w) { text(w, "FILENAME", "../../x.zip"); })},
        {"a state the analysis never gives", outcome(
                                                 [&](WireWriter& w) {
                                                     integer(w, "STATE", 9);
                                                     text(w, "INFO", "OK");
                                                 },
                                                 2)},
        {"a flag that is not 0 or 1",
         afterVerdict([&](WireWriter& w) { integer(w, "HASRUNTIME", 2); })},
        {"a negative count", afterVerdict([&](WireWriter& w) { integer(w, "FILES", -1); })},
        {"a text for a number", outcome(
                                    [&](WireWriter& w) {
                                        text(w, "STATE", "5");
                                        text(w, "INFO", "OK");
                                    },
                                    2)},
        {"a number for a tree", afterVerdict([&](WireWriter& w) { integer(w, "ZIP", 1); })},
        {"a key twice", afterVerdict([&](WireWriter& w) { text(w, "INFO", "OK"); })},
        {"more keys than the analysis has", outcome(verdict, 1000)},
        {"no verdict", outcome([&](WireWriter& w) { integer(w, "FILES", 1); }, 1)},
        {"a tree too deep", afterVerdict([&](WireWriter& w) { deepTree(w, 2000); })},
        {"a file with content", afterVerdict([&](WireWriter& w) {
             w.putText("ZIP");
             w.putByte(2);
             w.putU32(1);
             w.putByte(0x4);
             w.putText("f");
             w.putU64(0);
             w.putByte(0);
             w.putU32(0);
         })},
        {"a count of nodes that is not there", afterVerdict([&](WireWriter& w) {
             w.putText("ZIP");
             w.putByte(2);
             w.putU32(0xffffffff);
         })},
        {"a text longer than the message", afterVerdict([&](WireWriter& w) {
             w.putText("REASON");
             w.putByte(1);
             w.putU32(0x7fffffff);
         })},
        {"bytes after it", sound + "x"},
        {"cut short", sound.chopped(3)},
        {"another message", QByteArray(1, '\x01') + sound.mid(1)},
        {"nothing", QByteArray()},
    };
    ArchiveItem record = ArchiveItem::create("Pack.zip");
    record.setText("CHOSEN", "kept");
    ASSERT_TRUE(readerwire::decodeOutcome(sound, record).ok());
    EXPECT_EQ(readerwire::decodeOutcome(sound, record)->text("CHOSEN"), "kept");
    for (const Row& row : rows) {
        const Result<ArchiveItem> decoded = readerwire::decodeOutcome(row.message, record);
        EXPECT_FALSE(decoded.ok()) << row.label;
        EXPECT_TRUE(decoded.reason().startsWith("the reader answered what cannot be read"))
            << row.label << ": " << decoded.reason().toStdString();
    }
    // The deepest tree the analysis makes comes through.
    const QByteArray deepest = afterVerdict([&](WireWriter& w) { deepTree(w, 1024); });
    EXPECT_TRUE(readerwire::decodeOutcome(deepest, record).ok());
}

// A confined reader reads anything, but makes, writes and removes files
// only below its work folder and executes nothing, whatever way it tries.
TEST(ReaderSandboxDeathTest, WritesOnlyBelowItsWorkFolder) {
    if (!landlockOffered())
        GTEST_SKIP() << "the kernel offers no Landlock";
    // Forked, so that the child works in this test's folders; death tests
    // run first, before anything starts a thread.
    GTEST_FLAG_SET(death_test_style, "fast");
    QTemporaryDir dir;
    const QByteArray work = QFile::encodeName(dir.filePath("work"));
    const QByteArray outside = QFile::encodeName(dir.filePath("outside"));
    QDir().mkpath(dir.filePath("work"));
    QDir().mkpath(dir.filePath("outside"));
    writeFile(dir.filePath("outside/existing.txt"), "existing");
    writeFile(dir.filePath("work/existing.txt"), "existing");
    const auto confinedChecks = [&] {
        const Result<QString> confined = confineReader(work);
        if (!confined || !confined->startsWith("Landlock")) {
            std::fprintf(stderr, "not confined: %s\n", qPrintable(confined.reason()));
            std::_Exit(100);
        }
        struct Check {
            const char* label;
            std::function<bool()> attempt;
            bool allowed;
        };
        const auto creates = [](const QByteArray& path) {
            return [path] {
                const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
                return fd >= 0 && ::close(fd) == 0;
            };
        };
        const auto opens = [](const QByteArray& path, int flags) {
            return [path, flags] {
                const int fd = ::open(path.constData(), flags | O_CLOEXEC, 0600);
                return fd >= 0 && ::close(fd) == 0;
            };
        };
        const Check checks[] = {
            {"create in work", creates(work + "/new.txt"), true},
            {"unnamed file in work", opens(work, O_TMPFILE | O_RDWR), true},
            {"folder in work", [&] { return ::mkdir(work + "/sub", 0700) == 0; }, true},
            {"remove in work", [&] { return ::unlink(work + "/existing.txt") == 0; }, true},
            {"read outside", opens(outside + "/existing.txt", O_RDONLY), true},
            {"create outside", creates(outside + "/new.txt"), false},
            {"create beside work", creates(QFile::encodeName(dir.path()) + "/new.txt"), false},
            {"write outside", opens(outside + "/existing.txt", O_WRONLY), false},
            {"unnamed file outside", opens(outside, O_TMPFILE | O_RDWR), false},
            {"remove outside", [&] { return ::unlink(outside + "/existing.txt") == 0; }, false},
            {"move out of work",
             [&] { return ::rename(work + "/new.txt", outside + "/moved.txt") == 0; }, false},
            {"link outside", [&] { return ::symlink("/etc/passwd", outside + "/link") == 0; },
             false},
            {"run a program",
             [] {
                 pid_t pid = 0;
                 char* arguments[] = {const_cast<char*>("true"), nullptr};
                 return ::posix_spawn(&pid, "/bin/true", nullptr, nullptr, arguments, environ) == 0;
             },
             false},
        };
        int wrong = 0;
        for (const Check& check : checks) {
            if (check.attempt() != check.allowed) {
                std::fprintf(stderr, "%s: %s\n", check.label,
                             check.allowed ? "refused" : "allowed");
                ++wrong;
            }
        }
        std::_Exit(wrong);
    };
    EXPECT_EXIT(confinedChecks(), testing::ExitedWithCode(0), "");
    EXPECT_TRUE(QFile::exists(dir.filePath("outside/existing.txt")));
    EXPECT_FALSE(QFile::exists(dir.filePath("outside/new.txt")));
}
