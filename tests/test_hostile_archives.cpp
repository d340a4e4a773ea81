#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>

#include "analysis/Analyzer.h"
#include "tests/support/CliRunner.h"
#include "tests/support/HostileCorpus.h"
#include "tests/support/TestFolders.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

// A source folder holding the corpus, an empty work folder and a bystander
// folder, side by side in one sandbox.
struct Sandbox {
    QTemporaryDir dir;
    QString source() const { return dir.filePath("source"); }
    QString work() const { return dir.filePath("work"); }

    explicit Sandbox(const std::vector<HostileArchive>& corpus) {
        QDir().mkpath(work());
        QDir().mkpath(source());
        writeFile(dir.filePath("bystander/keep.txt"), "keep me");
        for (const HostileArchive& archive : corpus)
            writeFile(source() + "/" + archive.fileName, archive.bytes);
    }

    QStringList symlinks() const {
        QStringList links;
        QDirIterator it(dir.path(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (QFileInfo(path).isSymLink())
                links << path;
        }
        return links;
    }
};

QString expectedVerdict(HostileArchive::Expect expect) {
    // Damaged data is found at install, where it is read.
    return expect == HostileArchive::Expect::Refused ? "Unzip error" : "OK";
}

void analyseCorpusThroughCli(bool withLarge) {
    const std::vector<HostileArchive> corpus = hostileCorpus(withLarge);
    Sandbox sandbox(corpus);
    const FolderSnapshot before = FolderSnapshot::of(sandbox.dir.path());

    const CliResult result = runCli({"analyze", sandbox.source(), "--work", sandbox.work()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QMap<QString, QString> verdicts;
    for (const QJsonObject& record : result.records())
        verdicts[record["FILENAME"].toString()] = record["INFO"].toString();
    ASSERT_EQ(verdicts.size(), int(corpus.size()));
    for (const HostileArchive& archive : corpus) {
        EXPECT_EQ(verdicts[archive.fileName], expectedVerdict(archive.expect))
            << archive.fileName.toStdString();
    }

    EXPECT_EQ(FolderSnapshot::differences(before, FolderSnapshot::of(sandbox.dir.path())),
              QStringList())
        << "nothing outside the work folder changes, and the work folder is left empty";
    EXPECT_EQ(sandbox.symlinks(), QStringList());
    EXPECT_FALSE(QFileInfo::exists("/tmp/packshelf-evil.txt"));
}

} // namespace

TEST(HostileArchives, AnalysisKeepsToTheWorkFolderAndGivesVerdicts) {
    analyseCorpusThroughCli(false);
}

TEST(HostileArchives, LargeBombAndZip64EntryCount) {
    analyseCorpusThroughCli(true);
}

TEST(HostileArchives, AwkwardNamesAreDescribedLiterally) {
    const std::vector<HostileArchive> corpus = hostileCorpus(false);
    Sandbox sandbox(corpus);
    auto analyse = [&](const QString& fileName) {
        AnalyzerJob job;
        job.sourceDir = sandbox.source();
        job.workDir = sandbox.work();
        job.data = ArchiveItem::create(fileName);
        ArchiveItem result;
        analyzerThread(job, [&](AnalyzerReport report) { result = std::move(report.data); });
        return result;
    };
    const auto runtimeNames = [](const ArchiveItem& item) {
        QStringList names;
        for (const ContentNode& node : *item.tree(key::Zip)) {
            if (node.name == "Runtime" && node.content) {
                for (const ContentNode& child : *node.content)
                    names << child.name;
            }
        }
        return names;
    };

    EXPECT_EQ(runtimeNames(analyse("shell-names.zip")),
              QStringList({"`id`.txt", "$HOME.txt", "new\nline.txt", "ok.txt",
                           "quote\"s and 'single'.txt", "semi;colon|pipe.txt"}));
    EXPECT_EQ(runtimeNames(analyse("duplicates.zip")), QStringList({"a.txt", "ok.txt"}));
    EXPECT_EQ(runtimeNames(analyse("file-and-folder.zip")), QStringList({"ok.txt", "x", "x"}))
        << "the folder and the file are both shown";

    const ArchiveItem link = analyse("symlink.zip");
    const ContentTreePtr tree = link.tree(key::Zip);
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->size(), 3u);
    EXPECT_TRUE(tree->at(1).isFile()) << "a link entry is a plain file, beside the folder";
    EXPECT_EQ(tree->at(1).name, "link");

    const ArchiveItem dots = analyse("nested-dots.zip");
    QStringList folders;
    for (const ContentNode& node : *dots.tree(key::Zip))
        folders << node.name + (node.content ? "+" : "-");
    EXPECT_EQ(folders, QStringList({"..+", ".+", "+", "Runtime+"}));
    EXPECT_EQ(listRecursive(sandbox.work()), QStringList());
}
