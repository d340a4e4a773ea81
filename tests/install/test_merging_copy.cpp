#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <unistd.h>

#include "install/MergingCopy.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/TestFolders.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

QByteArray everyByte() {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes.repeated(3);
}

// The id of a process that has ended.
qint64 pidOfEndedProcess() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForStarted();
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

} // namespace

TEST(MergingCopy, MergesFoldersAndReplacesSamePathFilesByteForByte) {
    QTemporaryDir dir;
    const QString source = dir.filePath("source");
    const QString dest = dir.filePath("dest");
    writeFile(source + "/Runtime/same.bin", everyByte());
    writeFile(source + "/Runtime/new/deep.txt", "deep");
    QDir().mkpath(source + "/Runtime/empty");
    writeFile(dest + "/Runtime/same.bin", "old content, longer than nothing");
    writeFile(dest + "/Runtime/keep.txt", "keep");
    writeFile(dest + "/Runtime/new/mine.txt", "mine");
    writeFile(dest + "/Other/file.txt", "other");
    QFile::setPermissions(source + "/Runtime/same.bin",
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ExeOwner);
    const QDateTime stamp(QDate(2011, 3, 4), QTime(5, 6, 8));
    QFile stamped(source + "/Runtime/same.bin");
    ASSERT_TRUE(stamped.open(QIODevice::ReadOnly));
    stamped.setFileTime(stamp, QFileDevice::FileModificationTime);
    stamped.close();

    MergingCopy copier;
    const CopyResult result = copier.copy(source + "/Runtime", dest, "Runtime");
    ASSERT_TRUE(result.ok) << result.failedPath.toStdString() << ": "
                           << result.reason.toStdString();

    EXPECT_EQ(readFile(dest + "/Runtime/same.bin"), everyByte());
    EXPECT_EQ(readFile(dest + "/Runtime/keep.txt"), "keep");
    EXPECT_EQ(readFile(dest + "/Runtime/new/mine.txt"), "mine");
    EXPECT_EQ(readFile(dest + "/Runtime/new/deep.txt"), "deep");
    EXPECT_EQ(readFile(dest + "/Other/file.txt"), "other");
    EXPECT_TRUE(QFileInfo(dest + "/Runtime/empty").isDir()) << "empty folders are copied too";
    const QFileInfo replaced(dest + "/Runtime/same.bin");
    EXPECT_EQ(replaced.lastModified(), stamp) << "the modification time is carried over";
    // The owner, group and other bits; the "user" bits repeat the owner's.
    EXPECT_EQ(replaced.permissions() & QFileDevice::Permissions(0x7077),
              QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ExeOwner)
        << "so are the permission bits";
    EXPECT_EQ(partialFilesUnder(dest), QStringList());

    // A file source goes to its own path; the root may be created.
    const CopyResult single =
        copier.copy(source + "/Runtime/new/deep.txt", dir.filePath("fresh/a"), "b/deep.txt");
    ASSERT_TRUE(single.ok);
    EXPECT_EQ(readFile(dir.filePath("fresh/a/b/deep.txt")), "deep");
}

TEST(MergingCopy, NeverWritesThroughSymbolicLinks) {
    QTemporaryDir dir;
    const QString outside = dir.filePath("outside");
    writeFile(outside + "/victim.txt", "precious");
    const QString secret = dir.filePath("secret.txt");
    writeFile(secret, "secret");
    const QString source = dir.filePath("source");
    writeFile(source + "/Runtime/victim.txt", "overwritten");
    writeFile(source + "/Data/a.txt", "a");
    ASSERT_TRUE(QFile::link(secret, source + "/Data/link-to-secret"));
    ASSERT_TRUE(QFile::link(outside, source + "/Data/link-to-folder"));

    const QString dest = dir.filePath("dest");
    QDir().mkpath(dest + "/Data");
    ASSERT_TRUE(QFile::link(outside, dest + "/Runtime"));
    ASSERT_TRUE(QFile::link(outside + "/victim.txt", dest + "/Data/a.txt"));
    const FolderSnapshot outsideBefore = FolderSnapshot::of(outside);

    MergingCopy copier;
    const CopyResult folderLink = copier.copy(source + "/Runtime", dest, "Runtime");
    EXPECT_FALSE(folderLink.ok) << "a linked folder in the destination is refused";
    EXPECT_EQ(folderLink.failedPath, dest + "/Runtime");
    EXPECT_TRUE(folderLink.reason.contains("symbolic link")) << folderLink.reason.toStdString();

    const CopyResult fileLink = copier.copy(source + "/Data", dest, "Data");
    EXPECT_FALSE(fileLink.ok) << "a linked file in the destination is refused";
    EXPECT_EQ(fileLink.failedPath, dest + "/Data/a.txt");
    EXPECT_TRUE(QFileInfo(dest + "/Data/a.txt").isSymLink()) << "the link itself stays";

    const CopyResult viaPath = copier.copy(source + "/Data/a.txt", dest, "Runtime/x/a.txt");
    EXPECT_FALSE(viaPath.ok) << "also as a folder on the way to the target";
    EXPECT_EQ(FolderSnapshot::differences(outsideBefore, FolderSnapshot::of(outside)),
              QStringList());

    // Links in the source are skipped, not followed; a linked root is the
    // user's own choice and is written into.
    QDir().remove(dest + "/Data/a.txt");
    const QString linkedRoot = dir.filePath("linked-root");
    ASSERT_TRUE(QFile::link(dir.filePath("real-root"), linkedRoot));
    QDir().mkpath(dir.filePath("real-root"));
    ASSERT_TRUE(copier.copy(source + "/Data", linkedRoot, "Data").ok);
    EXPECT_EQ(listRecursive(dir.filePath("real-root")), QStringList({"Data/", "Data/a.txt"}));
    EXPECT_FALSE(copier.copy(source + "/Data/link-to-secret", dest, "x").ok)
        << "a linked source is not copied";
    EXPECT_FALSE(copier.copy(source + "/Data/a.txt", dest, "../escape.txt").ok);
    EXPECT_FALSE(QFile::exists(dir.filePath("escape.txt")));
}

TEST(MergingCopy, RefusesToReplaceAFolderByAFileOrTheReverse) {
    QTemporaryDir dir;
    writeFile(dir.filePath("source/Runtime/thing"), "file");
    writeFile(dir.filePath("source/Data/x.txt"), "x");
    writeFile(dir.filePath("dest/Runtime/thing/mine.txt"), "mine");
    writeFile(dir.filePath("dest/Data"), "a file where a folder goes");

    MergingCopy copier;
    const CopyResult fileOverFolder =
        copier.copy(dir.filePath("source/Runtime"), dir.filePath("dest"), "Runtime");
    EXPECT_FALSE(fileOverFolder.ok);
    EXPECT_EQ(fileOverFolder.failedPath, dir.filePath("dest/Runtime/thing"));
    EXPECT_EQ(fileOverFolder.reason, "a folder is in the way");
    const CopyResult folderOverFile =
        copier.copy(dir.filePath("source/Data"), dir.filePath("dest"), "Data");
    EXPECT_FALSE(folderOverFile.ok);
    EXPECT_EQ(folderOverFile.reason, "a file is in the way");
    EXPECT_EQ(readFile(dir.filePath("dest/Runtime/thing/mine.txt")), "mine");
    EXPECT_EQ(readFile(dir.filePath("dest/Data")), "a file where a folder goes");
}

TEST(MergingCopy, RemovesPartialFilesOfEndedCopiesWhereItWrites) {
    QTemporaryDir dir;
    writeFile(dir.filePath("source/Runtime/a.txt"), "a");
    const QString library = dir.filePath("dest/Runtime");
    const QString ended = QStringLiteral(".packshelf-partial-%1-abc").arg(pidOfEndedProcess());
    const QString running = QStringLiteral(".packshelf-partial-%1-abc").arg(::getppid());
    writeFile(library + "/" + ended, "half");
    writeFile(library + "/" + running, "in progress elsewhere");
    writeFile(library + "/.packshelf-partial-notes", "not ours");
    writeFile(dir.filePath("dest/Elsewhere/") + ended, "half");

    MergingCopy copier;
    ASSERT_TRUE(copier.copy(dir.filePath("source/Runtime"), dir.filePath("dest"), "Runtime").ok);
    EXPECT_EQ(copier.partialFilesRemoved(), 1);
    EXPECT_FALSE(QFile::exists(library + "/" + ended));
    EXPECT_TRUE(QFile::exists(library + "/" + running)) << "a running copy's file stays";
    EXPECT_TRUE(QFile::exists(library + "/.packshelf-partial-notes"));
    EXPECT_TRUE(QFile::exists(dir.filePath("dest/Elsewhere/") + ended))
        << "only folders written into are swept";
    EXPECT_TRUE(isPartialFileName(ended));
    EXPECT_FALSE(isPartialFileName(".packshelf-partial-notes"));
}
