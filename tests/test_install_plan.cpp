#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <map>

#include "analysis/ArchiveDescription.h"
#include "analysis/ArchiveItem.h"
#include "analysis/ItemKeys.h"
#include "analysis/NameRules.h"
#include "install/plan/ArchiveEntryReader.h"
#include "install/plan/ArchiveView.h"
#include "install/plan/CopyPlan.h"
#include "install/plan/InstallPlan.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using packshelf::test::writeFile;
using packshelf::test::ZipWriter;

namespace {

CopyPlan copying(const QString& source) {
    CopyPlan plan;
    plan.rule = CopyPlan::Rule::Forced;
    plan.primarySource = source;
    return plan;
}

CopyPlan direct(std::optional<QString> source, std::optional<QString> destination) {
    CopyPlan plan;
    plan.rule = CopyPlan::Rule::Direct;
    plan.directSource = std::move(source);
    plan.directDestination = std::move(destination);
    return plan;
}

// Plans the install of the archive `bytes` into `library`.
Result<InstallPlan> planOf(const QByteArray& bytes, const CopyPlan& copy, const QString& library,
                           const QString& work) {
    const QString archive = work + "/Pack.zip";
    if (!QFile::remove(archive) && QFile::exists(archive))
        return fail("cannot replace the archive");
    if (!writeFile(archive, bytes))
        return fail("cannot write the archive");
    Result<std::unique_ptr<ArchiveView>> view = ArchiveView::open(QFile::encodeName(archive), work);
    if (!view)
        return view.failure();
    return planInstall(copy, **view, library, QStringLiteral("Pack.zip"));
}

QStringList targetsOf(const InstallPlan& plan) {
    QStringList targets = plan.folders;
    for (const PlannedFile& file : plan.files)
        targets << file.target;
    return targets;
}

} // namespace

// Each row is an archive and a choice the planner must refuse before
// anything is written, naming the path concerned; or one it accepts, with
// what it writes and what it warns of.
TEST(InstallPlanning, RefusalsTargetsAndWarnings) {
    QTemporaryDir scratch;
    const QString library = scratch.filePath("library");
    const QString work = scratch.filePath("work");
    QDir().mkpath(library);
    QDir().mkpath(work);
    const QByteArray longName(256, 'n');
    // Folders of 200 bytes take the path past 4,095 bytes under the library.
    QByteArray deep;
    for (int i = 0; i < 21; ++i)
        deep += QByteArray(200, char('a' + i)) + '/';
    struct Row {
        const char* label;
        QByteArray archive;
        CopyPlan copy;
        QString refusal;          // empty: the plan is made
        QStringList targets = {}; // folders, then files, of a plan made
        QStringList warnings = {};
    };
    const auto zip = [](std::initializer_list<const char*> names) {
        ZipWriter writer;
        for (const char* name : names)
            QByteArray(name).endsWith('/') ? writer.addFolder(name)
                                           : writer.addFile(name, QByteArray(name));
        return writer.bytes();
    };
    const std::vector<Row> rows = {
        {"the Runtime holder's entries, junk aside",
         zip({"Pack/Runtime/a.txt", "Pack/readme.txt", "Pack/.DS_Store", "Pack/__MACOSX/x"}),
         copying("Pack"),
         {},
         {"Runtime", "readme.txt", "Runtime/a.txt"},
         {}},
        {"the records folder at the top of the library",
         zip({".packshelf/records/x.json", "Runtime/a.txt"}), copying(""),
         "Pack.zip/.packshelf: a name PackShelf keeps for its records"},
        {"the records folder in another letter case",
         zip({"Top/.PackShelf/x", "Top/Runtime/a.txt"}), copying("Top"),
         "Pack.zip/.PackShelf: a name PackShelf keeps for its records"},
        {"a name of files being written", zip({"Runtime/.packshelf-partial-1-x"}), copying(""),
         "Pack.zip/Runtime/.packshelf-partial-1-x: a name PackShelf keeps for files being "
         "written"},
        {"a name too long", zip({"Runtime/" + longName}), copying(""),
         "Pack.zip/Runtime/" + longName + ": a name too long for this system"},
        {"a path too long under the library", ZipWriter().addFile(deep + "f", "x").bytes(),
         copying(""),
         "Pack.zip/" + deep.left(deep.size() - 1) + ": a path too long for this system"},
        {"a file and a folder of one name", zip({"Runtime/x", "Runtime/x/y"}), copying(""),
         "Pack.zip/Runtime/x: both a file and a folder in the archive"},
        {"names that meet at one library path as file and folder",
         zip({"Runtime/Tex", "Runtime/tex/y"}), copying(""),
         "Pack.zip/Runtime/Tex: both a file and a folder in the install"},
        {"a holder that is a file", zip({"Runtime/a.txt"}), copying("Runtime/a.txt"),
         "Pack.zip/Runtime/a.txt: not a folder"},
        {"a holder not in the archive", zip({"Runtime/a.txt"}), copying("Gone"),
         "Pack.zip/Gone: not in the archive"},
        {"a holder that climbs out of the archive", zip({"Runtime/a.txt"}),
         copying("Runtime/../.."), "Pack.zip/Runtime/../..: the path leaves the archive"},
        {"a destination of its own without a source", zip({"Runtime/a.txt"}),
         direct(std::nullopt, library), library + ": no part of the archive is chosen for it"},
        {"a source without a destination", zip({"Runtime/a.txt"}), direct("Runtime", std::nullopt),
         "Pack.zip: no direct destination is set"},
        {"a destination that is not absolute", zip({"Runtime/a.txt"}),
         direct("Runtime", "relative/lib"),
         "relative/lib: the destination is not an absolute path"},
        {"a destination of its own keeps the source's path",
         zip({"Pack/Runtime/a.txt"}),
         direct("Pack/Runtime", library + "/own"),
         {},
         {"Pack", "Pack/Runtime", "Pack/Runtime/a.txt"},
         {}},
        {"two spellings of one path: the later in the archive is written, the first in listing "
         "order names it",
         zip({"Runtime/a.txt", "Runtime/A.txt"}),
         copying(""),
         {},
         {"Runtime", "Runtime/A.txt"},
         {"Runtime/a.txt and Runtime/A.txt meet at one library path: Runtime/A.txt, the later in "
          "the archive, is installed"}},
        {"one name twice in the archive",
         zip({"Runtime/a.txt", "Runtime/a.txt"}),
         copying(""),
         {},
         {"Runtime", "Runtime/a.txt"},
         {"two entries are named Runtime/a.txt: the later in the archive is installed"}},
        {"many names twice and many spellings: one line each, naming the first few",
         zip({"Runtime/a", "Runtime/b", "Runtime/c", "Runtime/d", "Runtime/a", "Runtime/b",
              "Runtime/c", "Runtime/d", "Runtime/E", "Runtime/F", "Runtime/e", "Runtime/f"}),
         copying(""),
         {},
         {"Runtime", "Runtime/a", "Runtime/b", "Runtime/c", "Runtime/d", "Runtime/E", "Runtime/F"},
         {"4 names are each given to two entries or more: the later in the archive is installed "
          "(Runtime/a, Runtime/b, Runtime/c and 1 more)",
          "2 pairs of paths differ only in letter case and meet at one library path each: the "
          "later in the archive is installed (Runtime/E and Runtime/e and Runtime/F and "
          "Runtime/f)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const Result<InstallPlan> plan = planOf(row.archive, row.copy, library, work);
        EXPECT_EQ(plan.reason().toStdString(), row.refusal.toStdString());
        if (!plan)
            continue;
        EXPECT_EQ(targetsOf(*plan), row.targets);
        EXPECT_EQ(plan->warnings.lines(), row.warnings);
    }
    EXPECT_EQ(QDir(library).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList())
        << "planning writes nothing";
}

// Which nested archives an install writes, and which it unpacks, is decided
// once: the info box's answer (from the analysed tree) is what the install's
// plan writes, for every copy a user can choose.
TEST(InstallPlanning, NestedArchivesAsTheInfoBoxSays) {
    QTemporaryDir scratch;
    const QString work = scratch.filePath("work");
    QDir().mkpath(work);
    const QByteArray inner = ZipWriter().addFile("x.txt", "x").bytes();
    const QByteArray extras =
        ZipWriter().addFile("Runtime/e.txt", "e").addFile("Inner.zip", inner).bytes();
    const QByteArray deep = ZipWriter().addFile("d.txt", "d").bytes();
    const QByteArray archive = ZipWriter()
                                   .addFile("Runtime/a.txt", "a")
                                   .addFile("Extras.zip", extras)
                                   .addFile("Sub/s.txt", "s")
                                   .addFile("Sub/Deep.zip", deep)
                                   .bytes();
    const QString path = work + "/Pack.zip";
    ASSERT_TRUE(writeFile(path, archive));
    const ArchiveDescription description = describeArchive(QFile::encodeName(path), work);
    ASSERT_TRUE(description.tree.ok()) << description.tree.reason().toStdString();

    // The nested archives by the folder the tree shows for them: where they
    // lie, and the archives they lie in.
    struct Nested {
        QString holder;
        QString folder;
        QStringList above;
    };
    const std::map<QString, Nested> nested = {
        {"Extras", {"", "Extras", {}}},
        {"Inner", {"Extras", "Extras/Inner", {"Extras"}}},
        {"Deep", {"Sub", "Sub/Deep", {}}},
    };
    using enum NestedInstall;
    struct Row {
        QString source;
        std::map<QString, NestedInstall> written;
        QStringList files; // what the plan writes
    };
    const Row rows[] = {
        {"",
         {{"Extras", AsFileAndFolder}, {"Inner", AsFile}, {"Deep", AsFile}},
         {"Extras.zip", "Extras/Inner.zip", "Extras/Runtime/e.txt", "Runtime/a.txt", "Sub/Deep.zip",
          "Sub/s.txt"}},
        {"Sub",
         {{"Extras", NotWritten}, {"Inner", NotWritten}, {"Deep", AsFile}},
         {"Deep.zip", "s.txt"}},
        {"Sub/Deep",
         {{"Extras", NotWritten}, {"Inner", NotWritten}, {"Deep", NotWritten}},
         {"d.txt"}},
        {"Extras",
         {{"Extras", NotWritten}, {"Inner", AsFile}, {"Deep", NotWritten}},
         {"Inner.zip", "Runtime/e.txt"}},
        {"Extras/Inner",
         {{"Extras", NotWritten}, {"Inner", NotWritten}, {"Deep", NotWritten}},
         {"x.txt"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source.toStdString());
        const CopyPlan copy = copying(row.source);
        for (const auto& [name, where] : nested) {
            SCOPED_TRACE(name.toStdString());
            EXPECT_EQ(nestedArchiveInstall(copy, where.holder, where.folder, where.above),
                      row.written.at(name));
        }
        const Result<InstallPlan> plan = planOf(archive, copy, scratch.filePath("library"), work);
        ASSERT_TRUE(plan) << plan.reason().toStdString();
        QStringList files;
        for (const PlannedFile& file : plan->files)
            files << file.target;
        files.sort();
        EXPECT_EQ(files, row.files);
    }
}

// A choice means that variant: with the Runtime and the Data folder in two
// holders, each holder gives its own folder and what is neither kind, never
// the other kind's folder the user passed over. The plan the install and
// the dry run carry out and the info box's answer on nested archives agree.
TEST(InstallPlanning, AChoiceMeansThatVariant) {
    QTemporaryDir scratch;
    const QString work = scratch.filePath("work");
    QDir().mkpath(work);
    const QByteArray nested = ZipWriter().addFile("n.txt", "n").bytes();
    struct Row {
        const char* label;
        QByteArray archive;
        QString runtimePath;
        QString dataPath;
        QStringList files;               // what the plan writes, sorted
        std::map<QString, bool> written; // nested archive folder: written at all
    };
    const Row rows[] = {
        {"Runtime twice, Data beside the one passed over",
         ZipWriter()
             .addFile("A/Runtime/a.obj", "a")
             .addFile("A/Runtime/Old.zip", nested)
             .addFile("A/Data/a.tex", "t")
             .addFile("A/readme.txt", "r")
             .addFile("B/Runtime/b.obj", "b")
             .addFile("B/Runtime/New.zip", nested)
             .bytes(),
         "B",
         "A",
         {"Data/a.tex", "Runtime/New.zip", "Runtime/b.obj", "readme.txt"},
         {{"A/Runtime/Old", false}, {"B/Runtime/New", true}}},
        {"the Runtime passed over in another letter case",
         ZipWriter()
             .addFile("A/runtime/a.obj", "a")
             .addFile("A/Data/a.tex", "t")
             .addFile("B/Runtime/b.obj", "b")
             .bytes(),
         "B",
         "A",
         {"Data/a.tex", "Runtime/b.obj"},
         {}},
        {"Data twice, Runtime beside the one passed over",
         ZipWriter()
             .addFile("A/Runtime/a.obj", "a")
             .addFile("A/DATA/old.tex", "o")
             .addFile("B/Data/new.tex", "n")
             .addFile("B/notes.txt", "n")
             .bytes(),
         "A",
         "B",
         {"Data/new.tex", "Runtime/a.obj", "notes.txt"},
         {}},
        {"both in one holder: the holder whole",
         ZipWriter()
             .addFile("Pack/Runtime/r.obj", "r")
             .addFile("Pack/Data/d.tex", "d")
             .addFile("Pack/extra.txt", "e")
             .addFile("Other/Runtime/o.obj", "o")
             .bytes(),
         "Pack",
         "Pack",
         {"Data/d.tex", "Runtime/r.obj", "extra.txt"},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        ArchiveItem item;
        item.setInteger(key::HasRuntime, 1);
        item.setText(key::RuntimePath, row.runtimePath);
        item.setInteger(key::HasData, 1);
        item.setText(key::DataPath, row.dataPath);
        const CopyPlan copy = copyPlanFor(item);
        for (const auto& [folder, written] : row.written) {
            SCOPED_TRACE(folder.toStdString());
            const QString holder = folder.section(QLatin1Char('/'), 0, -2);
            EXPECT_EQ(nestedArchiveInstall(copy, holder, folder, {}) != NestedInstall::NotWritten,
                      written);
        }
        const Result<InstallPlan> plan =
            planOf(row.archive, copy, scratch.filePath("library"), work);
        ASSERT_TRUE(plan) << plan.reason().toStdString();
        QStringList files;
        for (const PlannedFile& file : plan->files)
            files << file.target;
        files.sort();
        EXPECT_EQ(files, row.files);
    }
}

// A file read into memory for a look at it: whole when it fits the limit,
// its first bytes when it does not (the read stops there), a nested
// archive's file through the folder named after it, and a reason for what
// cannot be read.
TEST(InstallPlanning, ReadsOneFileUpToALimit) {
    QTemporaryDir scratch;
    const QByteArray big(100 * 1024, 'b');
    ZipWriter::Entry damaged = ZipWriter::entry("bad.txt", "damaged content");
    damaged.crc = 0x1234;
    ZipWriter zip;
    zip.addFile("readme.txt", "hello world").addFile("big.bin", big).add(damaged);
    zip.addFile("Extras.zip", ZipWriter().addFile("Maps/m.txt", "map").bytes());
    zip.addFolder("Folder/");
    const QString archive = scratch.filePath("Pack.zip");
    ASSERT_TRUE(zip.writeTo(archive));

    struct Row {
        QString path;
        quint64 limit;
        QByteArray bytes; // or, when failing, a part of the reason
        bool whole;
        bool fails = false;
    };
    const std::vector<Row> rows = {
        {"readme.txt", 64, "hello world", true},
        {"big.bin", 10, big.left(10), false},
        {"big.bin", 0, "", false},
        {"bad.txt", 4, "dama", false},
        {"bad.txt", 1000, "CRC", false, true},
        {"Extras/Maps/m.txt", 64, "map", true},
        {"Folder", 64, "not a file", false, true},
        {"missing.txt", 64, "not in the archive", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.toStdString() + " " + std::to_string(row.limit));
        Result<ArchiveEntryReader> reader =
            ArchiveEntryReader::open(QFile::encodeName(archive), row.path, scratch.path());
        Result<ArchiveEntryReader::Content> read =
            reader ? reader->read(row.limit)
                   : Result<ArchiveEntryReader::Content>(reader.failure());
        if (row.fails) {
            ASSERT_FALSE(read);
            EXPECT_TRUE(read.reason().contains(row.bytes)) << read.reason().toStdString();
            continue;
        }
        ASSERT_TRUE(read) << read.reason().toStdString();
        EXPECT_EQ(read->bytes, row.bytes);
        EXPECT_EQ(read->whole(), row.whole);
        EXPECT_EQ(read->size, reader->size());
    }
}
