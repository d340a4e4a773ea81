// What the preview says is what the install does: the same failures with
// the same reasons, and the same library paths, for batches whose archives
// meet each other and libraries that cannot take them.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <functional>
#include <optional>
#include <set>
#include <sys/mount.h>

#include "core/Executor.h"
#include "install/InstallPreview.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

TEST(PreviewTruth, TheDryRunSaysWhatTheInstallDoes) {
    struct Row {
        const char* name;
        std::vector<std::pair<QString, ZipWriter>> archives; // in list order
        std::function<bool(Library&)> prepare;               // false: skip the row
        bool unprivileged = false;
        QStringList library; // the library's files afterwards
        QStringList failing; // archives that fail, both ways
    };
    const auto nothing = [](Library&) { return true; };
    const std::vector<Row> rows = {
        {"names that differ only in letter case in one archive",
         {{"case.zip",
           ZipWriter().addFile("Runtime/a.txt", "small").addFile("Runtime/A.txt", "CAPITAL")}},
         nothing,
         false,
         {"Runtime/A.txt"},
         {}},
        {"names flagged UTF-8 that are not, and two entries of one name",
         {{"bytes.zip",
           [] {
               ZipWriter zip;
               for (const char* name : {"Runtime/\xff.txt", "Runtime/\xfe.txt"}) {
                   ZipWriter::Entry entry = ZipWriter::entry(name, name);
                   entry.flags = 0x0800; // UTF-8
                   zip.add(entry);
               }
               return zip.addFile("Runtime/dup.txt", "first").addFile("Runtime/dup.txt", "second");
           }()}},
         nothing,
         false,
         {"Runtime/dup.txt", QString::fromUtf8("Runtime/\u00a0.txt"),
          QString::fromUtf8("Runtime/\u25a0.txt")},
         {}},
        {"a small nested archive whose content inflates past the budget",
         {{"bomb.zip",
           [] {
               ZipWriter inner;
               for (const char* name : {"a.bin", "b.bin"}) {
                   ZipWriter::Entry entry = ZipWriter::entry(name, "tiny");
                   entry.declaredSize = 0xFFFFFFF0u;
                   inner.add(entry);
               }
               return ZipWriter()
                   .addFile("Runtime/x.txt", "x")
                   .addFile("inner.zip", inner.bytes(), 0);
           }()}},
         [](Library& box) {
             const std::optional<QString> warning = box.analysed("bomb.zip").text(key::Warning);
             EXPECT_TRUE(warning && warning->contains("inflates to more than one archive may hold"))
                 << "the analysis refuses it for the same reason";
             return true;
         },
         false,
         {"Runtime/x.txt", "inner.zip"},
         {}},
        {"a nested archive no folder can be named after",
         {{"dots.zip",
           ZipWriter()
               .addFile("Runtime/x.txt", "x")
               .addFile("...zip", ZipWriter().addFile("Runtime/a.txt", "a").bytes(), 0)}},
         [](Library& box) {
             // Alone, it gives the archive no Runtime folder, not one at "..".
             box.add("only-dots.zip",
                     ZipWriter().addFile("...zip",
                                         ZipWriter().addFile("Runtime/a.txt", "a").bytes(), 0));
             EXPECT_EQ(box.analysed("only-dots.zip").text(key::Info), verdict::NoRuntime);
             return QFile::remove(box.source + "/only-dots.zip");
         },
         false,
         {"...zip", "Runtime/x.txt"},
         {}},
        {"a file, then a folder of the same name in a later archive",
         {{"A1.zip", ZipWriter().addFile("Runtime/foo", "a file")},
          {"B1.zip", ZipWriter().addFile("Runtime/foo/bar.txt", "below")}},
         nothing,
         false,
         {"Runtime/foo"},
         {"B1.zip"}},
        {"a folder, then a file of the same name in a later archive",
         {{"A1.zip", ZipWriter().addFile("Runtime/foo/bar.txt", "below")},
          {"B1.zip", ZipWriter().addFile("Runtime/FOO", "a file")}},
         nothing,
         false,
         {"Runtime/foo/bar.txt"},
         {"B1.zip"}},
        {"the same file in two letter cases in a batch",
         {{"A.zip", ZipWriter().addFile("RUNTIME/Foo2.txt", "first")},
          {"B.zip", ZipWriter().addFile("Runtime/foo2.txt", "second")}},
         nothing,
         false,
         {"RUNTIME/Foo2.txt"},
         {}},
        {"a library that cannot be written to",
         {{"A.zip", ZipWriter().addFile("Runtime/a.txt", "a")}},
         [](Library& box) {
             return QFile::setPermissions(box.dest, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
         },
         true,
         {},
         {"A.zip"}},
        {"a package larger than the library's free space",
         {{"big.zip", ZipWriter().addFile("Runtime/big.bin", QByteArray(6 << 20, 'z'))},
          {"small.zip", ZipWriter().addFile("Runtime/small.txt", "fits")}},
         [](Library& box) {
             return ::mount("tmpfs", QFile::encodeName(box.dest).constData(), "tmpfs", 0,
                            "size=4m") == 0;
         },
         false,
         {"Runtime/small.txt"},
         {"big.zip"}},
    };
    Executor executor;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Library box;
        std::vector<ArchiveItem> items;
        for (const auto& [name, zip] : row.archives)
            box.add(name, zip);
        for (const auto& [name, zip] : row.archives)
            items.push_back(box.analysed(name));
        if (!row.prepare(box)) {
            ADD_FAILURE() << "cannot prepare the row here";
            continue;
        }
        std::vector<PackagePreview> previews;
        InstallRecording run;
        {
            std::optional<PermissionsEnforced> enforced;
            if (row.unprivileged)
                enforced.emplace();
            previews = previewInstall(box.job(items), executor);
            run = runInstaller(box.job(items));
        }
        QFile::setPermissions(box.dest, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
        ASSERT_EQ(previews.size(), run.items.size());
        std::set<QString> previewed;
        QStringList failing;
        for (std::size_t i = 0; i < previews.size(); ++i) {
            const ArchiveItem& installed = run.items[i];
            SCOPED_TRACE(previews[i].archive.toStdString());
            EXPECT_EQ(previews[i].problem, installed.text(key::Reason).value_or(QString()));
            EXPECT_EQ(previews[i].problem.isEmpty(), installed.state() == ItemState::Installed);
            if (!previews[i].problem.isEmpty()) {
                failing << previews[i].archive;
                EXPECT_EQ(qint64(previews[i].error), installed.integer(key::Error));
            }
            EXPECT_EQ(previews[i].warnings.join('\n'),
                      installed.text(key::Warning).value_or(QString()));
            for (const PackagePreview::File& file : previews[i].files)
                previewed.insert(file.path);
        }
        EXPECT_EQ(failing, row.failing);
        EXPECT_EQ(QStringList(previewed.begin(), previewed.end()), row.library);
        EXPECT_EQ(filesBelow(box.dest), row.library);
        ::umount2(QFile::encodeName(box.dest).constData(), MNT_DETACH);
    }

    // The window and the command line preview the archive that crashed them.
    Library box;
    box.add("case.zip",
            ZipWriter().addFile("Runtime/a.txt", "small").addFile("Runtime/A.txt", "CAPITAL"));
    const CliResult dryRun =
        runCli({"install", box.source, box.dest, "--dry-run", "--work", box.work});
    EXPECT_EQ(dryRun.exitCode, 0) << dryRun.err.toStdString();
    EXPECT_TRUE(dryRun.out.contains("Runtime/a.txt and Runtime/A.txt meet at one library path"))
        << dryRun.out.toStdString();
    EXPECT_EQ(runCli({"install", box.source, box.dest, "--work", box.work}).exitCode, 0);
    EXPECT_EQ(filesBelow(box.dest), QStringList{"Runtime/A.txt"});
    EXPECT_EQ(readFile(box.dest + "/Runtime/A.txt"), "CAPITAL") << "the later entry wins";
    box.add("dup.zip",
            ZipWriter().addFile("Runtime/dup.txt", "first").addFile("Runtime/dup.txt", "second"));
    const CliResult shared = runCli({"install", box.source, box.dest, "--work", box.work});
    EXPECT_TRUE(shared.out.contains("two entries are named Runtime/dup.txt"))
        << shared.out.toStdString();
    EXPECT_EQ(readFile(box.dest + "/Runtime/dup.txt"), "second");
}

// An archive whose package is installed from it and unchanged is left
// alone, record and all; a changed file or a changed archive is installed.
TEST(PreviewTruth, AnInstalledUnchangedPackageIsLeftAlone) {
    Library box;
    box.add("P.zip", ZipWriter().addFile("Runtime/a.txt", "aaaa").addFile("Runtime/b.txt", "bbbb"));
    const QStringList install{"install", box.source, box.dest, "--work", box.work};
    ASSERT_EQ(runCli(install).exitCode, 0);
    const QString record = [&] {
        const QStringList names = QDir(box.dest + "/.packshelf").entryList({"*.json"});
        return names.isEmpty() ? QString() : box.dest + "/.packshelf/" + names.first();
    }();
    const QByteArray recorded = readFile(record);
    struct Row {
        const char* name;
        std::function<void()> change;
        bool unchanged;
    };
    const std::vector<Row> rows = {
        {"nothing changed", [] {}, true},
        {"a file changed, its size kept", [&] { writeFile(box.dest + "/Runtime/b.txt", "BBBB"); },
         false},
        {"a file missing", [&] { QFile::remove(box.dest + "/Runtime/a.txt"); }, false},
        {"the archive changed",
         [&] {
             box.add("P.zip", ZipWriter()
                                  .addFile("Runtime/a.txt", "aaaa")
                                  .addFile("Runtime/b.txt", "bbbb")
                                  .addFile("Runtime/c.txt", "c"));
         },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.change();
        const CliResult dryRun = runCli(QStringList(install) << "--dry-run");
        ASSERT_FALSE(dryRun.records().isEmpty());
        EXPECT_EQ(dryRun.records().first()["UNCHANGED"].toInt(), row.unchanged ? 1 : 0);
        const FolderSnapshot before = FolderSnapshot::of(box.dest + "/.packshelf");
        const CliResult result = runCli(install);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.records().first()["STATE"].toInt(), 9);
        EXPECT_EQ(result.records().first()["UNCHANGED"].toInt(), row.unchanged ? 1 : 0);
        if (row.unchanged) {
            EXPECT_EQ(
                FolderSnapshot::differences(before, FolderSnapshot::of(box.dest + "/.packshelf")),
                QStringList())
                << "not even the record is written";
            EXPECT_EQ(readFile(record), recorded);
        }
        EXPECT_EQ(readFile(box.dest + "/Runtime/a.txt"), "aaaa");
        EXPECT_EQ(readFile(box.dest + "/Runtime/b.txt"), "bbbb");
    }
}

// A signal ends a dry run that is busy checking nested archives, with the
// exit status of the signal and nothing written.
TEST(PreviewTruth, ASignalEndsADryRun) {
    Library box;
    const QByteArray inner = ZipWriter().addFile("zeros.bin", QByteArray(48 << 20, '\0')).bytes();
    const QByteArray outer =
        ZipWriter().addFile("Runtime/x.txt", "x").addFile("inner.zip", inner, 0).bytes();
    for (int i = 0; i < 400; ++i)
        box.add(QStringLiteral("pack%1.zip").arg(i), outer);
    QProcess dryRun;
    dryRun.start(cliPath(), {"install", box.source, box.dest, "--dry-run", "--work", box.work});
    ASSERT_TRUE(dryRun.waitForStarted());
    QThread::msleep(1500);
    ::kill(pid_t(dryRun.processId()), SIGINT);
    ASSERT_TRUE(dryRun.waitForFinished(60000));
    EXPECT_EQ(dryRun.exitCode(), 130) << dryRun.readAllStandardError().toStdString();
    EXPECT_EQ(listRecursive(box.dest), QStringList());
    EXPECT_EQ(listRecursive(box.work), QStringList());
}
