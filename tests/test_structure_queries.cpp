#include <gtest/gtest.h>

#include "analysis/StructureQueries.h"
#include "tests/support/TreeBuilder.h"

using namespace packshelf;
using packshelf::test::treeFromPaths;

TEST(StructureQueries, CountsEveryDepth) {
    EXPECT_EQ(structureCounting(nullptr).folders, 0);
    ContentTree empty;
    EXPECT_EQ(structureCounting(&empty).files, 0);

    const ContentTree tree =
        treeFromPaths({"Runtime/bin/a", "Runtime/bin/b", "broken/-", "top.txt"});
    const StructureCount count = structureCounting(&tree);
    EXPECT_EQ(count.folders, 3) << "a folder without content counts as one empty folder";
    EXPECT_EQ(count.files, 3);
}

TEST(StructureQueries, TopLevelSearchMarksOneMatchAtATime) {
    ContentTree tree = treeFromPaths({"Runtime/", "RUNTIME/", "x/runtime/", "runtime"});
    EXPECT_TRUE(locateFolderOnlevel1("RUNTIME", &tree));
    EXPECT_TRUE(tree[0].hasMark("IS_RUNTIME"));
    EXPECT_FALSE(tree[1].hasMark("IS_RUNTIME"));
    EXPECT_TRUE(locateFolderOnlevel1("RUNTIME", &tree));
    EXPECT_TRUE(tree[1].hasMark("IS_RUNTIME"));
    EXPECT_FALSE(locateFolderOnlevel1("RUNTIME", &tree)) << "deeper folders and files never match";
    EXPECT_FALSE(locateFolderOnlevel1("runtime", &tree)) << "the search name is not upper-cased";
    EXPECT_FALSE(tree[0].hasMark("IS_DATA"));
    EXPECT_FALSE(locateFolderOnlevel1("RUNTIME", nullptr));
}

TEST(StructureQueries, DeepSearchWalksPreOrderAndFindsNestedMatches) {
    ContentTree tree = treeFromPaths({"A/Runtime/Runtime/", "B/Runtime/", "Data/"});
    EXPECT_TRUE(locateFolderOnlevelDeep("RUNTIME", &tree));
    EXPECT_TRUE(tree[0].content->at(0).hasMark("IS_RUNTIME"));
    EXPECT_TRUE(locateFolderOnlevelDeep("RUNTIME", &tree));
    EXPECT_TRUE(tree[0].content->at(0).content->at(0).hasMark("IS_RUNTIME"))
        << "a marked match is looked into";
    EXPECT_TRUE(locateFolderOnlevelDeep("RUNTIME", &tree));
    EXPECT_TRUE(tree[1].content->at(0).hasMark("IS_RUNTIME"));
    EXPECT_FALSE(locateFolderOnlevelDeep("RUNTIME", &tree));

    // Top-level marks are honoured by the deep search.
    ContentTree top = treeFromPaths({"Data/", "x/Data/"});
    EXPECT_TRUE(locateFolderOnlevel1("DATA", &top));
    EXPECT_TRUE(locateFolderOnlevelDeep("DATA", &top));
    EXPECT_TRUE(top[1].content->at(0).hasMark("IS_DATA"));

    ContentTree failed = treeFromPaths({"x/runtime/-"});
    EXPECT_TRUE(locateFolderOnlevelDeep("RUNTIME", &failed)) << "a failed nested archive matches";
    EXPECT_FALSE(locateFolderOnlevelDeep("RUNTIME", &failed));
}

TEST(StructureQueries, LocatePathNamesTheHolderAndIgnoresMarks) {
    ContentTree tree = treeFromPaths({"file", "A/B/Runtime/", "C/Runtime/"});
    EXPECT_EQ(locatePath("RUNTIME", &tree, ""), QString("A/B"));
    locateFolderOnlevelDeep("RUNTIME", &tree);
    EXPECT_EQ(locatePath("RUNTIME", &tree, ""), QString("A/B"));
    EXPECT_EQ(locatePath("RUNTIME", &tree, "base"), QString("base/A/B"));

    const ContentTree top = treeFromPaths({"Runtime/"});
    const auto atTop = locatePath("RUNTIME", &top, "");
    ASSERT_TRUE(atTop);
    EXPECT_TRUE(atTop->isEmpty());
    EXPECT_FALSE(locatePath("DATA", &top, ""));
    EXPECT_FALSE(locatePath("DATA", nullptr, ""));
}

TEST(StructureQueries, PathsInSameParent) {
    EXPECT_TRUE(pathsInSameParent(QString(""), QString("")));
    EXPECT_TRUE(pathsInSameParent(QString("Pack"), QString("Pack")));
    EXPECT_FALSE(pathsInSameParent(QString("A"), QString("a")));
    EXPECT_TRUE(pathsInSameParent(std::nullopt, QString("A")));
    EXPECT_TRUE(pathsInSameParent(std::nullopt, std::nullopt));
    EXPECT_FALSE(pathsInSameParent(QString("A"), std::nullopt));
}
