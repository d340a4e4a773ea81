#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "analysis/ArchiveExpansion.h"
#include "analysis/DirectoryListing.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

// A compact picture of a tree: "name" for a file, "name/[...]" for a
// folder, "name/-" for a folder without content.
QString describe(const ContentTree& tree) {
    QStringList parts;
    for (const ContentNode& node : tree) {
        if (node.isFile())
            parts << node.name;
        else if (!node.content)
            parts << node.name + "/-";
        else
            parts << node.name + "/[" + describe(*node.content) + "]";
    }
    return parts.join(',');
}

struct Workspace {
    QTemporaryDir dir;
    Workspace() { QDir().mkpath(work()); }
    QString work() const { return dir.filePath("work"); }
    QString path(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST(ContentTree, SkipsJunkSortsAndRemovesTheExpansion) {
    Workspace w;
    ZipWriter()
        .addFile("__MACOSX/._a", "junk")
        .addFile("__MACOSX_old/x", "junk")
        .addFile(".DS_Store", "junk")
        .addFile("sub/.DS_Store", "junk")
        .addFile(".ds_store", "kept")
        .addFile("x.DS_Store", "kept")
        .addFile("beta.txt", "b")
        .addFile("Alpha.txt", "a")
        .addFile("alpha.txt", "a")
        .addFile("notes.zipx", "not an archive")
        .writeTo(w.path("junk.zip"));

    const auto tree = iterateAtPath(w.path("junk.zip"), w.work());
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(*tree),
              ".ds_store,Alpha.txt,alpha.txt,beta.txt,notes.zipx,sub/[],x.DS_Store");
    EXPECT_EQ(listRecursive(w.work()), QStringList()) << "the work folder is left empty";

    ZipWriter().addFile("__MACOSX/._a", "j").addFile(".DS_Store", "j").writeTo(w.path("only.zip"));
    const auto onlyJunk = iterateAtPath(w.path("only.zip"), w.work());
    ASSERT_TRUE(onlyJunk) << "an archive of junk is an empty tree, not a failure";
    EXPECT_TRUE(onlyJunk->empty());
}

TEST(ContentTree, NestedArchivesCorruptOnesAndZipNamedFolders) {
    Workspace w;
    const QByteArray innermost = ZipWriter().addFile("Runtime/deep.txt", "d").bytes();
    const QByteArray inner =
        ZipWriter().addFile("file.txt", "f").addFile("more/Innermost.ZIP", innermost, 0).bytes();
    ZipWriter()
        .addFile("DATA.ZIP", inner, 0)
        .addFile("broken.zip", "not a zip", 0)
        .addFolder("Folder.zip")
        .addFile("Folder.zip/in.txt", "x")
        .addFile("dir/inner.zip", inner, 0)
        .writeTo(w.path("outer.zip"));

    const auto tree = iterateAtPath(w.path("outer.zip"), w.work());
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(*tree),
              "broken/-,DATA/[file.txt,more/[Innermost/[Runtime/[deep.txt]]]],"
              "dir/[inner/[file.txt,more/[Innermost/[Runtime/[deep.txt]]]]],Folder.zip/-");
    EXPECT_EQ(listRecursive(w.work()), QStringList());

    ASSERT_TRUE(writeFile(w.path("plain/sub/a.txt"), "a"));
    const auto folder = iterateAtPath(w.path("plain"), w.work());
    ASSERT_TRUE(folder);
    EXPECT_EQ(describe(*folder), "sub/[a.txt]");
    EXPECT_TRUE(QFileInfo::exists(w.path("plain/sub/a.txt"))) << "a described folder is kept";
}

TEST(ContentTree, FailuresLeaveNothingBehind) {
    Workspace w;
    writeFile(w.path("notzip.zip"), "plain text");
    EXPECT_FALSE(iterateAtPath(w.path("notzip.zip"), w.work()));
    EXPECT_FALSE(iterateAtPath(w.path("missing.zip"), w.work()));

    ZipWriter::Entry bad;
    bad.name = "b.bin";
    bad.data = QByteArray(5000, 'x');
    bad.crc = 1;
    ZipWriter().addFile("first.txt", "written first").add(bad).writeTo(w.path("crc.zip"));
    EXPECT_FALSE(iterateAtPath(w.path("crc.zip"), w.work()));
    EXPECT_EQ(listRecursive(w.work()), QStringList()) << "a failed expansion is removed too";

    // No work folder yet: it is created, and left empty.
    ZipWriter().addFile("a.txt", "a").writeTo(w.path("ok.zip"));
    const QString fresh = w.path("fresh/work");
    EXPECT_TRUE(iterateAtPath(w.path("ok.zip"), fresh));
    EXPECT_EQ(listRecursive(fresh), QStringList());
}

TEST(ContentTree, HostileNestedNamesStayInsideTheWorkFolder) {
    Workspace w;
    const QByteArray inner = ZipWriter().addFile("Runtime/x.txt", "x").bytes();
    ZipWriter()
        .addFile("...zip", inner, 0)
        .addFile("..zip", inner, 0)
        .addFile(".zip", inner, 0)
        .addFile("sub/...zip", inner, 0)
        .writeTo(w.path("dots.zip"));
    writeFile(w.path("bystander.txt"), "must survive");
    const FolderSnapshot before = FolderSnapshot::of(w.dir.path());

    const auto tree = iterateAtPath(w.path("dots.zip"), w.work());
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(*tree), "../[Runtime/[x.txt]],./[Runtime/[x.txt]],/[Runtime/[x.txt]],"
                               "sub/[../[Runtime/[x.txt]]]");
    EXPECT_EQ(FolderSnapshot::differences(before, FolderSnapshot::of(w.dir.path())), QStringList());
}

TEST(ContentTree, NestingIsBoundedAndSameNamesDoNotMeet) {
    Workspace w;
    QByteArray level = ZipWriter().addFile("bottom.txt", "b").bytes();
    for (int i = 0; i < 20; ++i)
        level = ZipWriter().addFile("n.zip", level, 0).bytes();
    writeFile(w.path("deep.zip"), level);
    const auto tree = iterateAtPath(w.path("deep.zip"), w.work());
    ASSERT_TRUE(tree);
    int depth = 0;
    const ContentTree* current = &*tree;
    while (current && !current->empty() && current->front().isFolder()) {
        current = current->front().children();
        ++depth;
    }
    EXPECT_EQ(depth, 17) << "16 nested levels expanded, the 17th is a folder without content";
    EXPECT_EQ(current, nullptr);
    EXPECT_EQ(listRecursive(w.work()), QStringList());

    // Two archives with the same base name in different folders, and a
    // nested archive of the same name in each: independent expansions.
    const QByteArray x = ZipWriter().addFile("x.txt", "x").bytes();
    ZipWriter().addFile("x.zip", x, 0).addFile("a.txt", "a").writeTo(w.path("one/p.zip"));
    ZipWriter().addFile("x.zip", x, 0).addFile("b.txt", "b").writeTo(w.path("two/p.zip"));
    EXPECT_EQ(describe(*iterateAtPath(w.path("one/p.zip"), w.work())), "a.txt,x/[x.txt]");
    EXPECT_EQ(describe(*iterateAtPath(w.path("two/p.zip"), w.work())), "b.txt,x/[x.txt]");
}

TEST(DirectoryListing, SortsByCaseFoldingThenBytes) {
    QTemporaryDir dir;
    for (const char* name : {"b", "B", "a", "ä", "Ä", "_x", "Z", "10", "9"})
        writeFile(dir.filePath(name), "x");
    const auto names = sortedEntryNames(dir.path());
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, QStringList({"10", "9", "_x", "a", "B", "b", "Z", "Ä", "ä"}));
    EXPECT_FALSE(sortedEntryNames(dir.filePath("missing")));
}
