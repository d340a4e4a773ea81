// The content tree read from an archive's index, against the tree the old
// path made by expanding the archive to disk and walking it.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <sys/stat.h>

#include "analysis/Analyzer.h"
#include "analysis/ArchiveDescription.h"
#include "tests/support/CliRunner.h"
#include "tests/support/ExpandAndWalk.h"
#include "tests/support/HostileCorpus.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

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

TEST(ContentTreeFromIndex, MatchesTheExpandedTreeWhereverThatWasSound) {
    // Where the expansion was not sound the index tells the truth instead:
    // damaged data is refused at install rather than at analysis, and what
    // the disk refused to hold is shown rather than silently missing.
    const QStringList differOnPurpose = {
        "liar-small.zip",      // data larger than declared
        "liar-large.zip",      // data smaller than declared
        "truncated-data.zip",  // data cut short
        "bad-crc.zip",         // CRC mismatch
        "file-and-folder.zip", // a file x beside a folder x/
        "symlink.zip",         // a link entry beside a folder of its name
        "long-names.zip",      // names longer than a file system holds
    };
    QTemporaryDir dir;
    const QString work = dir.filePath("work");
    std::vector<std::pair<QString, QByteArray>> archives;
    for (const HostileArchive& archive : hostileCorpus(false))
        archives.emplace_back(archive.fileName, archive.bytes);
    QRandomGenerator random(20261207);
    for (int i = 0; i < 40; ++i)
        archives.emplace_back(QStringLiteral("random%1.zip").arg(i), randomArchive(random, 0));

    int compared = 0;
    for (const auto& [name, bytes] : archives) {
        const QString path = dir.filePath("archive.zip");
        ASSERT_TRUE(writeFile(path, bytes));
        const std::string fromIndex = outcome(iterateAtPath(path, work));
        const std::string fromDisk = outcome(expandAndWalk(path, work));
        if (differOnPurpose.contains(name)) {
            EXPECT_NE(fromIndex, fromDisk) << name.toStdString();
        } else {
            EXPECT_EQ(fromIndex, fromDisk) << name.toStdString();
            ++compared;
        }
        ASSERT_EQ(listRecursive(work), QStringList()) << "the work folder is left empty";
    }
    EXPECT_GT(compared, 60);
}

TEST(ContentTreeFromIndex, FaultsOfTheExpandingPathAreGone) {
    QTemporaryDir dir;
    const QString source = dir.filePath("source");
    const QString work = dir.filePath("work");
    QDir().mkpath(work);

    // A name of 200 CP437 letters (400 bytes in UTF-8), and a file beside
    // a folder of the same name: both shown, and both named in a warning.
    writeFile(source + "/names.zip", ZipWriter()
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
    // A source name that is not UTF-8 (Latin-1).
    QFile latin1(QFile::decodeName(QFile::encodeName(source) + "/Caf\xe9.zip"));
    writeFile(QFile::decodeName(QFile::encodeName(source) + "/Caf\xe9.zip"),
              ZipWriter().addFile("Runtime/a.txt", "a").bytes());
    // A FIFO named like an archive.
    ASSERT_EQ(::mkfifo(QFile::encodeName(source + "/fifo.zip").constData(), 0600), 0);

    QElapsedTimer clock;
    clock.start();
    const CliResult result = runCli({"analyze", source, "--work", work});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_LT(clock.elapsed(), 60000) << "nothing waits on the FIFO";
    QMap<QString, QJsonObject> records;
    for (const QJsonObject& record : result.records())
        records[record["FILENAME"].toString()] = record;
    ASSERT_EQ(records.size(), 5) << result.out.toStdString();

    const QJsonObject names = records["names.zip"];
    EXPECT_EQ(names["INFO"].toString(), "OK");
    EXPECT_EQ(names["FILES"].toInt(), 3) << "every file is in the tree";
    EXPECT_TRUE(names["WARNING"].toString().contains("too long"))
        << names["WARNING"].toString().toStdString();
    EXPECT_TRUE(names["WARNING"].toString().contains("Runtime/x")) << "the file beside its folder";
    EXPECT_EQ(records["textures.zip"]["RUNTIMEPATH"].toString(), "Textures.zip");
    EXPECT_EQ(records["deep.zip"]["INFO"].toString(), "No Runtime");
    EXPECT_TRUE(records["deep.zip"]["WARNING"].toString().contains("too deep"));
    EXPECT_EQ(records[QString::fromUtf8("Caf\xef\xbf\xbd.zip")]["INFO"].toString(), "OK");
    EXPECT_EQ(records["fifo.zip"]["INFO"].toString(), "Unzip error");
    EXPECT_TRUE(records["fifo.zip"]["REASON"].toString().contains("not a regular file"));
    EXPECT_EQ(listRecursive(work), QStringList()) << "nothing is written to the work folder";
}
