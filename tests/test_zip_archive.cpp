#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>

#include "archive/IndexCache.h"
#include "archive/ZipArchive.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ToolRunner.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

class RecordingArchive : public ZipArchive {
public:
    QStringList messages;
    int overwriteQuestions = 0;
    bool allowOverwrite = true;

    void OutputErrorMessage(const QString& msg) override { messages << msg; }
    bool OverWrite(const QString&) override {
        ++overwriteQuestions;
        return allowOverwrite;
    }
};

bool expand(RecordingArchive& zip, const QString& archive, const QString& target,
            bool overwrite = true, const QString& password = QString()) {
    if (!zip.UnzipOpenFile(archive, password))
        return false;
    const bool ok = zip.UnzipFileTo(target, overwrite);
    zip.UnzipCloseFile();
    return ok;
}

} // namespace

TEST(ZipArchiveExpand, CreatesFoldersFilesNamesAndEntryDates) {
    QTemporaryDir s;
    ZipWriter writer;
    writer.addFile("dir/sub/file.txt", "hello");
    writer.addFile("dir\\back.txt", "back", 0);
    writer.addFolder("empty");
    ZipWriter::Entry flagged = ZipWriter::entry(QStringLiteral("Ünïcödé.txt").toUtf8(), "1");
    flagged.flags = 0x800;
    writer.add(flagged);
    writer.addFile(QStringLiteral("日本/語.txt").toUtf8(), "2");
    writer.addFile(QByteArray("\x81\x82\x9c.txt"), "3"); // CP437: ü é £
    ZipWriter::Entry dated = ZipWriter::entry("dated.txt", "when");
    dated.dosTime = (13 << 11) | (45 << 5) | (30 / 2);
    dated.dosDate = ((2009 - 1980) << 9) | (6 << 5) | 15;
    writer.add(dated);
    ASSERT_TRUE(writer.writeTo(s.filePath("a.zip")));

    RecordingArchive zip;
    ASSERT_TRUE(expand(zip, s.filePath("a.zip"), s.filePath("out")));
    EXPECT_TRUE(zip.messages.isEmpty()) << zip.messages.join('|').toStdString();
    EXPECT_EQ(listRecursive(s.filePath("out")),
              QStringList({"dated.txt", "dir/", "dir/back.txt", "dir/sub/", "dir/sub/file.txt",
                           "empty/", "Ünïcödé.txt", "üé£.txt", "日本/", "日本/語.txt"}));
    EXPECT_EQ(readFile(s.filePath("out/dir/back.txt")), "back");
    EXPECT_EQ(readFile(s.filePath("out/üé£.txt")), "3");
    const QDateTime expected(QDate(2009, 6, 15), QTime(13, 45, 30), Qt::LocalTime);
    EXPECT_EQ(QFileInfo(s.filePath("out/dated.txt")).lastModified(), expected);
}

TEST(ZipArchiveExpand, OverwriteFlagAndHook) {
    QTemporaryDir s;
    ZipWriter().addFile("f.txt", "new").addFile("g.txt", "next").writeTo(s.filePath("a.zip"));
    struct Row {
        bool overwrite, hookAnswer;
        const char* kept;
        int questions;
    };
    for (const Row& row :
         {Row{false, true, "new", 1}, Row{false, false, "old", 1}, Row{true, false, "new", 0}}) {
        QDir(s.filePath("out")).removeRecursively();
        writeFile(s.filePath("out/f.txt"), "old");
        RecordingArchive zip;
        zip.allowOverwrite = row.hookAnswer;
        ASSERT_TRUE(expand(zip, s.filePath("a.zip"), s.filePath("out"), row.overwrite));
        EXPECT_EQ(readFile(s.filePath("out/f.txt")), row.kept);
        EXPECT_EQ(readFile(s.filePath("out/g.txt")), "next") << "the expansion goes on";
        EXPECT_EQ(zip.overwriteQuestions, row.questions);
    }
}

// Damage, unsupported features and bombs: the expansion answers no, and no
// damaged entry stays on disk.
TEST(ZipArchiveExpand, RefusedArchivesAndEntries) {
    QTemporaryDir s;
    const QByteArray payload = pseudoRandom(10000, 12345);
    struct Row {
        const char* what;
        QByteArray bytes;
        const char* message; // the last message begins with it, if any
    };
    std::vector<Row> rows;
    const auto add = [&rows](const char* what, ZipWriter::Entry damaged, const char* message) {
        rows.push_back(
            {what, ZipWriter().addFile("good.txt", "fine").add(damaged).bytes(), message});
    };
    ZipWriter::Entry e = ZipWriter::entry("bad.bin", payload);
    e.crc = 0x12345678;
    add("CRC mismatch", e, "CRC error: bad.bin");
    e = ZipWriter::entry("bad.bin", payload);
    e.declaredSize = 100;
    add("larger than declared", e, "Entry larger than declared");
    e.declaredSize = 20000;
    add("smaller than declared", e, "Failed to reading zip file");
    e = ZipWriter::entry("bad.bin", payload, 0);
    e.rawData = payload.left(5000);
    add("data cut short", e, "Failed to reading zip file");
    for (int method : {1, 6, 9})
        add("unsupported method", ZipWriter::entry("bad.bin", "some bytes", method),
            "unsupported compression method");
    e = ZipWriter::entry("bad.bin", payload);
    e.flags = 1;
    add("encrypted", e, "bad.bin is encrypted");
    e = ZipWriter::entry("bad.bin", payload);
    e.storedSize = 1u << 30;
    e.dataDescriptor = true; // no sizes in the local header to contradict it
    add("data beyond the end of the file", e, "the data of bad.bin lies outside the archive");
    ZipWriter overlapping;
    overlapping.addFile("Runtime/kernel.bin", QByteArray(100000, '\0'));
    for (int i = 0; i < 3; ++i) {
        ZipWriter::Entry alias =
            ZipWriter::entry("Runtime/alias" + QByteArray::number(i) + ".bin", {});
        alias.aliasOf = 0; // a name of the kernel's length, so the local header matches
        overlapping.add(alias);
    }
    rows.push_back({"overlapping data", overlapping.bytes(), "entries share their data"});
    // Declared sizes far beyond any free space, however small the archive.
    ZipWriter huge;
    for (int i = 0; i < 1000; ++i) {
        e = ZipWriter::entry("big" + QByteArray::number(i), "tiny");
        e.declaredSize = 0xfffffff0u;
        huge.add(e);
    }
    rows.push_back({"declared sizes beyond the free space", huge.bytes(), "Not enough free space"});
    const QByteArray whole = ZipWriter().addFile("a.bin", payload).bytes();
    rows.push_back({"truncated file", whole.left(whole.size() / 2), ""});
    rows.push_back({"not an archive", "this is not a zip archive", ""});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        writeFile(s.filePath("a.zip"), row.bytes);
        QDir(s.filePath("out")).removeRecursively();
        RecordingArchive zip;
        EXPECT_FALSE(expand(zip, s.filePath("a.zip"), s.filePath("out")));
        if (*row.message) {
            EXPECT_TRUE(zip.messages.value(zip.messages.size() - 1).startsWith(row.message))
                << zip.messages.join('|').toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(s.filePath("out/bad.bin")));
    }

    // A legitimate thousandfold ratio expands.
    ZipWriter().addFile("blank.tex", QByteArray(8 << 20, '\0')).writeTo(s.filePath("blank.zip"));
    RecordingArchive blank;
    EXPECT_TRUE(expand(blank, s.filePath("blank.zip"), s.filePath("blank")));
    EXPECT_EQ(QFileInfo(s.filePath("blank/blank.tex")).size(), 8 << 20);
}

TEST(ZipArchiveExpand, RefusesUnsafeEntriesAndExpandsTheRest) {
    QTemporaryDir s;
    ZipWriter writer;
    for (const QByteArray& name :
         {QByteArray("../up.txt"), QByteArray("/abs.txt"), QByteArray("a/../../up2.txt"),
          QByteArray("..\\back.txt"), QByteArray("C:/drive.txt"), QByteArray("nul\0byte.txt", 12),
          QByteArray("..")})
        writer.addFile(name, "evil");
    writer.addFile("safe/ok.txt", "ok");
    writer.addFile("dots..name.txt", "ok");
    ASSERT_TRUE(writer.writeTo(s.filePath("sandbox/evil.zip")));

    const FolderSnapshot before = FolderSnapshot::of(s.path());
    RecordingArchive zip;
    ASSERT_TRUE(expand(zip, s.filePath("sandbox/evil.zip"), s.filePath("sandbox/out")));
    EXPECT_EQ(listRecursive(s.filePath("sandbox/out")),
              QStringList({"dots..name.txt", "safe/", "safe/ok.txt"}));
    EXPECT_EQ(zip.messages.filter("Refused unsafe entry").size(), 7)
        << zip.messages.join('\n').toStdString();
    FolderSnapshot after = FolderSnapshot::of(s.path());
    std::erase_if(after.entries, [](const auto& e) { return e.first.startsWith("sandbox/out"); });
    EXPECT_EQ(FolderSnapshot::differences(before, after), QStringList());
}

// Encrypted archives both ways: Info-ZIP reads what the class writes, and
// the class reads what Info-ZIP writes; a wrong password expands nothing.
TEST(ZipArchivePassword, RoundTripWithInfoZip) {
    if (toolsMissing({"zip", "unzip"}))
        GTEST_SKIP() << "Info-ZIP is not installed";
    QTemporaryDir s;
    const QByteArray content = pseudoRandom(50000, 12345) + QByteArray(50000, 'a');
    writeFile(s.filePath("in/payload.bin"), content);

    ZipArchive writer;
    ASSERT_TRUE(writer.CreateZipFile2(s.filePath("ours.zip"), "pw123"));
    ASSERT_TRUE(writer.addFileToZip(s.filePath("in/payload.bin"), "payload.bin"));
    ASSERT_TRUE(writer.CloseZipFile2());
    const ToolRun unzip =
        runTool(s.path(), {"unzip", {"-P", "pw123", "-p", s.filePath("ours.zip"), "payload.bin"}});
    EXPECT_EQ(unzip.exitCode, 0) << unzip.err.toStdString();
    EXPECT_EQ(unzip.out, content);
    ASSERT_TRUE(runTool(s.filePath("in"),
                        {"zip", {"-q", "-P", "other", s.filePath("theirs.zip"), "payload.bin"}})
                    .ok());
    RecordingArchive reader;
    EXPECT_TRUE(expand(reader, s.filePath("theirs.zip"), s.filePath("theirs"), true, "other"))
        << reader.messages.join('|').toStdString();
    EXPECT_EQ(readFile(s.filePath("theirs/payload.bin")), content);
    RecordingArchive wrong;
    EXPECT_FALSE(expand(wrong, s.filePath("theirs.zip"), s.filePath("wrong"), true, "guess"));
    EXPECT_FALSE(QFileInfo::exists(s.filePath("wrong/payload.bin")));
}

// An index read once is taken again only for the very same file, unchanged:
// one rewritten in place (same size, its time put back) or replaced by
// another is read anew, and an adopted descriptor is never kept.
TEST(ArchiveIndexOnce, TakenAgainOnlyForTheSameUnchangedFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.zip");
    const QByteArray native = QFile::encodeName(path);
    const auto write = [&](const QByteArray& content) {
        ASSERT_TRUE(ZipWriter().addFile("Runtime/a.txt", content).writeTo(path));
    };
    const auto read = [&] {
        const Result<std::unique_ptr<FileInput>> input = FileInput::openRegular(native);
        return *cachedIndex(**input);
    };
    const auto crc = [](const std::shared_ptr<const ArchiveIndex>& index) {
        return index->entries.at(0).crc;
    };
    write("one");
    const std::shared_ptr<const ArchiveIndex> first = read();
    EXPECT_EQ(read(), first) << "the same file, unchanged";

    const struct {
        const char* name;
        std::function<void()> change;
    } changes[] = {
        {"rewritten in place, size and time kept",
         [&] {
             struct stat before;
             ASSERT_EQ(::stat(native.constData(), &before), 0);
             write("two");
             const struct timespec times[2] = {before.st_atim, before.st_mtim};
             ASSERT_EQ(::utimensat(AT_FDCWD, native.constData(), times, 0), 0);
         }},
        {"replaced by another file", [&] {
             ASSERT_TRUE(ZipWriter().addFile("Runtime/a.txt", "six").writeTo(path + ".new"));
             ASSERT_EQ(::rename(QFile::encodeName(path + ".new").constData(), native.constData()),
                       0);
         }}};
    std::shared_ptr<const ArchiveIndex> before = first;
    for (const auto& c : changes) {
        SCOPED_TRACE(c.name);
        c.change();
        const std::shared_ptr<const ArchiveIndex> after = read();
        EXPECT_NE(after, before);
        EXPECT_NE(crc(after), crc(before));
        before = after;
    }

    handles::UniqueFd fd(::open(native.constData(), O_RDONLY | O_CLOEXEC));
    const std::unique_ptr<FileInput> adopted =
        FileInput::adopt(std::move(fd), quint64(QFileInfo(path).size()));
    EXPECT_NE(*cachedIndex(*adopted), *cachedIndex(*adopted));
}
