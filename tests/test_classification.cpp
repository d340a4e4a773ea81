#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

#include "analysis/Analyzer.h"
#include "analysis/ArchiveDescription.h"
#include "analysis/ManualChoice.h"
#include "tests/support/ExpandAndWalk.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

// Files in the archive: "x.zip" holds a nested archive, "x.zip~" bytes
// that are not one.
QByteArray archiveOf(const QStringList& paths) {
    ZipWriter writer;
    for (const QString& path : paths) {
        if (path.endsWith(".zip"))
            writer.addFile(path.toUtf8(), ZipWriter().addFile("inner.txt", "i").bytes(), 0);
        else if (path.endsWith(".zip~"))
            writer.addFile(path.chopped(1).toUtf8(), "not an archive");
        else
            writer.addFile(path.toUtf8(), "content");
    }
    return writer.bytes();
}

// Every key but FILENAME, in key order: KEY=1 for numbers, KEY="text" for
// texts, ZIP when the tree is kept.
QString keysOf(const ArchiveItem& item) {
    QStringList parts;
    for (const QString& name : item.keys()) {
        if (name == key::Zip)
            parts << name;
        else if (name == key::FileName)
            continue;
        else if (auto text = item.text(name))
            parts << name + "=\"" + *text + "\"";
        else
            parts << name + "=" + QString::number(item.integer(name));
    }
    parts.sort();
    return parts.join(' ');
}

// "name:size" for a file, "name/[...]" for a folder, "name/-" for one
// without content.
QString describe(const ContentTree& tree) {
    QStringList parts;
    for (const ContentNode& node : tree) {
        if (node.isFile())
            parts << QStringLiteral("%1:%2").arg(node.name).arg(node.size);
        else if (!node.content)
            parts << node.name + "/-";
        else
            parts << node.name + "/[" + describe(*node.content) + "]";
    }
    return parts.join(',');
}

std::string outcome(std::optional<ContentTree> tree) {
    ArchiveItem item = ArchiveItem::create("x.zip");
    const QString shown = tree ? describe(*tree) : QStringLiteral("no tree");
    classifyArchive(item, std::move(tree), false);
    return (shown + " => " + item.text(key::Info).value_or("") + " " +
            item.text(key::RuntimePath).value_or("-") + " " +
            item.text(key::DataPath).value_or("-"))
        .toStdString();
}

// Random archives over a small vocabulary: case variants, junk, implicit
// and explicit folders, duplicates and nested archives.
QByteArray randomArchive(QRandomGenerator& random, int nesting) {
    static const QByteArray Folders[] = {"Runtime",  "runtime", "DATA",    "Data",
                                         "Pack",     "pack 2",  "Pack 10", "\xc3\x9cn\xc3\xaf",
                                         "__MACOSX", "sub"};
    static const QByteArray Files[] = {"a.txt", "B.TXT", ".DS_Store", "readme", "__MACOSX_x"};
    ZipWriter writer;
    QList<QByteArray> written;
    const int entries = 1 + random.bounded(16);
    for (int i = 0; i < entries; ++i) {
        if (!written.isEmpty() && random.bounded(8) == 0) { // a duplicate
            writer.addFile(written[random.bounded(written.size())], "again");
            continue;
        }
        QByteArray path;
        for (int depth = random.bounded(4); depth > 0; --depth)
            path += Folders[random.bounded(int(std::size(Folders)))] + '/';
        const int kind = random.bounded(10);
        if (kind == 0) {
            writer.addFolder(path + "explicit/");
        } else if (kind == 1 && nesting < 2) {
            writer.addFile(path + (random.bounded(2) ? "inner.zip" : "Inner.ZIP"),
                           randomArchive(random, nesting + 1), 0);
        } else {
            path += Files[random.bounded(int(std::size(Files)))];
            writer.addFile(path, QByteArray(random.bounded(40), 'x'));
            written << path;
        }
    }
    return writer.bytes();
}

} // namespace

// The analysis of an archive, then the folder choices a user makes, if any:
// every verdict the records can carry.
TEST(Classification, DecisionTable) {
    struct Row {
        const char* name;
        QStringList paths; // empty: a file that is not an archive
        bool ignoreDS;
        std::vector<std::pair<FolderChoice, QString>> choices;
        const char* expected;
    };
    using enum FolderChoice;
    // clang-format off
    const std::vector<Row> rows = {
        {"corrupt archive", {}, false, {},
         R"(ERROR=1 INFO="Unzip error" REASON="not a zip archive, or damaged" STATE=-1)"},
        {"Runtime and Data on top", {"Runtime/a", "Data/b"}, false, {},
         R"(DATAPATH="" FILES=2 FOLDERS=2 HASDATA=1 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="" STATE=5 ZIP)"},
        {"Runtime on top, Data deep", {"Runtime/a", "x/y/Data/b"}, false, {},
         R"(FILES=2 FOLDERS=4 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="" STATE=5 ZIP)"},
        {"Data on top, Runtime deep", {"Data/a", "x/Runtime/b"}, false, {},
         R"(DATAPATH="" FILES=2 FOLDERS=3 HASDATA=1 IGNORE_DS=0 INFO="OK" STATE=5 ZIP)"},
        {"option set, Data only", {"Data/a"}, true, {},
         R"(ERROR=2 FILES=1 FOLDERS=1 HASDATA=0 HASRUNTIME=0 INFO="No Runtime or data" STATE=-1 ZIP)"},
        {"option clear, nothing", {"x/a"}, false, {},
         R"(ERROR=2 FILES=1 FOLDERS=1 HASDATA=0 HASRUNTIME=0 INFO="No Runtime" STATE=-1 ZIP)"},
        {"nothing, a folder forced", {"x/a"}, false, {{Forced, "x"}},
         R"(ERROR=2 FILES=1 FOLDERS=1 FORCEDPATH="x" HASDATA=0 HASFORCED=1 HASRUNTIME=0 INFO="OK" STATE=5 ZIP)"},
        {"both in one package", {"Package/Runtime/a", "Package/Data/b"}, false, {},
         R"(DATAPATH="Package" FILES=2 FOLDERS=3 HASDATA=1 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="Package" STATE=5 ZIP)"},
        {"different parents", {"A/Runtime/a", "B/Data/b"}, false, {},
         R"(DATAPATH="B" FILES=2 FOLDERS=4 HASDATA=1 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="A" STATE=5 ZIP)"},
        {"two Runtime folders", {"A/Runtime/a", "B/Runtime/b"}, false, {},
         R"(FILES=2 FOLDERS=4 HASRUNTIME=1 IGNORE_DS=0 INFO="Duplicates" STATE=3 ZIP)"},
        {"two Runtime folders, one chosen", {"A/Runtime/a", "B/Runtime/b"}, false, {{Runtime, "B"}},
         R"(FILES=2 FOLDERS=4 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="B" STATE=5 ZIP)"},
        {"Runtime in Runtime", {"A/Runtime/Runtime/a"}, false, {},
         R"(FILES=1 FOLDERS=3 HASRUNTIME=1 IGNORE_DS=0 INFO="Duplicates" STATE=3 ZIP)"},
        {"two Data folders and a Runtime: the Runtime path stays", {"A/Runtime/a", "B/Data/b", "C/Data/c"}, false, {},
         R"(FILES=3 FOLDERS=6 HASDATA=1 HASRUNTIME=1 IGNORE_DS=0 INFO="Duplicates" RUNTIMEPATH="A" STATE=3 ZIP)"},
        {"two Data folders and a Runtime, a Data chosen", {"A/Runtime/a", "B/Data/b", "C/Data/c"}, false, {{Data, "C"}},
         R"(DATAPATH="C" FILES=3 FOLDERS=6 HASDATA=1 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="A" STATE=5 ZIP)"},
        {"two of each, only the Runtime chosen: the Data folder would be left out", {"A/Runtime/a", "B/Runtime/b", "C/Data/c", "D/Data/d"}, false, {{Runtime, "A"}},
         R"(FILES=4 FOLDERS=8 HASDATA=1 HASRUNTIME=1 IGNORE_DS=0 INFO="Duplicates" RUNTIMEPATH="A" STATE=3 ZIP)"},
        {"two of each, both chosen", {"A/Runtime/a", "B/Runtime/b", "C/Data/c", "D/Data/d"}, false, {{Runtime, "A"}, {Data, "D"}},
         R"(DATAPATH="D" FILES=4 FOLDERS=8 HASDATA=1 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="A" STATE=5 ZIP)"},
        {"Runtime and RUNTIME on top", {"Runtime/a", "RUNTIME/b"}, false, {},
         R"(FILES=2 FOLDERS=2 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="" STATE=5 ZIP)"},
        {"nested Runtime.zip on top", {"Runtime.zip"}, false, {},
         R"(FILES=1 FOLDERS=1 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="" STATE=5 ZIP)"},
        {"a nested Runtime.zip that cannot be read is still a Runtime folder", {"x/Runtime.zip~"}, false, {},
         R"-(FILES=0 FOLDERS=2 HASRUNTIME=1 IGNORE_DS=0 INFO="OK" RUNTIMEPATH="x" STATE=5 WARNING="a nested archive that cannot be read: x/Runtime.zip (not a zip archive, or damaged)" ZIP)-"},
        {"only junk", {"__MACOSX/._x", ".DS_Store"}, false, {},
         R"(ERROR=2 FILES=0 FOLDERS=0 HASDATA=0 HASRUNTIME=0 INFO="No Runtime" STATE=-1 ZIP)"},
        {"option set, deep Runtime beside Data", {"A/Data/a", "B/Runtime/b"}, true, {},
         R"(FILES=2 FOLDERS=4 HASRUNTIME=1 IGNORE_DS=1 INFO="OK" RUNTIMEPATH="B" STATE=5 ZIP)"},
        {"option set, two Data folders", {"A/Data/a", "B/Data/b", "C/Runtime/c"}, true, {},
         R"(FILES=3 FOLDERS=6 HASRUNTIME=1 IGNORE_DS=1 INFO="OK" RUNTIMEPATH="C" STATE=5 ZIP)"},
    };
    // clang-format on

    QTemporaryDir source;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString fileName = QString(row.name).replace(' ', '_') + ".zip";
        writeFile(source.filePath(fileName),
                  row.paths.isEmpty() ? QByteArray("not a zip") : archiveOf(row.paths));
        AnalyzerJob job;
        job.sourceDir = source.path();
        job.index = 7;
        job.batchId = 42;
        job.data = ArchiveItem::create(fileName);
        job.ignoreDS = row.ignoreDS;
        std::vector<AnalyzerReport> reports;
        analyzerThread(job, [&](AnalyzerReport report) { reports.push_back(std::move(report)); });
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].index, 7);
        EXPECT_EQ(reports[0].batchId, 42);
        ArchiveItem& item = reports[0].data;
        EXPECT_EQ(item.fileName(), fileName);
        for (const auto& [choice, holder] : row.choices)
            recordFolderChoice(item, choice, holder);
        EXPECT_EQ(keysOf(item), row.expected);
    }
}

// The content tree read from an archive's index, against the tree the old
// path made by expanding the archive to disk and walking it.
TEST(ContentTreeFromIndex, MatchesTheExpandedTree) {
    QTemporaryDir dir;
    const QString work = dir.filePath("work");
    const QString path = dir.filePath("archive.zip");
    QRandomGenerator random(20261207);
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(writeFile(path, randomArchive(random, 0)));
        EXPECT_EQ(outcome(iterateAtPath(path, work)), outcome(expandAndWalk(path, work))) << i;
        ASSERT_EQ(listRecursive(work), QStringList()) << "the work folder is left empty";
    }
}
