#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <minizip/unzip.h>

#include "archive/ZipArchive.h"
#include "tests/support/TestFolders.h"
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
            bool overwrite = true) {
    if (!zip.UnzipOpenFile(archive))
        return false;
    const bool ok = zip.UnzipFileTo(target, overwrite);
    zip.UnzipCloseFile();
    return ok;
}

struct Scratch {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

QByteArray incompressible(int size) {
    QByteArray data(size, '\0');
    quint32 state = 12345;
    for (char& c : data) {
        state = state * 1103515245u + 12345u;
        c = char(state >> 24);
    }
    return data;
}

bool toolAvailable(const QString& tool) {
    return !QStandardPaths::findExecutable(tool).isEmpty();
}

} // namespace

TEST(ZipArchiveExpand, CreatesFoldersFilesAndEntryDates) {
    Scratch s;
    ZipWriter writer;
    writer.addFile("dir/sub/file.txt", "hello");
    writer.addFile("dir\\back.txt", "back", 0);
    writer.addFolder("empty");
    ZipWriter::Entry dated;
    dated.name = "dated.txt";
    dated.data = "when";
    dated.dosTime = (13 << 11) | (45 << 5) | (30 / 2);
    dated.dosDate = ((2009 - 1980) << 9) | (6 << 5) | 15;
    writer.add(dated);
    ASSERT_TRUE(writer.writeTo(s.path("a.zip")));

    RecordingArchive zip;
    ASSERT_TRUE(expand(zip, s.path("a.zip"), s.path("out")));
    EXPECT_TRUE(zip.messages.isEmpty()) << zip.messages.join('|').toStdString();
    EXPECT_EQ(listRecursive(s.path("out")),
              QStringList(
                  {"dated.txt", "dir/", "dir/back.txt", "dir/sub/", "dir/sub/file.txt", "empty/"}));
    EXPECT_EQ(readFile(s.path("out/dir/sub/file.txt")), "hello");
    EXPECT_EQ(readFile(s.path("out/dir/back.txt")), "back");
    const QDateTime expected(QDate(2009, 6, 15), QTime(13, 45, 30), Qt::LocalTime);
    EXPECT_EQ(QFileInfo(s.path("out/dated.txt")).lastModified(), expected);
}

TEST(ZipArchiveExpand, OverwriteFlagAndHook) {
    Scratch s;
    ZipWriter().addFile("f.txt", "new").addFile("g.txt", "next").writeTo(s.path("a.zip"));

    writeFile(s.path("out/f.txt"), "old");
    RecordingArchive defaultHook;
    ASSERT_TRUE(expand(defaultHook, s.path("a.zip"), s.path("out"), false));
    EXPECT_EQ(readFile(s.path("out/f.txt")), "new");
    EXPECT_EQ(defaultHook.overwriteQuestions, 1);

    writeFile(s.path("out/f.txt"), "old");
    RecordingArchive refusing;
    refusing.allowOverwrite = false;
    ASSERT_TRUE(expand(refusing, s.path("a.zip"), s.path("out"), false));
    EXPECT_EQ(readFile(s.path("out/f.txt")), "old");
    EXPECT_EQ(readFile(s.path("out/g.txt")), "next") << "the expansion goes on after a kept file";

    RecordingArchive forced;
    forced.allowOverwrite = false;
    ASSERT_TRUE(expand(forced, s.path("a.zip"), s.path("out"), true));
    EXPECT_EQ(readFile(s.path("out/f.txt")), "new");
    EXPECT_EQ(forced.overwriteQuestions, 0);

    // The base class's own hook answers yes.
    ZipArchive plain;
    EXPECT_TRUE(plain.OverWrite(s.path("out/f.txt")));
}

TEST(ZipArchiveExpand, EmptyArchivesClosedObjectsAndNonArchives) {
    Scratch s;
    ZipWriter().writeTo(s.path("empty.zip"));
    // The system's minizip may already refuse to open an archive without
    // entries; if it opens, the expansion fails with the two messages.
    RecordingArchive empty;
    if (empty.UnzipOpenFile(s.path("empty.zip"))) {
        EXPECT_FALSE(empty.UnzipFileTo(s.path("out"), true));
        EXPECT_EQ(empty.messages, QStringList({"Failed", "Error occurs"}));
        empty.UnzipCloseFile();
    }

    RecordingArchive closed;
    EXPECT_FALSE(closed.UnzipFileTo(s.path("out"), true));
    EXPECT_EQ(closed.messages, QStringList({"Failed", "Error occurs"}));
    EXPECT_TRUE(closed.UnzipCloseFile());
    EXPECT_TRUE(closed.UnzipCloseFile());

    writeFile(s.path("text.zip"), "this is not a zip archive");
    RecordingArchive notZip;
    EXPECT_FALSE(notZip.UnzipOpenFile(s.path("text.zip")));
    EXPECT_FALSE(notZip.UnzipOpenFile(s.path("missing.zip")));
    EXPECT_TRUE(notZip.messages.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(s.path("out")));

    EXPECT_EQ(ZipArchive::Date1980(), QDateTime(QDate(1980, 1, 1), QTime(0, 0), Qt::LocalTime));
}

TEST(ZipArchiveExpand, DamagedOrUnsupportedEntriesAnswerNo) {
    Scratch s;
    const QByteArray payload = incompressible(10000);

    ZipWriter::Entry badCrc;
    badCrc.name = "bad.bin";
    badCrc.data = payload;
    badCrc.crc = 0x12345678;
    ZipWriter().addFile("good.txt", "fine").add(badCrc).writeTo(s.path("crc.zip"));
    RecordingArchive crc;
    EXPECT_FALSE(expand(crc, s.path("crc.zip"), s.path("crc")));
    EXPECT_FALSE(QFileInfo::exists(s.path("crc/bad.bin"))) << "damaged data never stays";
    EXPECT_TRUE(crc.messages.last().startsWith("CRC error"));

    for (int method : {9, 12, 14}) {
        ZipWriter::Entry odd;
        odd.name = "odd.bin";
        odd.data = "some bytes";
        odd.method = method;
        const QString name = QStringLiteral("m%1.zip").arg(method);
        ZipWriter().add(odd).writeTo(s.path(name));
        RecordingArchive zip;
        EXPECT_FALSE(expand(zip, s.path(name), s.path("m"))) << method;
        EXPECT_FALSE(QFileInfo::exists(s.path("m/odd.bin"))) << method;
    }

    for (quint32 declared : {100u, 20000u}) {
        ZipWriter::Entry liar;
        liar.name = "liar.bin";
        liar.data = payload;
        liar.declaredSize = declared;
        ZipWriter().add(liar).writeTo(s.path("liar.zip"));
        RecordingArchive zip;
        EXPECT_FALSE(expand(zip, s.path("liar.zip"), s.path("liar"))) << declared;
        EXPECT_FALSE(QFileInfo::exists(s.path("liar/liar.bin")));
    }

    // Entry data cut short: the central directory is intact but the data
    // of the first entry is missing its tail.
    ZipWriter::Entry shortData;
    shortData.name = "short.bin";
    shortData.data = payload;
    shortData.method = 0;
    shortData.rawData = payload.left(5000);
    ZipWriter().add(shortData).writeTo(s.path("short.zip"));
    RecordingArchive cut;
    EXPECT_FALSE(expand(cut, s.path("short.zip"), s.path("short")));

    // A truncated file: the end of the archive is gone.
    const QByteArray whole = ZipWriter().addFile("a.bin", payload).bytes();
    writeFile(s.path("trunc.zip"), whole.left(whole.size() / 2));
    RecordingArchive truncated;
    EXPECT_FALSE(expand(truncated, s.path("trunc.zip"), s.path("trunc")));
}

TEST(ZipArchiveExpand, RefusesUnsafeEntriesAndExpandsTheRest) {
    Scratch s;
    ZipWriter writer;
    for (const QByteArray& name :
         {QByteArray("../up.txt"), QByteArray("/abs.txt"), QByteArray("a/../../up2.txt"),
          QByteArray("..\\back.txt"), QByteArray("C:/drive.txt"), QByteArray("nul\0byte.txt", 12),
          QByteArray("..")})
        writer.addFile(name, "evil");
    writer.addFile("safe/ok.txt", "ok");
    writer.addFile("dots..name.txt", "ok");
    QDir().mkpath(s.path("sandbox"));
    ASSERT_TRUE(writer.writeTo(s.path("sandbox/evil.zip")));

    const FolderSnapshot before = FolderSnapshot::of(s.dir.path());
    RecordingArchive zip;
    ASSERT_TRUE(expand(zip, s.path("sandbox/evil.zip"), s.path("sandbox/out")));
    EXPECT_EQ(listRecursive(s.path("sandbox/out")),
              QStringList({"dots..name.txt", "safe/", "safe/ok.txt"}));
    EXPECT_EQ(zip.messages.filter("Refused unsafe entry").size(), 7)
        << zip.messages.join('\n').toStdString();

    FolderSnapshot after = FolderSnapshot::of(s.dir.path());
    for (auto it = after.entries.begin(); it != after.entries.end();) {
        it = it->first.startsWith("sandbox/out") ? after.entries.erase(it) : std::next(it);
    }
    EXPECT_EQ(FolderSnapshot::differences(before, after), QStringList());
}

TEST(ZipArchiveExpand, DecodesNamesByFlagUtf8OrCp437) {
    Scratch s;
    ZipWriter writer;
    ZipWriter::Entry flagged;
    flagged.name = QStringLiteral("Ünïcödé.txt").toUtf8();
    flagged.flags = 0x800;
    flagged.data = "1";
    writer.add(flagged);
    writer.addFile(QStringLiteral("日本/語.txt").toUtf8(), "2");
    writer.addFile(QByteArray("\x81\x82\x9c.txt"), "3"); // CP437: ü é £
    ASSERT_TRUE(writer.writeTo(s.path("names.zip")));

    RecordingArchive zip;
    ASSERT_TRUE(expand(zip, s.path("names.zip"), s.path("out")));
    EXPECT_EQ(readFile(s.path(QStringLiteral("out/Ünïcödé.txt"))), "1");
    EXPECT_EQ(readFile(s.path(QStringLiteral("out/日本/語.txt"))), "2");
    EXPECT_EQ(readFile(s.path(QStringLiteral("out/üé£.txt"))), "3");
}

TEST(ZipArchiveCreate, WritesEntriesWithDatesAndNames) {
    Scratch s;
    ZipArchive zip;
    EXPECT_FALSE(zip.addFileToZip(s.path("x"), "x")) << "nothing is being written yet";
    EXPECT_FALSE(zip.CloseZipFile2());

    const QByteArray big = incompressible(300000);
    writeFile(s.path("big.bin"), big);
    writeFile(s.path("dated.txt"), "dated");
    QFile dated(s.path("dated.txt"));
    ASSERT_TRUE(dated.open(QIODevice::ReadWrite));
    ASSERT_TRUE(dated.setFileTime(QDateTime(QDate(2012, 3, 3), QTime(8, 5, 6), Qt::LocalTime),
                                  QFileDevice::FileModificationTime));
    dated.close();

    ASSERT_TRUE(zip.CreateZipFile2(s.path("made.zip")));
    EXPECT_TRUE(zip.addFileToZip(s.path("big.bin"), "data/big.bin"));
    EXPECT_TRUE(zip.addFileToZip(s.path("dated.txt"), QStringLiteral("Grüße.txt")));
    EXPECT_FALSE(zip.addFileToZip(s.path("missing.txt"), "missing.txt"));
    ASSERT_TRUE(zip.CloseZipFile2());

    unzFile unz = unzOpen64(QFile::encodeName(s.path("made.zip")).constData());
    ASSERT_NE(unz, nullptr);
    ASSERT_EQ(unzLocateFile(unz, QStringLiteral("Grüße.txt").toUtf8().constData(), 1), UNZ_OK);
    unz_file_info64 info;
    ASSERT_EQ(unzGetCurrentFileInfo64(unz, &info, nullptr, 0, nullptr, 0, nullptr, 0), UNZ_OK);
    EXPECT_EQ(info.tmu_date.tm_mon, 2u);
    EXPECT_EQ(info.tmu_date.tm_mday, 3u);
    EXPECT_EQ(info.tmu_date.tm_hour, 8u);
    EXPECT_EQ(info.tmu_date.tm_sec, 6u);
    EXPECT_TRUE(info.flag & 0x800) << "non-ASCII names carry the UTF-8 flag";
    EXPECT_EQ(unzLocateFile(unz, "missing.txt", 1), UNZ_END_OF_LIST_OF_FILE);
    unzClose(unz);

    RecordingArchive reader;
    ASSERT_TRUE(expand(reader, s.path("made.zip"), s.path("out")));
    EXPECT_EQ(readFile(s.path("out/data/big.bin")), big);
    EXPECT_EQ(readFile(s.path(QStringLiteral("out/Grüße.txt"))), "dated");
}

TEST(ZipArchivePassword, RoundTripWrongAndMissingPassword) {
    Scratch s;
    const QByteArray big = incompressible(200000);
    writeFile(s.path("big.bin"), big);
    writeFile(s.path("small.txt"), "secret text");
    ZipArchive writer;
    ASSERT_TRUE(writer.CreateZipFile2(s.path("enc.zip"), "s3cret"));
    ASSERT_TRUE(writer.addFileToZip(s.path("big.bin"), "big.bin"));
    ASSERT_TRUE(writer.addFileToZip(s.path("small.txt"), "dir/small.txt"));
    ASSERT_TRUE(writer.CloseZipFile2());

    RecordingArchive right;
    ASSERT_TRUE(right.UnzipOpenFile(s.path("enc.zip"), "s3cret"));
    ASSERT_TRUE(right.UnzipFileTo(s.path("right"), true));
    right.UnzipCloseFile();
    EXPECT_EQ(readFile(s.path("right/big.bin")), big);
    EXPECT_EQ(readFile(s.path("right/dir/small.txt")), "secret text");

    RecordingArchive wrong;
    ASSERT_TRUE(wrong.UnzipOpenFile(s.path("enc.zip"), "guess"));
    EXPECT_FALSE(wrong.UnzipFileTo(s.path("wrong"), true));
    wrong.UnzipCloseFile();
    EXPECT_FALSE(QFileInfo::exists(s.path("wrong/big.bin")));

    RecordingArchive none;
    EXPECT_FALSE(expand(none, s.path("enc.zip"), s.path("none")));
    EXPECT_FALSE(QFileInfo::exists(s.path("none/big.bin")));

    // A password outside 7-bit ASCII counts as no password.
    RecordingArchive nonAscii;
    ASSERT_TRUE(nonAscii.UnzipOpenFile(s.path("enc.zip"), QStringLiteral("s3crét")));
    EXPECT_FALSE(nonAscii.UnzipFileTo(s.path("nonascii"), true));
    EXPECT_TRUE(nonAscii.messages.last().endsWith("is encrypted"));
    nonAscii.UnzipCloseFile();
}

TEST(ZipArchivePassword, InteroperatesWithInfoZipAndPython) {
    Scratch s;
    const QByteArray content = incompressible(50000) + QByteArray(50000, 'a');
    writeFile(s.path("in/payload.bin"), content);

    ZipArchive writer;
    ASSERT_TRUE(writer.CreateZipFile2(s.path("ours.zip"), "pw123"));
    ASSERT_TRUE(writer.addFileToZip(s.path("in/payload.bin"), "payload.bin"));
    ASSERT_TRUE(writer.CloseZipFile2());

    if (toolAvailable("unzip")) {
        QProcess unzip;
        unzip.start("unzip", {"-P", "pw123", "-p", s.path("ours.zip"), "payload.bin"});
        ASSERT_TRUE(unzip.waitForFinished(60000));
        EXPECT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardError().toStdString();
        EXPECT_EQ(unzip.readAllStandardOutput(), content);
    }
    if (toolAvailable("python3")) {
        QProcess python;
        python.start("python3", {"-c",
                                 "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]);"
                                 "sys.stdout.buffer.write(z.read('payload.bin', pwd=b'pw123'))",
                                 s.path("ours.zip")});
        ASSERT_TRUE(python.waitForFinished(60000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        EXPECT_EQ(python.readAllStandardOutput(), content);
    }
    if (!toolAvailable("zip"))
        GTEST_SKIP() << "Info-ZIP zip is not installed";
    QProcess zip;
    zip.setWorkingDirectory(s.path("in"));
    zip.start("zip", {"-q", "-P", "other", s.path("theirs.zip"), "payload.bin"});
    ASSERT_TRUE(zip.waitForFinished(60000));
    ASSERT_EQ(zip.exitCode(), 0);
    RecordingArchive reader;
    ASSERT_TRUE(reader.UnzipOpenFile(s.path("theirs.zip"), "other"));
    EXPECT_TRUE(reader.UnzipFileTo(s.path("theirs"), true))
        << reader.messages.join('|').toStdString();
    reader.UnzipCloseFile();
    EXPECT_EQ(readFile(s.path("theirs/payload.bin")), content);
}

TEST(ZipArchiveExpand, RefusesBombsBeforeWritingAnything) {
    Scratch s;
    ZipWriter overlapping;
    overlapping.addFile("Runtime/kernel.bin", QByteArray(100000, '\0'));
    for (int i = 0; i < 3; ++i) {
        ZipWriter::Entry alias;
        alias.name = "Runtime/alias" + QByteArray::number(i) + ".bin"; // same length as the kernel
        alias.aliasOf = 0;
        overlapping.add(alias);
    }
    ASSERT_TRUE(overlapping.writeTo(s.path("overlap.zip")));
    RecordingArchive overlap;
    EXPECT_FALSE(expand(overlap, s.path("overlap.zip"), s.path("overlap")));
    EXPECT_TRUE(overlap.messages.contains("entries share their data (a zip bomb)"))
        << overlap.messages.join("|").toStdString();
    EXPECT_FALSE(QFileInfo::exists(s.path("overlap")));

    // Declared sizes far beyond any free space: refused up front, however
    // small the archive is.
    ZipWriter huge;
    for (int i = 0; i < 1000; ++i) {
        ZipWriter::Entry entry;
        entry.name = "big" + QByteArray::number(i);
        entry.data = "tiny";
        entry.declaredSize = 0xfffffff0u;
        huge.add(entry);
    }
    ASSERT_TRUE(huge.writeTo(s.path("huge.zip")));
    RecordingArchive budget;
    EXPECT_FALSE(expand(budget, s.path("huge.zip"), s.path("huge")));
    EXPECT_TRUE(budget.messages.last().startsWith("Not enough free space"));
    EXPECT_FALSE(QFileInfo::exists(s.path("huge")));

    // A legitimate thousandfold ratio expands.
    ZipWriter().addFile("blank.tex", QByteArray(8 << 20, '\0')).writeTo(s.path("blank.zip"));
    EXPECT_LT(QFileInfo(s.path("blank.zip")).size(), 10000);
    RecordingArchive blank;
    EXPECT_TRUE(expand(blank, s.path("blank.zip"), s.path("blank")));
    EXPECT_EQ(QFileInfo(s.path("blank/blank.tex")).size(), 8 << 20);
}
