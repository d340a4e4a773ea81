#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

#include "tests/install/InstallFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

// "STATE PATH" of every file line verify printed, its path as printed:
// relative to the library.
QStringList fileLines(const CliResult& result) {
    QStringList lines;
    for (const QJsonObject& line : result.records()) {
        if (line.contains("PATH"))
            lines << line["STATE"].toString() + " " + line["PATH"].toString();
    }
    return lines;
}

// Writes `data` over a file and gives it its old modification time back.
void rewriteKeepingTime(const QString& path, const QByteArray& data) {
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    ASSERT_TRUE(writeFile(path, data));
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

} // namespace

// Each way a library can drift from its records: what verify (and
// --full, --foreign) says, then what repair puts back and keeps of the
// user's version; the library is whole again afterwards.
TEST(LibraryVerify, FindsAndRepairsEachChange) {
    struct Case {
        const char* name;
        std::function<void(const QString& dest)> change;
        QString verify;     // what default verify lists, joined by ", "
        QString verifyFull; // the same of verify --full --foreign
        QByteArray kept;    // what repair keeps of Runtime/a1.txt ("" none; "link" a link)
        bool sourceDiffers = false;
    };
    const std::vector<Case> cases = {
        {"clean", [](const QString&) {}, "", "", ""},
        {"changed",
         [](const QString& d) { writeFile(d + "/Runtime/a1.txt", "the user's own, longer"); },
         "changed Runtime/a1.txt", "changed Runtime/a1.txt", "the user's own, longer"},
        {"changed, size and time kept",
         [](const QString& d) { rewriteKeepingTime(d + "/Runtime/a1.txt", "A-ONE"); }, "",
         "changed Runtime/a1.txt", "A-ONE"},
        {"missing, with its folder",
         [](const QString& d) { QDir(d + "/Runtime/sub").removeRecursively(); },
         "missing Runtime/sub/a2.txt", "missing Runtime/sub/a2.txt", ""},
        {"replaced by a link",
         [](const QString& d) {
             QFile::remove(d + "/Runtime/a1.txt");
             QFile::link("/etc/hostname", d + "/Runtime/a1.txt");
         },
         "not a file Runtime/a1.txt", "not a file Runtime/a1.txt", "link"},
        {"foreign",
         [](const QString& d) {
             writeFile(d + "/Runtime/mine.txt", "mine");
             writeFile(d + "/Extra/deep/x.txt", "x");
         },
         "", "foreign Extra/, foreign Runtime/mine.txt", ""},
        {"changed, but the source holds another archive",
         [](const QString& d) { writeFile(d + "/Runtime/a1.txt", "edited"); },
         "changed Runtime/a1.txt", "changed Runtime/a1.txt", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Library box;
        box.add("A.zip", ZipWriter()
                             .addFile("Pack/Runtime/a1.txt", "a-one")
                             .addFile("Pack/Runtime/sub/a2.txt", "a-two")
                             .bytes());
        box.add("B.zip", ZipWriter().addFile("Other/Runtime/b.txt", "b").bytes());
        ASSERT_EQ(runCli({"install", box.source, box.dest, "--work", box.work}).exitCode, 0);
        c.change(box.dest);
        const FolderSnapshot changed = FolderSnapshot::of(box.dest);

        const CliResult quick = runCli({"verify", box.dest});
        EXPECT_EQ(fileLines(quick).join(", "), c.verify);
        EXPECT_EQ(quick.exitCode, c.verify.isEmpty() ? 0 : 1) << quick.err.toStdString();
        const CliResult full = runCli({"verify", box.dest, "--full", "--foreign"});
        EXPECT_EQ(fileLines(full).join(", "), c.verifyFull);
        EXPECT_EQ(full.exitCode, c.verifyFull.isEmpty() ? 0 : 1);
        EXPECT_EQ(full.records().last()["ARCHIVE"].toString(),
                  c.verifyFull.contains("foreign Extra/") ? QString() : "B.zip");
        EXPECT_EQ(FolderSnapshot::of(box.dest), changed) << "verify writes nothing";

        if (c.sourceDiffers)
            box.add("A.zip", ZipWriter().addFile("Pack/Runtime/a1.txt", "another").bytes());
        const CliResult repair =
            runCli({"repair", box.dest, "A.zip", "B.zip", "--source", box.source});
        const bool refused = c.sourceDiffers;
        EXPECT_EQ(repair.exitCode, refused ? 1 : 0) << repair.err.toStdString();
        EXPECT_EQ(repair.records().first().contains("REASON"), refused);
        if (refused) {
            EXPECT_EQ(FolderSnapshot::of(box.dest), changed) << "a refused repair changes nothing";
            continue;
        }
        EXPECT_EQ(runCli({"verify", box.dest, "--full"}).exitCode, 0);
        EXPECT_EQ(readFile(box.dest + "/Runtime/a1.txt"), "a-one");
        EXPECT_EQ(readFile(box.dest + "/Runtime/sub/a2.txt"), "a-two");
        const QJsonArray kept = repair.records().first()["KEPT"].toArray();
        ASSERT_EQ(kept.size(), c.kept.isEmpty() ? 0 : 1);
        if (c.kept.isEmpty())
            continue;
        const QString keptAs = box.dest + "/" + kept.first()["KEPT_AS"].toString();
        EXPECT_TRUE(repair.err.contains(("as " + keptAs).toUtf8()));
        if (c.kept == "link")
            EXPECT_EQ(QFileInfo(keptAs).symLinkTarget(), "/etc/hostname");
        else
            EXPECT_EQ(readFile(keptAs), c.kept);
    }
}

// Undo takes out the packages of the last install run, latest first, as an
// uninstall would: what they replaced comes back, what the user changed
// since stays; an earlier run is not touched until a second undo.
TEST(LibraryVerify, UndoTakesBackTheLastRun) {
    Library box;
    box.add("C.zip", ZipWriter().addFile("Base/Runtime/shared.txt", "base").bytes());
    ASSERT_EQ(runCli({"install", box.source, box.dest, "--work", box.work}).exitCode, 0);
    const FolderSnapshot before = FolderSnapshot::of(box.dest);
    QDir(box.source).removeRecursively();
    box.add("A.zip", ZipWriter()
                         .addFile("Pack/Runtime/a.txt", "a")
                         .addFile("Pack/Runtime/edited.txt", "e")
                         .bytes());
    box.add("B.zip", ZipWriter()
                         .addFile("Over/Runtime/shared.txt", "over")
                         .addFile("Over/Runtime/New/b.txt", "b")
                         .bytes());
    ASSERT_EQ(runCli({"install", box.source, box.dest, "--work", box.work}).exitCode, 0);
    writeFile(box.dest + "/Runtime/edited.txt", "the user's");

    // Which run it takes back is shown before it acts, and the dry run
    // shows only that.
    const FolderSnapshot beforeUndo = FolderSnapshot::of(box.dest);
    const CliResult dryRun = runCli({"undo", box.dest, "--dry-run"});
    EXPECT_EQ(dryRun.exitCode, 0);
    ASSERT_EQ(dryRun.records().size(), 1);
    EXPECT_EQ(dryRun.records().first()["COUNT"].toInt(), 2);
    EXPECT_EQ(dryRun.records().first()["PACKAGES"].toArray(), QJsonArray({"B.zip", "A.zip"}));
    EXPECT_FALSE(dryRun.records().first()["INSTALLED"].toString().isEmpty());
    EXPECT_EQ(FolderSnapshot::of(box.dest), beforeUndo);
    const CliResult undo = runCli({"undo", box.dest});
    EXPECT_EQ(undo.exitCode, 1) << "a kept file makes it 1, as for uninstall";
    ASSERT_FALSE(undo.records().isEmpty());
    EXPECT_EQ(undo.records().first(), dryRun.records().first()) << "the run shown first";
    QStringList order;
    for (const QJsonObject& line : undo.records().mid(1))
        order << line["ARCHIVE"].toString();
    EXPECT_EQ(order, QStringList({"B.zip", "A.zip"}));
    EXPECT_TRUE(undo.err.contains("kept " + QFile::encodeName(box.dest) + "/Runtime/edited.txt"));
    EXPECT_EQ(readFile(box.dest + "/Runtime/shared.txt"), "base");
    EXPECT_EQ(readFile(box.dest + "/Runtime/edited.txt"), "the user's");
    QFile::remove(box.dest + "/Runtime/edited.txt");
    EXPECT_EQ(FolderSnapshot::of(box.dest), before)
        << FolderSnapshot::differences(before, FolderSnapshot::of(box.dest))
               .join(", ")
               .toStdString();
    const QList<QJsonObject> installed = runCli({"installed", box.dest}).records();
    ASSERT_EQ(installed.size(), 1);
    EXPECT_EQ(installed.first()["ARCHIVE"].toString(), "C.zip");
    EXPECT_EQ(runCli({"undo", box.dest}).exitCode, 0);
    EXPECT_EQ(listRecursive(box.dest), QStringList());
    const CliResult again = runCli({"undo", box.dest});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("nothing to undo"));
}
