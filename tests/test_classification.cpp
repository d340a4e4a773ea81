#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "analysis/Analyzer.h"
#include "analysis/ManualChoice.h"
#include "analysis/StateEvaluation.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

using Expected = std::map<QString, std::variant<qint64, QString>>;

struct Row {
    const char* name;
    QStringList paths; // files in the archive; empty list: a corrupt archive
    bool ignoreDS;
    Expected expected; // every key but "FILENAME" and "ZIP"
    bool hasTree;
};

QByteArray archiveOf(const QStringList& paths) {
    ZipWriter writer;
    for (const QString& path : paths) {
        if (path.endsWith(".zip"))
            writer.addFile(path.toUtf8(), ZipWriter().addFile("inner.txt", "i").bytes(), 0);
        else
            writer.addFile(path.toUtf8(), "content");
    }
    return writer.bytes();
}

Expected keysOf(const ArchiveItem& item) {
    Expected result;
    for (const QString& name : item.keys()) {
        if (name == key::FileName || name == key::Zip)
            continue;
        if (auto text = item.text(name))
            result[name] = *text;
        else
            result[name] = item.integer(name);
    }
    return result;
}

std::string show(const Expected& keys) {
    QStringList parts;
    for (const auto& [name, value] : keys) {
        if (const auto* text = std::get_if<QString>(&value))
            parts << name + "=\"" + *text + "\"";
        else
            parts << name + "=" + QString::number(std::get<qint64>(value));
    }
    return parts.join(' ').toStdString();
}

AnalyzerReport analyze(const QString& sourceDir, const QString& fileName, bool ignoreDS,
                       int* reports) {
    AnalyzerJob job;
    job.sourceDir = sourceDir;
    job.index = 7;
    job.batchId = 42;
    job.data = ArchiveItem::create(fileName);
    job.ignoreDS = ignoreDS;
    AnalyzerReport result;
    analyzerThread(job, [&](AnalyzerReport report) {
        ++*reports;
        result = std::move(report);
    });
    return result;
}

Expected ok(Expected extra, qint64 folders, qint64 files, qint64 ignore = 0) {
    extra["STATE"] = qint64(5);
    extra["INFO"] = QString("OK");
    extra["FOLDERS"] = folders;
    extra["FILES"] = files;
    extra["IGNORE_DS"] = ignore;
    return extra;
}

} // namespace

TEST(Classification, EveryVerdictOfTheDecisionTable) {
    const std::vector<Row> rows = {
        {"corrupt archive",
         {},
         false,
         {{"STATE", qint64(-1)},
          {"ERROR", qint64(1)},
          {"INFO", QString("Unzip error")},
          {"REASON", QString("not a zip archive, or damaged")}},
         false},
        {"Runtime and Data on top",
         {"Runtime/a", "Data/b"},
         false,
         ok({{"RUNTIMEPATH", QString()},
             {"HASRUNTIME", qint64(1)},
             {"DATAPATH", QString()},
             {"HASDATA", qint64(1)}},
            2, 2),
         true},
        {"Runtime on top, Data deep",
         {"Runtime/a", "x/y/Data/b"},
         false,
         ok({{"RUNTIMEPATH", QString()}, {"HASRUNTIME", qint64(1)}}, 4, 2),
         true},
        {"Data on top, Runtime deep",
         {"Data/a", "x/Runtime/b"},
         false,
         ok({{"DATAPATH", QString()}, {"HASDATA", qint64(1)}}, 3, 2),
         true},
        {"option set, Data only",
         {"Data/a"},
         true,
         {{"STATE", qint64(-1)},
          {"ERROR", qint64(2)},
          {"INFO", QString("No Runtime or data")},
          {"HASRUNTIME", qint64(0)},
          {"HASDATA", qint64(0)},
          {"FOLDERS", qint64(1)},
          {"FILES", qint64(1)}},
         true},
        {"option clear, nothing",
         {"x/a"},
         false,
         {{"STATE", qint64(-1)},
          {"ERROR", qint64(2)},
          {"INFO", QString("No Runtime")},
          {"HASRUNTIME", qint64(0)},
          {"HASDATA", qint64(0)},
          {"FOLDERS", qint64(1)},
          {"FILES", qint64(1)}},
         true},
        {"both in one package",
         {"Package/Runtime/a", "Package/Data/b"},
         false,
         ok({{"RUNTIMEPATH", QString("Package")},
             {"HASRUNTIME", qint64(1)},
             {"DATAPATH", QString("Package")},
             {"HASDATA", qint64(1)}},
            3, 2),
         true},
        {"different parents",
         {"A/Runtime/a", "B/Data/b"},
         false,
         ok({{"RUNTIMEPATH", QString("A")},
             {"HASRUNTIME", qint64(1)},
             {"DATAPATH", QString("B")},
             {"HASDATA", qint64(1)}},
            4, 2),
         true},
        {"two Runtime folders",
         {"A/Runtime/a", "B/Runtime/b"},
         false,
         {{"STATE", qint64(3)},
          {"INFO", QString("Duplicates")},
          {"HASRUNTIME", qint64(1)},
          {"IGNORE_DS", qint64(0)},
          {"FOLDERS", qint64(4)},
          {"FILES", qint64(2)}},
         true},
        {"Runtime in Runtime",
         {"A/Runtime/Runtime/a"},
         false,
         {{"STATE", qint64(3)},
          {"INFO", QString("Duplicates")},
          {"HASRUNTIME", qint64(1)},
          {"IGNORE_DS", qint64(0)},
          {"FOLDERS", qint64(3)},
          {"FILES", qint64(1)}},
         true},
        {"two Data folders and a Runtime: the Runtime path stays",
         {"A/Runtime/a", "B/Data/b", "C/Data/c"},
         false,
         {{"STATE", qint64(3)},
          {"INFO", QString("Duplicates")},
          {"RUNTIMEPATH", QString("A")},
          {"HASRUNTIME", qint64(1)},
          {"HASDATA", qint64(1)},
          {"IGNORE_DS", qint64(0)},
          {"FOLDERS", qint64(6)},
          {"FILES", qint64(3)}},
         true},
        {"Runtime and RUNTIME on top",
         {"Runtime/a", "RUNTIME/b"},
         false,
         ok({{"RUNTIMEPATH", QString()}, {"HASRUNTIME", qint64(1)}}, 2, 2),
         true},
        {"nested Runtime.zip on top",
         {"Runtime.zip"},
         false,
         ok({{"RUNTIMEPATH", QString()}, {"HASRUNTIME", qint64(1)}}, 1, 1),
         true},
        {"only junk",
         {"__MACOSX/._x", ".DS_Store"},
         false,
         {{"STATE", qint64(-1)},
          {"ERROR", qint64(2)},
          {"INFO", QString("No Runtime")},
          {"HASRUNTIME", qint64(0)},
          {"HASDATA", qint64(0)},
          {"FOLDERS", qint64(0)},
          {"FILES", qint64(0)}},
         true},
        {"option set, deep Runtime beside Data",
         {"A/Data/a", "B/Runtime/b"},
         true,
         ok({{"RUNTIMEPATH", QString("B")}, {"HASRUNTIME", qint64(1)}}, 4, 2, 1),
         true},
        {"option set, two Data folders",
         {"A/Data/a", "B/Data/b", "C/Runtime/c"},
         true,
         ok({{"RUNTIMEPATH", QString("C")}, {"HASRUNTIME", qint64(1)}}, 6, 3, 1),
         true},
    };

    QTemporaryDir source;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString fileName = QString(row.name).replace(' ', '_') + ".zip";
        writeFile(source.filePath(fileName),
                  row.paths.isEmpty() ? QByteArray("not a zip") : archiveOf(row.paths));
        int reports = 0;
        const AnalyzerReport report = analyze(source.path(), fileName, row.ignoreDS, &reports);
        EXPECT_EQ(reports, 1);
        EXPECT_EQ(report.index, 7);
        EXPECT_EQ(report.batchId, 42);
        EXPECT_EQ(report.data.fileName(), fileName);
        EXPECT_EQ(keysOf(report.data), row.expected) << show(keysOf(report.data));
        EXPECT_EQ(report.data.tree(key::Zip) != nullptr, row.hasTree);
    }
}

TEST(Classification, DuplicatesKeepTheirMarksInTheStoredTree) {
    QTemporaryDir source;
    writeFile(source.filePath("dup.zip"), archiveOf({"A/Runtime/a", "B/Runtime/b"}));
    int reports = 0;
    const AnalyzerReport report = analyze(source.path(), "dup.zip", false, &reports);
    const ContentTreePtr tree = report.data.tree(key::Zip);
    ASSERT_TRUE(tree);
    EXPECT_TRUE(tree->at(0).content->at(0).hasMark("IS_RUNTIME"));
    EXPECT_TRUE(tree->at(1).content->at(0).hasMark("IS_RUNTIME"));
}

TEST(Classification, WithoutWorkFolderTheSystemTempIsUsedAndLeftClean) {
    QTemporaryDir source;
    writeFile(source.filePath("p.zip"), archiveOf({"Runtime/a"}));
    // A temporary location of its own, so other tests running meanwhile
    // cannot disturb the comparison.
    QTemporaryDir systemTemp;
    const bool hadTmpdir = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray savedTmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", systemTemp.path().toLocal8Bit());
    int reports = 0;
    const AnalyzerReport report = analyze(source.path(), "p.zip", false, &reports);
    const QStringList left = listRecursive(systemTemp.path());
    if (hadTmpdir)
        qputenv("TMPDIR", savedTmpdir);
    else
        qunsetenv("TMPDIR");
    EXPECT_EQ(report.data.state(), ItemState::Ready);
    EXPECT_EQ(left, QStringList());
}

TEST(StateEvaluation, PromotesOnlyCompletePlans) {
    struct Case {
        const char* name;
        std::map<QString, std::variant<qint64, QString>> keys;
        bool promoted;
    };
    const std::vector<Case> cases = {
        {"runtime flag and path", {{"HASRUNTIME", qint64(1)}, {"RUNTIMEPATH", QString("x")}}, true},
        {"empty runtime path is given",
         {{"HASRUNTIME", qint64(1)}, {"RUNTIMEPATH", QString()}},
         true},
        {"runtime flag without path", {{"HASRUNTIME", qint64(1)}}, false},
        {"data flag and path", {{"HASDATA", qint64(1)}, {"DATAPATH", QString("d")}}, true},
        {"forced flag and path", {{"HASFORCED", qint64(1)}, {"FORCEDPATH", QString("f")}}, true},
        {"both flags, runtime path only: the Data folder would be left out",
         {{"HASRUNTIME", qint64(1)},
          {"HASDATA", qint64(1)},
          {"IGNORE_DS", qint64(0)},
          {"RUNTIMEPATH", QString()}},
         false},
        {"both flags, option set, no data path",
         {{"HASRUNTIME", qint64(1)},
          {"HASDATA", qint64(1)},
          {"IGNORE_DS", qint64(1)},
          {"RUNTIMEPATH", QString()}},
         false},
        {"both flags, option set, both paths",
         {{"HASRUNTIME", qint64(1)},
          {"HASDATA", qint64(1)},
          {"IGNORE_DS", qint64(1)},
          {"RUNTIMEPATH", QString()},
          {"DATAPATH", QString("d")}},
         true},
        {"runtime missing beats forced",
         {{"HASRUNTIME", qint64(1)}, {"HASFORCED", qint64(1)}, {"FORCEDPATH", QString("f")}},
         false},
        {"no flag at all", {{"RUNTIMEPATH", QString()}, {"DATAPATH", QString()}}, false},
        {"flag 0 is unset", {{"HASRUNTIME", qint64(0)}, {"RUNTIMEPATH", QString()}}, false},
        {"flag 2 is unset", {{"HASDATA", qint64(2)}, {"DATAPATH", QString()}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ArchiveItem item = ArchiveItem::create("a.zip");
        item.setInteger(key::State, ItemState::NeedsHelp);
        item.setText(key::Info, "Duplicates");
        item.setInteger(key::Error, 2);
        for (const auto& [name, value] : c.keys) {
            if (const auto* text = std::get_if<QString>(&value))
                item.setText(name, *text);
            else
                item.setInteger(name, std::get<qint64>(value));
        }
        ArchiveItem expected = item;
        if (c.promoted) {
            expected.setInteger(key::State, ItemState::Ready);
            expected.setText(key::Info, "OK");
        }
        checkAndSetStateForMasterNode(item);
        EXPECT_EQ(item, expected) << "only STATE and INFO may change, and only on promotion";
    }
}

TEST(ArchiveItem, ReadingRules) {
    ArchiveItem item = ArchiveItem::create("x.zip");
    EXPECT_EQ(item.keys(), QStringList({"FILENAME", "INFO", "STATE"}));
    EXPECT_EQ(item.state(), ItemState::New);
    EXPECT_EQ(item.integer("ERROR"), 0);
    EXPECT_FALSE(item.flag("HASDATA"));
    item.setInteger("HASDATA", 0);
    EXPECT_FALSE(item.flag("HASDATA"));
    EXPECT_TRUE(item.contains("HASDATA"));
    item.setText("RUNTIMEPATH", "");
    ASSERT_TRUE(item.text("RUNTIMEPATH"));
    EXPECT_TRUE(item.text("RUNTIMEPATH")->isEmpty());
    item.remove("RUNTIMEPATH");
    EXPECT_FALSE(item.text("RUNTIMEPATH"));
    EXPECT_EQ(item.integer("FILENAME"), 0) << "a text read as an integer is 0";
}

TEST(ManualChoice, FolderChoicesAndDirectDestination) {
    ArchiveItem duplicates = ArchiveItem::create("d.zip");
    duplicates.setInteger(key::State, ItemState::NeedsHelp);
    duplicates.setInteger(key::HasRuntime, 1);
    recordFolderChoice(duplicates, FolderChoice::Runtime, "Pack");
    EXPECT_EQ(duplicates.text(key::RuntimePath), QString("Pack"));
    EXPECT_EQ(duplicates.state(), ItemState::Ready);
    EXPECT_EQ(folderChoiceLogLine(FolderChoice::Runtime, "Pack"), "Runtime @ Pack");

    ArchiveItem noFlag = ArchiveItem::create("n.zip");
    noFlag.setInteger(key::State, ItemState::NeedsHelp);
    recordFolderChoice(noFlag, FolderChoice::Runtime, "");
    EXPECT_FALSE(noFlag.contains(key::HasRuntime)) << "choosing Runtime never creates the flag";
    EXPECT_EQ(noFlag.state(), ItemState::NeedsHelp);
    recordFolderChoice(noFlag, FolderChoice::Data, "x");
    EXPECT_EQ(noFlag.integer(key::HasData), 1);
    EXPECT_EQ(noFlag.state(), ItemState::Ready);

    ArchiveItem rejected = ArchiveItem::create("r.zip");
    rejected.setInteger(key::State, ItemState::Failed);
    rejected.setInteger(key::Error, 2);
    rejected.setInteger(key::HasRuntime, 0);
    rejected.setInteger(key::HasData, 0);
    recordFolderChoice(rejected, FolderChoice::Forced, "Stuff");
    EXPECT_EQ(rejected.state(), ItemState::Ready);
    EXPECT_EQ(rejected.integer(key::Error), 2) << "the old reason code stays";
    EXPECT_EQ(folderChoiceLogLine(FolderChoice::Forced, "Stuff"), "Forced @ Stuff");

    recordDirectDestination(rejected, "/lib/own", std::nullopt);
    EXPECT_EQ(rejected.text(key::Info), QString("Manually set"));
    EXPECT_EQ(rejected.integer(key::HasDirect), 1);
    EXPECT_FALSE(rejected.contains(key::HasForced));
    EXPECT_FALSE(rejected.contains(key::HasRuntime));
    EXPECT_FALSE(rejected.contains(key::DirectPathSrc));
    EXPECT_EQ(rejected.text(key::ForcedPath), QString("Stuff")) << "paths stay, flags go";
    recordDirectDestination(rejected, "/lib/own", QString("Addons"));
    EXPECT_EQ(rejected.text(key::DirectPathSrc), QString("Addons"));
}
