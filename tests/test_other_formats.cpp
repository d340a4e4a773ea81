#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <fcntl.h>
#include <functional>
#include <map>
#include <sys/stat.h>

#include "tests/support/CliRunner.h"
#include "tests/support/RarWriter.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ToolRunner.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf::test;

namespace {

// Runs `tool` in `folder`; whether it succeeded.
bool ran(const QString& folder, const QString& tool, const QStringList& arguments) {
    return runTool(folder, {tool, arguments}).ok();
}

// Every file and folder below `folder` (a library's records aside): folders
// as "/", files by their bytes.
std::map<QString, QByteArray> contents(const QString& folder) {
    std::map<QString, QByteArray> result;
    for (const QString& path : listRecursive(folder))
        result[path] = path.endsWith('/') ? QByteArray("/") : readFile(folder + '/' + path);
    return result;
}

// Every file's executable bits and modification time, by path.
std::map<std::string, std::string> modesAndTimes(const QString& folder) {
    std::map<std::string, std::string> result;
    for (const QString& path : listRecursive(folder)) {
        const QFileInfo info(folder + '/' + path);
        if (!path.endsWith('/'))
            result[path.toStdString()] = QStringLiteral("%1 %2")
                                             .arg(info.permission(QFile::ExeOwner) ? "x" : "-")
                                             .arg(info.lastModified().toSecsSinceEpoch())
                                             .toStdString();
    }
    return result;
}

QJsonObject onlyRecord(const CliResult& result) {
    const QList<QJsonObject> records = result.records();
    return records.size() == 1 ? records.first() : QJsonObject{{"records", records.size()}};
}

// The package every archive of the first table holds, as files on disk.
struct Package {
    QTemporaryDir root;
    QString tree() const { return root.filePath("tree"); }

    Package() {
        writeFile(tree() + "/Pack/Runtime/a.txt", "alpha\n");
        writeFile(tree() + "/Pack/Runtime/Sub/b.bin", pseudoRandom(300 * 1024, 7));
        writeFile(tree() + "/Pack/Runtime/empty.txt", "");
        writeFile(tree() + "/Pack/Data/Café.txt", "data\n");
        QDir().mkpath(tree() + "/Pack/Data/Empty Folder");
        // An executable, and times at an odd second, which an MS-DOS date
        // cannot hold.
        ::chmod(QFile::encodeName(tree() + "/Pack/Runtime/a.txt").constData(), 0755);
        for (const QString& path : listRecursive(tree())) {
            const struct timespec times[2] = {{1577966401, 0}, {1577966401, 0}};
            ::utimensat(AT_FDCWD, QFile::encodeName(tree() + '/' + path).constData(), times, 0);
        }
    }

    // Adds a zip beside the Runtime files: shown as a folder, installed
    // as the file it is.
    void addNestedZip() {
        writeFile(tree() + "/Pack/Runtime/Extras.zip",
                  ZipWriter().addFile("Docs/inner.txt", "inner").bytes());
    }

    // The package as RAR entries: folders first, as RAR writers order them.
    RarWriter rar(RarWriter::Version version) const {
        RarWriter writer(version);
        const QStringList paths = listRecursive(tree());
        for (const QString& path : paths) {
            if (path.endsWith('/'))
                writer.addFolder(path.chopped(1).toUtf8());
        }
        for (const QString& path : paths) {
            if (!path.endsWith('/'))
                writer.addFile(path.toUtf8(), readFile(tree() + '/' + path));
        }
        return writer;
    }
};

struct MadeArchive {
    const char* label;
    const char* name;
    bool nestedZip;
    // Makes the archive `path` of the package's tree.
    std::function<bool(const Package&, const QString& path)> make;
};

} // namespace

// 7z archives made by p7zip and bsdtar and RAR archives written here are
// analysed as the zip of the same files is (tree, verdict), install byte
// for byte as the archivers expand them, and are recorded with the CRC-32
// of what was written.
TEST(OtherFormats, ReadAndInstallAsTheZipOfTheSameFiles) {
    if (toolsMissing({"7z", "bsdtar", "zip"}))
        GTEST_SKIP() << "7z, bsdtar or zip missing";
    const auto sevenZip = [](QStringList options) {
        return [options](const Package& package, const QString& path) {
            return ran(package.tree(), "7z",
                       QStringList{"a", "-bd", "-y"} + options + QStringList{path, "Pack"});
        };
    };
    const auto rar = [](RarWriter::Version version) {
        return [version](const Package& package, const QString& path) {
            return package.rar(version).writeTo(path);
        };
    };
    const MadeArchive rows[] = {
        {"7z solid", "Solid.7z", false, sevenZip({})},
        {"7z not solid", "Loose.7z", false, sevenZip({"-ms=off"})},
        {"7z solid, nested zip", "Nested.7Z", true, sevenZip({})},
        {"7z not solid, nested zip", "Nested Loose.7z", true, sevenZip({"-ms=off"})},
        {"bsdtar 7zip", "Tar.7z", false,
         [](const Package& package, const QString& path) {
             return ran(package.tree(), "bsdtar", {"--format", "7zip", "-cf", path, "Pack"});
         }},
        {"RAR 4 stored", "Four.rar", false, rar(RarWriter::Version::Rar4)},
        {"RAR 5 stored", "Five.RAR", true, rar(RarWriter::Version::Rar5)},
    };
    for (const MadeArchive& row : rows) {
        SCOPED_TRACE(row.label);
        Package package;
        if (row.nestedZip)
            package.addNestedZip();
        QTemporaryDir work;
        const QString source = work.filePath("source");
        const QString zipSource = work.filePath("zip");
        QDir().mkpath(source);
        QDir().mkpath(zipSource);
        ASSERT_TRUE(row.make(package, source + '/' + row.name));
        ASSERT_TRUE(ran(package.tree(), "zip", {"-qr", zipSource + "/Same.zip", "Pack"}));

        // The same tree and verdict as the zip.
        QJsonObject analysed = onlyRecord(runCli({"analyze", source, "--tree", "--json"}));
        QJsonObject asZip = onlyRecord(runCli({"analyze", zipSource, "--tree", "--json"}));
        EXPECT_EQ(analysed.take("FILENAME").toString().toStdString(), row.name);
        EXPECT_EQ(analysed.take("FORMAT").toString().toStdString(),
                  QString(row.name).endsWith("7z", Qt::CaseInsensitive) ? "7z" : "RAR");
        asZip.remove("FILENAME");
        EXPECT_EQ(analysed, asZip);
        EXPECT_EQ(analysed["INFO"].toString().toStdString(), "OK");

        // Installed as the archiver expands it, recorded with the CRCs.
        const QString library = work.filePath("library");
        const QString expanded = work.filePath("expanded");
        QDir().mkpath(library);
        QDir().mkpath(expanded);
        const QString archive = source + '/' + row.name;
        ASSERT_TRUE(QString(row.name).endsWith("7z", Qt::CaseInsensitive)
                        ? ran(expanded, "7z", {"x", "-bd", "-y", "-o" + expanded, archive})
                        : ran(expanded, "bsdtar", {"-xf", archive}));
        const CliResult installed = runCli({"install", source, library, "--json"});
        EXPECT_EQ(onlyRecord(installed)["STATE"].toInt(), 9) << installed.out.constData();
        EXPECT_TRUE(contents(library) == contents(expanded + "/Pack"))
            << QStringList(listRecursive(library)).join(' ').toStdString();
        if (QString(row.name).endsWith("7z", Qt::CaseInsensitive)) {
            EXPECT_EQ(modesAndTimes(library), modesAndTimes(expanded + "/Pack"));
        }

        // The record holds what was written, so the package comes out whole.
        const CliResult removed = runCli({"uninstall", library, row.name, "--json"});
        EXPECT_EQ(removed.exitCode, 0) << removed.out.constData() << removed.err.constData();
        EXPECT_TRUE(listRecursive(library).isEmpty()) << removed.out.constData();

        // A RAR repacked with the same names, sizes and times but other
        // content is not taken for the installed one.
        if (!QString(row.name).endsWith("7z", Qt::CaseInsensitive)) {
            ASSERT_EQ(runCli({"install", source, library, "--json"}).exitCode, 0);
            writeFile(package.tree() + "/Pack/Runtime/a.txt", "ALPHA\n");
            ASSERT_TRUE(row.make(package, archive));
            const CliResult again = runCli({"install", source, library, "--json"});
            EXPECT_FALSE(onlyRecord(again).contains("UNCHANGED")) << again.out.constData();
            EXPECT_EQ(readFile(library + "/Runtime/a.txt").toStdString(), "ALPHA\n");
        }
    }
}

// What cannot be read safely is refused before anything is written, with
// the zip reader's reasons; unsafe names and links are passed over.
TEST(OtherFormats, HostileArchivesAreRefusedWithNothingWritten) {
    if (toolsMissing({"7z", "bsdtar", "zip"}))
        GTEST_SKIP() << "7z, bsdtar or zip missing";
    Package package;
    const QString tree = package.tree();
    const auto sevenZip = [&](const QString& path, QStringList options) {
        return ran(tree, "7z", QStringList{"a", "-bd", "-y"} + options + QStringList{path, "Pack"});
    };
    struct Row {
        const char* label;
        std::function<bool(const QString& path)> make;
        const char* analysedInfo;
        const char* reasonOrWarning; // a part of REASON, or of WARNING when it is OK
        QStringList installed;       // what the library holds after an install
    };
    const QStringList none;
    const QStringList whole{"Data/",         "Data/Café.txt",    "Data/Empty Folder/",
                            "Runtime/",      "Runtime/Sub/",     "Runtime/Sub/b.bin",
                            "Runtime/a.txt", "Runtime/empty.txt"};
    const auto rarWith = [&](RarWriter::Version version, RarWriter::Entry extra, bool volume) {
        return [&, version, extra, volume](const QString& path) {
            RarWriter writer = package.rar(version);
            if (!extra.name.isEmpty())
                writer.add(extra);
            return writer.setVolume(volume).writeTo(path);
        };
    };
    const auto sevenZipWith = [&](const QStringList& options) {
        return [&, options](const QString& path) { return sevenZip(path, options); };
    };
    const Row rows[] = {
        {"7z, encrypted data", sevenZipWith({"-pSecret"}), "Unzip error",
         "is encrypted (7z encryption", none},
        {"7z, encrypted names", sevenZipWith({"-pSecret", "-mhe=on"}), "Unzip error",
         "names are encrypted", none},
        {"7z, first volume of a split archive",
         [&](const QString& path) {
             return sevenZip(path, {"-v100k"}) && QFile::rename(path + ".001", path);
         },
         "Unzip error", "split archive", none},
        {"RAR 4, a volume", rarWith(RarWriter::Version::Rar4, {}, true), "Unzip error",
         "split archive", none},
        {"RAR 5, a volume", rarWith(RarWriter::Version::Rar5, {}, true), "Unzip error",
         "split archive", none},
        {"RAR 4, an encrypted entry",
         rarWith(RarWriter::Version::Rar4, {"Pack/Runtime/secret.txt", "x", false, true}, false),
         "Unzip error", "secret.txt is encrypted (RAR encryption", none},
        {"RAR 4, a name leaving the folder",
         rarWith(RarWriter::Version::Rar4, {"../evil.txt", "evil", false, false}, false), "OK",
         "an unsafe entry passed over: ../evil.txt", whole},
        {"RAR 5, an absolute name",
         rarWith(RarWriter::Version::Rar5, {"/tmp/evil.txt", "evil", false, false}, false), "OK",
         "an unsafe entry passed over: /tmp/evil.txt", whole},
        {"7z, a symbolic link",
         [&](const QString& path) {
             return QFile::link("/etc/passwd", tree + "/Pack/Runtime/passwd") &&
                    ran(tree, "bsdtar", {"--format", "7zip", "-cf", path, "Pack"}) &&
                    QFile::remove(tree + "/Pack/Runtime/passwd");
         },
         "OK", "an unsafe entry passed over: Pack/Runtime/passwd", whole},
        {"7z, damaged data",
         [&](const QString& path) {
             if (!sevenZip(path, {"-mx=0"}))
                 return false;
             QByteArray bytes = readFile(path);
             bytes[100] = char(bytes[100] ^ 0x55); // inside b.bin, stored first
             return writeFile(path, bytes);
         },
         "OK", "", none},
        {"7z, a method libarchive lacks", sevenZipWith({"-m0=Deflate64"}), "Unzip error",
         "unsupported compression method Deflate64, coder 40109 in Pack/", none},
        {"not an archive",
         [](const QString& path) { return writeFile(path, "7z\xBC\xAF\x27\x1C and no more"); },
         "Unzip error", "not a 7z archive, or damaged", none},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        QTemporaryDir work;
        const QString source = work.filePath("source");
        const QString library = work.filePath("library");
        QDir().mkpath(source);
        QDir().mkpath(library);
        const bool isRar = QString(row.label).startsWith("RAR");
        ASSERT_TRUE(row.make(source + (isRar ? "/Pack.rar" : "/Pack.7z")));
        const QJsonObject analysed = onlyRecord(runCli({"analyze", source, "--json"}));
        EXPECT_EQ(analysed["INFO"].toString().toStdString(), row.analysedInfo);
        const QString said = analysed["REASON"].toString() + analysed["WARNING"].toString();
        EXPECT_TRUE(said.contains(row.reasonOrWarning)) << said.toStdString();

        const CliResult install = runCli({"install", source, library, "--json"});
        EXPECT_EQ(listRecursive(library).join(' ').toStdString(),
                  row.installed.join(' ').toStdString())
            << install.out.constData();
        EXPECT_FALSE(QFile::exists(work.filePath("evil.txt")));
        EXPECT_FALSE(QFile::exists("/tmp/evil.txt"));
    }
}

// Files that begin as one format and go on as another (found by fuzzing:
// a RAR signature followed by zip records took the reader down), and files
// that are no archive at all, named .rar or .7z: each is an "Unzip error"
// whose reason names the format of its name, and the archives beside it
// are analysed and installed all the same. A readable archive is read as
// what it is, whatever its name.
TEST(OtherFormats, ArchivesThatAreNotWhatTheirNameSays) {
    const QByteArray rarSignature("Rar!\x1a\x07", 6);
    const QByteArray zip = ZipWriter().addFile("Runtime/a.txt", "a").bytes();
    const QByteArray zipEnd = QByteArray("PK\x05\x06", 4) + QByteArray(7, '\0') +
                              QByteArray("\xfe\xff\xff\xff", 4) + QByteArray(9, '\0');
    struct Row {
        const char* name;
        QByteArray bytes;
        const char* info;
        const char* reason;
    };
    const Row rows[] = {
        {"Crafted.rar", rarSignature + zip, "Unzip error", "not a RAR archive, or damaged ("},
        {"Crafted.7z", rarSignature + zip, "Unzip error",
         "not a 7z archive, or damaged (it begins as a RAR archive, which cannot be read either)"},
        {"End.rar", rarSignature + zipEnd, "Unzip error", "not a RAR archive, or damaged ("},
        {"End.7z", rarSignature + zipEnd, "Unzip error", "not a 7z archive, or damaged ("},
        {"Crafted.zip", rarSignature + zip, "Unzip error",
         "not a zip archive, or damaged (it begins as a RAR archive"},
        {"Text.rar", "plain text\n", "Unzip error",
         "not a RAR archive, or damaged (it has no RAR signature)"},
        {"Text.7z", "plain text\n", "Unzip error",
         "not a 7z archive, or damaged (it has no 7z signature)"},
        {"Zip.rar", zip, "OK", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir work;
        const QString source = work.filePath("source");
        const QString library = work.filePath("library");
        QDir().mkpath(library);
        ASSERT_TRUE(writeFile(source + '/' + row.name, row.bytes));
        ASSERT_TRUE(writeFile(source + "/Good.zip", zip));

        const CliResult analysed = runCli({"analyze", source, "--json"});
        ASSERT_EQ(analysed.exitCode, 0) << analysed.err.constData();
        const QList<QJsonObject> records = analysed.records();
        ASSERT_EQ(records.size(), 2) << analysed.out.constData();
        const QJsonObject named = records[0]["FILENAME"] == row.name ? records[0] : records[1];
        const QJsonObject good = records[0]["FILENAME"] == "Good.zip" ? records[0] : records[1];
        EXPECT_EQ(named["INFO"].toString().toStdString(), row.info);
        const QString reason = named["REASON"].toString();
        EXPECT_EQ(reason.left(qsizetype(qstrlen(row.reason))).toStdString(), row.reason);
        EXPECT_EQ(good["INFO"].toString().toStdString(), "OK");

        const CliResult installed = runCli({"install", source, library, "--json"});
        EXPECT_EQ(installed.exitCode, 0) << installed.err.constData();
        EXPECT_EQ(listRecursive(library), QStringList({"Runtime/", "Runtime/a.txt"}));
    }
}
