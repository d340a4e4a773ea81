// The forms of zip archive that the tools a user meets write, made here by
// the tools Debian ships and read as Info-ZIP's unzip reads them: the index
// lists what `unzip -Z1` lists, and both the entry reads the installer uses
// and an install give byte for byte what `unzip` expands.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <fcntl.h>
#include <functional>
#include <map>
#include <optional>
#include <sys/stat.h>

#include "archive/ArchiveIndex.h"
#include "archive/ArchiveKeyring.h"
#include "archive/EntryDecoder.h"
#include "archive/NestedArchive.h"
#include "archive/Password.h"
#include "archive/ZipInput.h"
#include "tests/support/CliRunner.h"
#include "tests/support/LittleEndian.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ToolRunner.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

// Digests by path show as lines of text.
void PrintTo(const std::map<QString, QByteArray>& digests, std::ostream* out) {
    for (const auto& [path, digest] : digests)
        *out << "\n  " << path.toStdString() << " " << digest.left(16).toStdString();
}

namespace {

constexpr qint64 MiB = 1024 * 1024;

// A small package: incompressible and compressible files, an empty file,
// an empty folder and a deep path.
void writeSourceTree(const QString& root) {
    writeFile(root + "/Pack/Runtime/a.bin", pseudoRandom(200 * 1024, 7));
    writeFile(root + "/Pack/Runtime/text.txt", QByteArray("scenery mesh runway ").repeated(5000));
    writeFile(root + "/Pack/Data/readme.txt", "hello\n");
    writeFile(root + "/Pack/Data/empty.txt", "");
    writeFile(root + "/Pack/Data/deep/er/still/file.txt", "deep\n");
    QDir().mkpath(root + "/Pack/Empty");
}

// Writes the files named, and every file and folder below the folders
// named, into a zip archive with python3's zipfile, forcing the Zip64 forms
// (ZipFile.open(force_zip64=True)); to standard output when the archive is
// "-" (data descriptors with 64-bit sizes, as the output cannot seek).
const char* const PythonZip64Writer = R"(
import os, sys, zipfile
archive, method = sys.argv[1], {'deflated': zipfile.ZIP_DEFLATED, 'stored': zipfile.ZIP_STORED}[sys.argv[2]]
out = sys.stdout.buffer if archive == '-' else archive
with zipfile.ZipFile(out, 'w', compression=method, compresslevel=1) as zf:
    for top in sys.argv[3:]:
        paths = [top] if os.path.isfile(top) else sorted(
            os.path.join(d, n) for d, ds, fs in os.walk(top) for n in ds + fs)
        if os.path.isdir(top):
            paths.insert(0, top)
        for path in paths:
            info = zipfile.ZipInfo.from_file(path)
            info.compress_type = method
            if info.is_dir():
                zf.writestr(info, b'')
                continue
            with open(path, 'rb') as source, zf.open(info, 'w', force_zip64=True) as target:
                while chunk := source.read(1 << 20):
                    target.write(chunk)
)";

Command pythonZip64(const QString& archive, const char* method, const QStringList& paths) {
    return {"python3", QStringList{"-c", PythonZip64Writer, archive, method} + paths};
}

// The archive opened and its index read; or why not.
struct Opened {
    std::unique_ptr<FileInput> input;
    std::optional<ArchiveIndex> index;
    QString problem;
};

Opened openIndexed(const QString& archive) {
    Result<std::unique_ptr<FileInput>> input = FileInput::openRegular(QFile::encodeName(archive));
    if (!input)
        return {nullptr, std::nullopt, input.reason()};
    Result<ArchiveIndex> index = readArchiveIndex(**input);
    if (!index)
        return {std::move(*input), std::nullopt, index.reason()};
    return {std::move(*input), std::move(*index), QString()};
}

struct Listing {
    QStringList names;
    QString problem;
};

Listing indexListing(const QString& archive) {
    const Opened opened = openIndexed(archive);
    Listing listing{{}, opened.problem};
    for (const IndexEntry& entry : opened.index ? opened.index->entries : std::vector<IndexEntry>())
        listing.names << entry.name;
    return listing;
}

QStringList unzipListing(const QString& archive) {
    const ToolRun run = runTool(QFileInfo(archive).absolutePath(), {"unzip", {"-Z1", archive}});
    QStringList names = QString::fromUtf8(run.out).split('\n');
    names.removeAll(QString());
    return names;
}

// Every file below `folder` with its content's SHA-256, and every folder.
std::map<QString, QByteArray> treeDigests(const QString& folder) {
    std::map<QString, QByteArray> tree;
    for (const QString& path : listRecursive(folder)) {
        QByteArray& digest = tree[path];
        if (path.endsWith('/'))
            continue;
        QFile file(folder + "/" + path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly) && hash.addData(&file))
            digest = hash.result().toHex();
    }
    return tree;
}

// The SHA-256 of each file entry's content as the installer reads it
// (readEntryData), by name; a read's problem in place of a digest.
std::map<QString, QByteArray> entryDigests(const QString& archive,
                                           const QByteArray& password = QByteArray()) {
    std::map<QString, QByteArray> digests;
    const Opened opened = openIndexed(archive);
    if (!opened.index)
        return {{archive, opened.problem.toUtf8()}};
    for (const IndexEntry& entry : opened.index->entries) {
        if (entry.isFolder())
            continue;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const Password given(password);
        const Status read = readEntryData(
            *opened.input, entry,
            [&hash](const char* data, size_t size) {
                hash.addData(QByteArrayView(data, qsizetype(size)));
                return true;
            },
            nullptr, password.isEmpty() ? nullptr : &given);
        digests[entry.name] = read.ok() ? hash.result().toHex() : read.reason().toUtf8();
    }
    return digests;
}

// What `unzip -d` expands, as treeDigests() gives it, with the folders
// left out (the same comparison as entryDigests()).
std::map<QString, QByteArray> filesOnly(std::map<QString, QByteArray> tree) {
    std::erase_if(tree, [](const auto& item) { return item.first.endsWith('/'); });
    return tree;
}

// Installs `archive` into a new library with packshelf-cli: the library
// then holds the package's Runtime and Data files byte for byte as `unzip`
// expands them (`unzipped`, from treeDigests()).
void expectInstalledAsUnzipExpands(const QString& archive,
                                   const std::map<QString, QByteArray>& unzipped,
                                   const QString& scratch) {
    std::map<QString, QByteArray> expected;
    for (const auto& [path, digest] : filesOnly(unzipped)) {
        if (path.startsWith("Pack/Runtime/") || path.startsWith("Pack/Data/"))
            expected[path.mid(5)] = digest;
    }
    if (expected.empty())
        return; // not a package: nothing would be installed
    const QString source = scratch + "/source";
    const QString library = scratch + "/library";
    ASSERT_TRUE(QDir().mkpath(source) && QDir().mkpath(library));
    ASSERT_TRUE(QFile::copy(archive, source + "/package.zip"));
    const CliResult install = runCli({"install", source, library});
    EXPECT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();
    EXPECT_EQ(filesOnly(treeDigests(library)), expected); // the records are passed over
}

// Compares our reading of `archive` with unzip's reading of `reference`
// (the same archive, or one of the same files that unzip can read): the
// listing, each entry's content and the install.
void expectReadAsUnzipReads(const QString& archive, const QString& reference,
                            const QString& scratch) {
    const Listing listing = indexListing(archive);
    EXPECT_EQ(listing.problem, QString());
    EXPECT_EQ(listing.names, unzipListing(reference));

    const QString unzipped = scratch + "/unzip";
    const ToolRun unzip = runTool(scratch, {"unzip", {"-q", "-o", reference, "-d", unzipped}});
    ASSERT_TRUE(unzip.exitCode == 0 || unzip.exitCode == 1) << unzip.err.toStdString();
    const std::map<QString, QByteArray> expected = treeDigests(unzipped);
    ASSERT_FALSE(expected.empty());

    EXPECT_EQ(entryDigests(archive), filesOnly(expected));
    expectInstalledAsUnzipExpands(archive, expected, scratch);
}

using Make = std::function<ToolRun(const QString& source, const QString& archive)>;

struct Form {
    const char* what;
    Make make;
    // The form whose archive unzip reads for comparison, when it cannot read
    // this one; -1: this one.
    int reference = -1;
};

// Copies `archive` behind a self-extractor's stub; with `adjust`, lets
// `zip -A` move its offsets past the stub as self-extractors have them.
ToolRun prependStub(const QString& source, const QString& archive, bool adjust) {
    const QString plain = archive + ".plain";
    const ToolRun zip = runTool(source, {"zip", {"-q", "-r", plain, "Pack"}});
    if (zip.exitCode != 0)
        return zip;
    writeFile(archive, QByteArray("\x7f"
                                  "ELF stub of a self-extractor\n")
                               .repeated(300) +
                           readFile(plain));
    return adjust ? runTool(source, {"zip", {"-q", "-A", archive}}) : ToolRun{0, {}, {}};
}

// Runs `command` in the source folder, the argument "ARCHIVE" standing for
// the archive; piped, through `cat` into it (`input`, below the source
// folder, on its standard input when one is named).
Make tool(const Command& command, bool piped = false, const QString& input = QString()) {
    return [=](const QString& source, const QString& archive) {
        Command made = command;
        for (QString& argument : made.arguments)
            argument = argument == "ARCHIVE" ? archive : argument;
        if (!piped)
            return runTool(source, made);
        return runPiped(source, made, {"cat", {}}, archive,
                        input.isEmpty() ? input : source + "/" + input);
    };
}

} // namespace

TEST(ZipForms, EveryToolsArchiveReadsAsUnzipReadsIt) {
    if (toolsMissing({"zip", "unzip", "python3", "bsdtar", "7z", "cat"}))
        GTEST_SKIP() << "zip, unzip, python3, bsdtar and 7z are needed (scripts/deps)";
    QTemporaryDir scratch;
    const QString source = scratch.filePath("src");
    writeSourceTree(source);

    const std::vector<Form> forms = {
        {"zip -r", tool({"zip", {"-q", "-r", "ARCHIVE", "Pack"}})},
        {"zip -r -fz (Zip64 forced)", tool({"zip", {"-q", "-r", "-fz", "ARCHIVE", "Pack"}})},
        {"zip -r to a pipe (data descriptors)", tool({"zip", {"-q", "-r", "-", "Pack"}}, true)},
        // Info-ZIP's zip saturates the directory's offset here but writes no
        // Zip64 end record to hold it; unzip gives up on the archive.
        {"zip -r -fz to a pipe (64-bit data descriptors, no Zip64 end record)",
         tool({"zip", {"-q", "-r", "-fz", "-", "Pack"}}, true), 1},
        {"zip of standard input to a pipe",
         tool({"zip", {"-q", "-", "-"}}, true, "Pack/Runtime/text.txt")},
        {"self-extractor, zip -A",
         [](const QString& src, const QString& out) { return prependStub(src, out, true); }},
        {"stub prepended, offsets not adjusted",
         [](const QString& src, const QString& out) { return prependStub(src, out, false); }},
        {"python3 zipfile, force_zip64, deflated",
         tool(pythonZip64("ARCHIVE", "deflated", {"Pack"}))},
        {"python3 zipfile, force_zip64, stored", tool(pythonZip64("ARCHIVE", "stored", {"Pack"}))},
        {"python3 zipfile, force_zip64, to a pipe (64-bit data descriptors)",
         tool(pythonZip64("-", "deflated", {"Pack"}), true)},
        {"python3 zipfile, a 60,000-byte archive comment",
         tool({"python3",
               {"-c",
                "import os, sys, zipfile\n"
                "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as zf:\n"
                "    for d, ds, fs in sorted(os.walk('Pack')):\n"
                "        for n in sorted(fs):\n"
                "            zf.write(os.path.join(d, n))\n"
                "    zf.comment = b'comment ' * 7500\n",
                "ARCHIVE"}})},
        {"bsdtar --format zip",
         tool({"bsdtar", {"-c", "--format", "zip", "-f", "ARCHIVE", "Pack"}})},
        {"bsdtar --format zip, zip64 and stored",
         tool({"bsdtar",
               {"-c", "--format", "zip", "--options", "zip:zip64,zip:compression=store", "-f",
                "ARCHIVE", "Pack"}})},
        {"7z a -tzip", tool({"7z", {"a", "-tzip", "-bd", "-bso0", "-bsp0", "ARCHIVE", "Pack"}})},
        {"7z a -tzip -mx=0 (stored)",
         tool({"7z", {"a", "-tzip", "-mx=0", "-bd", "-bso0", "-bsp0", "ARCHIVE", "Pack"}})},
    };
    const auto archiveOf = [&](int form) {
        return scratch.filePath(QString::number(form) + "/archive.zip");
    };
    for (int index = 0; index < int(forms.size()); ++index) {
        const Form& form = forms[std::size_t(index)];
        SCOPED_TRACE(form.what);
        const QString archive = archiveOf(index);
        QDir().mkpath(QFileInfo(archive).path());
        const ToolRun made = form.make(source, archive);
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
        expectReadAsUnzipReads(archive, archiveOf(form.reference < 0 ? index : form.reference),
                               QFileInfo(archive).path());
    }
}

namespace {

// What a tool's extraction of `archive` into a new folder holds, as
// treeDigests() gives it, files only; 7z is given `password`.
std::map<QString, QByteArray> extractedBy(const QString& tool, const QString& archive,
                                          const QString& folder,
                                          const QByteArray& password = QByteArray()) {
    QDir().mkpath(folder);
    Command command =
        tool == "7z" ? Command{"7z", {"x", "-y", "-bd", "-bso0", "-bsp0", "-o" + folder, archive}}
        : tool == "bsdtar" ? Command{"bsdtar", {"-x", "-f", archive, "-C", folder}}
                           : Command{"unzip", {"-q", "-o", archive, "-d", folder}};
    if (!password.isEmpty())
        command.arguments.insert(1, "-p" + QString::fromUtf8(password));
    const ToolRun run = runTool(folder, command);
    if (run.exitCode != 0)
        return {{tool, run.err}};
    return filesOnly(treeDigests(folder));
}

// The output of `program` reading `file` (a compressor's stream).
QByteArray compressedBy(const QString& program, const QStringList& arguments, const QString& file) {
    QProcess process;
    process.setStandardInputFile(file);
    process.start(program, arguments);
    process.waitForFinished(-1);
    return process.readAllStandardOutput();
}

// Writes `files` (paths below `source`) into an archive whose entries hold
// each file's content compressed by `compressor` under `method`.
void writeCompressedBy(const QString& archive, const QString& source, const QStringList& files,
                       int method, const Command& compressor) {
    ZipWriter writer;
    for (const QString& path : files) {
        ZipWriter::Entry entry =
            ZipWriter::entry(path.toUtf8(), readFile(source + "/" + path), method);
        entry.rawData = compressedBy(compressor.program, compressor.arguments, source + "/" + path);
        writer.add(entry);
    }
    ASSERT_TRUE(writer.writeTo(archive));
}

} // namespace

// Every compression method a trusted tool writes and reads is decoded as
// that tool decodes it: bzip2, LZMA and PPMd as 7-Zip and Python write
// them, XZ and Zstandard streams of Debian's compressors; each entry's
// content is what `7z x` (and bsdtar) expands.
TEST(ZipForms, EveryMethodReadsAsItsMakerWrote) {
    if (toolsMissing({"7z", "python3", "bsdtar", "xz", "zstd"}))
        GTEST_SKIP() << "7z, python3, bsdtar, xz and zstd are needed (scripts/deps)";
    QTemporaryDir scratch;
    const QString source = scratch.filePath("src");
    writeSourceTree(source);
    const std::map<QString, QByteArray> sourceFiles = filesOnly(treeDigests(source));
    QStringList files;
    for (const auto& [path, digest] : sourceFiles)
        files << path;
    const auto sevenZip = [](const QString& method) {
        return tool(
            {"7z", {"a", "-tzip", "-mm=" + method, "-bd", "-bso0", "-bsp0", "ARCHIVE", "Pack"}});
    };
    const auto python = [](const char* method) {
        return tool({"python3",
                     {"-c",
                      QString("import os, sys, zipfile\n"
                              "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.%1) as zf:\n"
                              "    for d, ds, fs in sorted(os.walk('Pack')):\n"
                              "        for n in sorted(fs):\n"
                              "            zf.write(os.path.join(d, n))\n")
                          .arg(method),
                      "ARCHIVE"}});
    };
    // Each file's content compressed by `compressor`, under `method`.
    const auto compressed = [&](int method, const Command& compressor) {
        return [&, method, compressor](const QString& src, const QString& archive) {
            writeCompressedBy(archive, src, files, method, compressor);
            return ToolRun{0, {}, {}};
        };
    };
    struct Row {
        const char* what;
        Make make;
        QString reference; // the tool whose extraction is compared
    };
    const std::vector<Row> rows = {
        {"7z -mm=BZip2 (12)", sevenZip("BZip2"), "7z"},
        {"7z -mm=LZMA (14)", sevenZip("LZMA"), "7z"},
        {"7z -mm=LZMA:eos (14, end marker)", sevenZip("LZMA:eos"), "7z"},
        {"7z -mm=PPMd (98)", sevenZip("PPMd"), "7z"},
        {"python3 zipfile ZIP_BZIP2 (12)", python("ZIP_BZIP2"), "bsdtar"},
        {"python3 zipfile ZIP_LZMA (14, end marker)", python("ZIP_LZMA"), "7z"},
        {"xz streams (95)", compressed(95, {"xz", {"-c", "-6"}}), "bsdtar"},
        {"zstd frames (93)", compressed(93, {"zstd", {"-q", "-c", "-19"}}), "7z"},
        {"zstd frames numbered 20", compressed(20, {"zstd", {"-q", "-c"}}), ""},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString folder = scratch.filePath(QString::number(index++));
        QDir().mkpath(folder);
        const QString archive = folder + "/archive.zip";
        row.make(source, archive);
        ASSERT_TRUE(QFileInfo::exists(archive));
        std::map<QString, QByteArray> expected = sourceFiles;
        if (!row.reference.isEmpty()) {
            expected = extractedBy(row.reference, archive, folder + "/expanded");
            EXPECT_EQ(expected, sourceFiles) << "as " << row.reference.toStdString() << " reads it";
        }
        EXPECT_EQ(entryDigests(archive), expected);
    }
}

// Damage in the data of every method is found, whatever the decoder: the
// stream cut short, bytes changed, a size declared too small; and a stream
// that asks for more memory than an entry may take is refused.
TEST(ZipForms, DamagedDataOfEveryMethodIsFound) {
    if (toolsMissing({"7z", "xz", "zstd"}))
        GTEST_SKIP() << "7z, xz and zstd are needed (scripts/deps)";
    QTemporaryDir scratch;
    const QString source = scratch.filePath("src");
    writeSourceTree(source);
    const QString file = "Pack/Runtime/text.txt";
    const QByteArray content = readFile(source + "/" + file);
    // Each method's stored bytes of the file (and the flags that go with
    // them), taken from an archive 7-Zip made, or from the compressor.
    const auto storedBy7z = [&](const QString& method) {
        const QString archive = scratch.filePath(method + ".zip");
        runTool(source,
                {"7z", {"a", "-tzip", "-mm=" + method, "-bd", "-bso0", "-bsp0", archive, file}});
        const QByteArray bytes = readFile(archive);
        // The first local header: flags at 6, stored size at 18, the name's
        // and the extra field's lengths at 26 and 28, the data after them.
        QDataStream header(bytes);
        header.setByteOrder(QDataStream::LittleEndian);
        quint16 flags = 0, nameLength = 0, extraLength = 0;
        quint32 storedSize = 0;
        header.skipRawData(6);
        header >> flags;
        header.skipRawData(10);
        header >> storedSize;
        header.skipRawData(4);
        header >> nameLength >> extraLength;
        if (header.status() != QDataStream::Ok)
            ADD_FAILURE() << "7z made no archive for " << qPrintable(method);
        return std::pair(bytes.mid(30 + nameLength + extraLength, storedSize),
                         quint16(flags & 0x2));
    };
    struct Method {
        int number;
        std::pair<QByteArray, quint16> stored;
    };
    const std::vector<Method> methods = {
        {8, {ZipWriter::deflateRaw(content), 0}},
        {12, storedBy7z("BZip2")},
        {14, storedBy7z("LZMA")},
        {98, storedBy7z("PPMd")},
        {95, {compressedBy("xz", {"-c"}, source + "/" + file), 0}},
        {93, {compressedBy("zstd", {"-q", "-c"}, source + "/" + file), 0}},
    };
    struct Damage {
        const char* what;
        std::function<void(ZipWriter::Entry&)> apply;
        QStringList problems; // one of these
    };
    const QStringList damaged = {"damaged data in x", "CRC error in x"};
    const std::vector<Damage> damages = {
        {"cut short",
         [](ZipWriter::Entry& e) { e.rawData = e.rawData->left(e.rawData->size() / 2); }, damaged},
        {"bytes changed in the middle",
         [](ZipWriter::Entry& e) {
             for (qsizetype i = e.rawData->size() / 2; i < e.rawData->size() / 2 + 16; ++i)
                 (*e.rawData)[i] = char((*e.rawData)[i] ^ 0x5a);
         },
         damaged},
        {"declared 100 bytes",
         [](ZipWriter::Entry& e) { e.declaredSize = 100; },
         {"x is larger than it declares", "damaged data in x"}},
        {"a wrong CRC-32", [](ZipWriter::Entry& e) { e.crc = 0x12345678; }, {"CRC error in x"}},
    };
    for (const Method& method : methods) {
        ASSERT_FALSE(method.stored.first.isEmpty()) << method.number;
        for (const Damage& damage : damages) {
            SCOPED_TRACE(
                QString("method %1, %2").arg(method.number).arg(damage.what).toStdString());
            ZipWriter::Entry entry = ZipWriter::entry("x", content, method.number);
            entry.rawData = method.stored.first;
            entry.flags = method.stored.second;
            damage.apply(entry);
            MemoryInput input(ZipWriter().add(entry).bytes());
            const Result<ArchiveIndex> index = readArchiveIndex(input);
            ASSERT_TRUE(index) << index.reason().toStdString();
            const Status read =
                readEntryData(input, index->entries[0], [](const char*, size_t) { return true; });
            EXPECT_TRUE(damage.problems.contains(read.reason())) << read.reason().toStdString();
        }
    }
    // An XZ stream whose dictionary is larger than an entry may take.
    const QString big = scratch.filePath("big.bin");
    writeFile(big, "small");
    ZipWriter::Entry entry = ZipWriter::entry("x", "small", 95);
    entry.rawData = compressedBy("xz", {"-c", "--lzma2=dict=1536MiB"}, big);
    MemoryInput input(ZipWriter().add(entry).bytes());
    const Result<ArchiveIndex> index = readArchiveIndex(input);
    ASSERT_TRUE(index);
    EXPECT_EQ(
        readEntryData(input, index->entries[0], [](const char*, size_t) { return true; }).reason(),
        "x needs more memory to decode than an entry may take");
}

// Encrypted archives as zip, 7-Zip and bsdtar write them, traditional
// PKWARE and WinZip AES of every strength: without a password and with a
// wrong one the keyring says so; with the right one every entry reads as
// `7z x -p` expands it.
TEST(ZipForms, EncryptedArchivesOpenWithTheirPassword) {
    if (toolsMissing({"zip", "7z", "bsdtar", "cat"}))
        GTEST_SKIP() << "zip, 7z and bsdtar are needed (scripts/deps)";
    QTemporaryDir scratch;
    const QString source = scratch.filePath("src");
    writeSourceTree(source);
    const QByteArray password = "s3cret pass word";
    const QString secret = QString::fromUtf8(password);
    const auto sevenZip = [&](const QString& encryption, const QString& method) {
        return tool({"7z",
                     {"a", "-tzip", "-p" + secret, "-mem=" + encryption, "-mm=" + method, "-bd",
                      "-bso0", "-bsp0", "ARCHIVE", "Pack"}});
    };
    const auto bsdtar = [&](const QString& encryption) {
        return tool({"bsdtar",
                     {"-c", "--format", "zip", "--options", "zip:encryption=" + encryption,
                      "--passphrase", secret, "-f", "ARCHIVE", "Pack"}});
    };
    struct Row {
        const char* what;
        Make make;
        QString encryption;
    };
    // The smallest encrypted entry that is not empty is the one tried.
    const QString probe = "Pack/Data/deep/er/still/file.txt";
    const std::vector<Row> rows = {
        {"zip -P", tool({"zip", {"-q", "-r", "-P", secret, "ARCHIVE", "Pack"}}),
         "traditional PKWARE encryption"},
        {"zip -P to a pipe (the check byte from the time)",
         tool({"zip", {"-q", "-r", "-P", secret, "-", "Pack"}}, true),
         "traditional PKWARE encryption"},
        {"7z ZipCrypto, deflate", sevenZip("ZipCrypto", "Deflate"),
         "traditional PKWARE encryption"},
        {"7z AES-128, deflate", sevenZip("AES128", "Deflate"), "AES-128 encryption"},
        {"7z AES-192, bzip2", sevenZip("AES192", "BZip2"), "AES-192 encryption"},
        {"7z AES-256, LZMA", sevenZip("AES256", "LZMA"), "AES-256 encryption"},
        {"7z AES-256, PPMd", sevenZip("AES256", "PPMd"), "AES-256 encryption"},
        {"7z AES-256, stored", sevenZip("AES256", "Copy"), "AES-256 encryption"},
        {"bsdtar traditional", bsdtar("traditional"), "traditional PKWARE encryption"},
        {"bsdtar aes128", bsdtar("aes128"), "AES-128 encryption"},
        {"bsdtar aes256", bsdtar("aes256"), "AES-256 encryption"},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString folder = scratch.filePath(QString::number(index++));
        QDir().mkpath(folder);
        const QString archive = folder + "/archive.zip";
        const ToolRun made = row.make(source, archive);
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
        const Opened opened = openIndexed(archive);
        ASSERT_TRUE(opened.index) << opened.problem.toStdString();
        const QString tried = probe + " is encrypted (" + row.encryption + ")";
        struct Given {
            std::vector<QByteArray> passwords;
            PasswordSearch::Outcome outcome;
            QString reason;
        };
        for (const Given& given :
             {Given{{}, PasswordSearch::Outcome::Missing, tried + ": it needs a password"},
              Given{{"wrong"},
                    PasswordSearch::Outcome::Wrong,
                    tried + ": the password given does not open it"},
              Given{{"wrong", "also wrong"},
                    PasswordSearch::Outcome::Wrong,
                    tried + ": none of the 2 passwords given opens it"},
              Given{{"wrong", password}, PasswordSearch::Outcome::Found, QString()}}) {
            ArchiveKeyring keyring;
            std::vector<SharedPassword> passwords;
            for (const QByteArray& each : given.passwords)
                passwords.push_back(makePassword(each));
            keyring.setPasswordsForAll(passwords);
            const Result<PasswordSearch> search =
                keyring.search(*opened.input, *opened.index, std::nullopt);
            ASSERT_TRUE(search) << search.reason().toStdString();
            EXPECT_EQ(search->outcome, given.outcome);
            EXPECT_EQ(search->reason, given.reason);
        }
        const std::map<QString, QByteArray> expected =
            extractedBy("7z", archive, folder + "/x", password);
        EXPECT_EQ(entryDigests(archive, password), expected);
        EXPECT_EQ(expected, filesOnly(treeDigests(source)));
    }
}

// The command line's passwords: none given, a wrong one, the right one
// among others in a file, one line of standard input; an encrypted archive
// no password opens is "Needs a password" and nothing of it is written;
// the passwords never show in what it prints.
TEST(ZipForms, PasswordsOnTheCommandLine) {
    if (toolsMissing({"zip", "7z"}))
        GTEST_SKIP() << "zip and 7z are needed (scripts/deps)";
    QTemporaryDir scratch;
    const QString content = scratch.filePath("content");
    writeSourceTree(content);
    const QString source = scratch.filePath("source");
    QDir().mkpath(source);
    const QString password = "right horse";
    ASSERT_EQ(
        runTool(content, {"zip", {"-q", "-r", "-P", password, source + "/zipcrypto.zip", "Pack"}})
            .exitCode,
        0);
    ASSERT_EQ(runTool(content, {"7z",
                                {"a", "-tzip", "-p" + password, "-mem=AES256", "-bd", "-bso0",
                                 "-bsp0", source + "/aes.zip", "Pack"}})
                  .exitCode,
              0);
    writeFile(scratch.filePath("wrong.txt"), "battery staple\n");
    writeFile(scratch.filePath("both.txt"), "battery staple\r\n\n" + password.toUtf8() + "\n");
    const QString wrong = scratch.filePath("wrong.txt");
    const QString both = scratch.filePath("both.txt");
    const QStringList installed = listRecursive(content + "/Pack");
    const QStringList none;
    const auto fromFile = [](const QString& file) { return QStringList{"--password-file", file}; };
    struct Row {
        const char* what;
        QStringList arguments; // after the command and its folders
        QByteArray input;      // standard input
        int exitCode;
        QString info;
        QString reasonEnd; // how REASON ends, when there is one
        bool installs;
    };
    const QString wrongOne = ": the password given does not open it";
    const std::vector<Row> rows = {
        {"analyze, none given", none, "", 0, "Needs a password", ": it needs a password", false},
        {"analyze, a wrong one", fromFile(wrong), "", 0, "Needs a password", wrongOne, false},
        {"analyze, from standard input", QStringList("--password-stdin"), password.toUtf8() + "\n",
         0, "OK", "", false},
        {"install, a wrong one", fromFile(wrong), "", 1, "Needs a password", wrongOne, false},
        {"install, none given", none, "", 1, "Needs a password", ": it needs a password", false},
        {"install, the second of a file", fromFile(both), "", 0, "Installed", "", true},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const bool install = QString(row.what).startsWith("install");
        const QString library = scratch.filePath("library" + QString::number(index++));
        QDir().mkpath(library);
        QStringList arguments = {install ? "install" : "analyze", source};
        if (install)
            arguments << library;
        arguments << row.arguments << "--json";
        const CliResult result = runCliWithInput(arguments, row.input);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err.toStdString();
        const QList<QJsonObject> records = result.records();
        ASSERT_EQ(records.size(), 2) << result.out.toStdString();
        for (const QJsonObject& record : records) {
            SCOPED_TRACE(record["FILENAME"].toString().toStdString());
            EXPECT_EQ(record["INFO"].toString(), row.info == "Installed" ? "OK" : row.info);
            if (row.info == "Installed") {
                EXPECT_EQ(record["STATE"].toInteger(), 9);
            }
            if (row.info == "Needs a password") {
                EXPECT_EQ(record["STATE"].toInteger(), -1);
                EXPECT_EQ(record["ERROR"].toInteger(), 4);
                EXPECT_TRUE(record["REASON"].toString().endsWith(row.reasonEnd))
                    << record["REASON"].toString().toStdString();
            }
        }
        EXPECT_EQ(listRecursive(library), row.installs ? installed : QStringList());
        EXPECT_FALSE(result.out.contains(password.toUtf8()) ||
                     result.err.contains(password.toUtf8()) || result.out.contains("battery"));
    }
    // A password file that cannot be read is a usage error.
    EXPECT_EQ(
        runCli({"analyze", source, "--password-file", scratch.filePath("missing.txt")}).exitCode,
        2);
}

// 65,535 entries fill the end record's 16-bit count exactly; from 65,536 on
// only the Zip64 end record holds it, or (without one) it wraps.
TEST(ZipForms, EntryCountsAroundSixteenBits) {
    if (toolsMissing({"zip", "unzip"}))
        GTEST_SKIP() << "zip and unzip are needed (scripts/deps)";
    QTemporaryDir scratch;
    const QString folder = scratch.filePath("many/d");
    QDir().mkpath(folder);
    for (int i = 1; i < 65535; ++i) { // with the folder's own entry: 65,535
        QFile file(folder + "/" + QString::number(i));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    struct Row {
        const char* what;
        QString archive;
        std::function<bool()> make;
        int entries;
    };
    const QString zip = scratch.filePath("65535.zip");
    const QString more = scratch.filePath("65536.zip");
    const auto zipInMany = [&](const QStringList& arguments) {
        return runTool(scratch.filePath("many"), {"zip", arguments}).exitCode == 0;
    };
    const std::vector<Row> rows = {
        {"zip -r, 65,535 entries", zip,
         [&] {
             return zipInMany({"-q", "-r", zip, "d"});
         },
         65535},
        {"zip, one more entry added: 65,536", more,
         [&] {
             writeFile(scratch.filePath("many/extra"), {});
             return QFile::copy(zip, more) && zipInMany({"-q", more, "extra"});
         },
         65536},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(row.make());
        const Listing listing = indexListing(row.archive);
        EXPECT_EQ(listing.problem, QString());
        EXPECT_EQ(listing.names.size(), row.entries);
        EXPECT_EQ(listing.names, unzipListing(row.archive));
    }

    // The 65,536 entries with the Zip64 end records cut out, as a writer that
    // knows none leaves them: the 16-bit count says 0.
    QByteArray bytes = readFile(more);
    const qsizetype end = bytes.lastIndexOf("PK\x05\x06");
    const qsizetype zip64 = bytes.lastIndexOf("PK\x06\x06", end);
    ASSERT_GT(zip64, 0);
    QByteArray endRecord = bytes.mid(end);
    const quint64 directoryOffset = qFromLittleEndian<quint64>(bytes.constData() + zip64 + 48);
    qToLittleEndian<quint16>(0, endRecord.data() + 8);
    qToLittleEndian<quint16>(0, endRecord.data() + 10);
    qToLittleEndian<quint32>(quint32(zip64 - qsizetype(directoryOffset)), endRecord.data() + 12);
    qToLittleEndian<quint32>(quint32(directoryOffset), endRecord.data() + 16);
    bytes.truncate(zip64);
    bytes.append(endRecord);
    const QString wrapped = scratch.filePath("wrapped.zip");
    writeFile(wrapped, bytes);
    EXPECT_EQ(indexListing(wrapped).names, indexListing(more).names);
}

// Archives that cannot be read say why: which parts of a split archive,
// which compression method.
TEST(ZipForms, RefusalsNameTheReason) {
    if (toolsMissing({"zip", "7z", "python3"}))
        GTEST_SKIP() << "zip, 7z and python3 are needed (scripts/deps)";
    QTemporaryDir scratch;
    const QString source = scratch.filePath("src");
    writeSourceTree(source);
    const Make split = tool({"zip", {"-q", "-r", "-s", "64k", "ARCHIVE", "Pack"}});
    struct Row {
        const char* what;
        Make make;
        QString archive; // which file of what was made is read
        QString reason;
    };
    const std::vector<Row> rows = {
        {"7z Deflate64",
         tool({"7z",
               {"a", "-tzip", "-bd", "-bso0", "-bsp0", "-mm=Deflate64", "ARCHIVE",
                "Pack/Runtime/text.txt"}}),
         "archive.zip", "unsupported compression method 9 deflate64 in Pack/Runtime/text.txt"},
        {"zip -s 64k, the last part", split, "archive.zip",
         "split archive: this is part PARTS of PARTS, its directory begins in part PARTS; "
         "only a whole archive can be read (join the parts first)"},
        {"zip -s 64k, the first part", split, "archive.z01",
         "split archive: this is its first part, the directory is in the last; only a whole "
         "archive can be read (join the parts first)"},
        {"an empty archive",
         tool(
             {"python3",
              {"-c", "import sys, zipfile; zipfile.ZipFile(sys.argv[1], 'w').close()", "ARCHIVE"}}),
         "archive.zip", "the archive is empty"},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString work = scratch.filePath(QString::number(index++));
        QDir().mkpath(work);
        ASSERT_EQ(row.make(source, work + "/archive.zip").exitCode, 0);
        // Parts are counted from 1: archive.z01 and on, then archive.zip.
        const qsizetype parts = QDir(work).entryList({"archive.z*"}).size();
        const QString reason = QString(row.reason).replace("PARTS", QString::number(parts));
        EXPECT_EQ(openIndexed(work + "/" + row.archive).problem, reason);
    }
}

namespace {

// The SHA-256 of an entry's content as `unzip -p` writes it, through
// sha256sum, so that no copy of a large entry lands on disk.
QByteArray unzipDigest(const QString& folder, const QString& archive, const QString& name) {
    const QString digestFile = folder + "/digest.txt";
    const ToolRun run =
        runPiped(folder, {"unzip", {"-p", archive, name}}, {"sha256sum", {}}, digestFile);
    return run.exitCode == 0 ? readFile(digestFile).left(64) : run.err;
}

// A file of `size` zero bytes that takes no room on disk.
bool writeSparse(const QString& path, qint64 size) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(size);
}

} // namespace

// Entries larger than 4 GiB and entries that begin beyond 4 GiB. Each row
// takes minutes and up to 9 GiB of disk, so the test runs only when asked:
// PACKSHELF_LARGE_TESTS=1 ctest -R ZipFormsLarge --output-on-failure
TEST(ZipFormsLarge, EntriesBeyondFourGiB) {
    if (qEnvironmentVariableIntValue("PACKSHELF_LARGE_TESTS") != 1)
        GTEST_SKIP() << "set PACKSHELF_LARGE_TESTS=1 to run (minutes, up to 9 GiB of disk)";
    if (toolsMissing({"zip", "unzip", "python3", "sha256sum"}))
        GTEST_SKIP() << "zip, unzip, python3 and sha256sum are needed";
    struct Row {
        const char* what;
        qint64 bigSize;
        std::function<Command(const QString& archive)> make;
    };
    const QStringList files = {"Pack/Runtime/big.bin", "Pack/Data/readme.txt"};
    const std::vector<Row> rows = {
        {"python3 zipfile: one deflated entry of 4,300 MiB", 4300 * MiB,
         [&](const QString& archive) { return pythonZip64(archive, "deflated", files); }},
        {"zip -0: a stored entry of 4,100 MiB, the next one beyond 4 GiB", 4100 * MiB,
         [&](const QString& archive) {
             return Command{"zip", QStringList{"-q", "-0", archive} + files};
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir scratch;
        const QString source = scratch.filePath("src");
        ASSERT_TRUE(writeSparse(source + "/Pack/Runtime/big.bin", row.bigSize));
        writeFile(source + "/Pack/Data/readme.txt", "read me\n");
        const QString archive = scratch.filePath("archive.zip");
        ASSERT_EQ(runTool(source, row.make(archive)).exitCode, 0);

        const Listing listing = indexListing(archive);
        EXPECT_EQ(listing.problem, QString());
        EXPECT_EQ(listing.names, unzipListing(archive));
        std::map<QString, QByteArray> expected;
        for (const QString& name : files)
            expected[name] = unzipDigest(scratch.path(), archive, name);
        EXPECT_EQ(entryDigests(archive), expected);

        expectInstalledAsUnzipExpands(archive, expected, scratch.path());
    }
}

namespace {

Result<ArchiveIndex> indexOf(const QByteArray& bytes, const QString& scratch) {
    writeFile(scratch + "/hostile.zip", bytes);
    const Result<std::unique_ptr<FileInput>> input =
        FileInput::openRegular(QFile::encodeName(scratch + "/hostile.zip"));
    if (!input)
        return input.failure();
    return readArchiveIndex(**input);
}

} // namespace

// Zip64 values are checked as the 32-bit ones are: nothing outside the
// file, no shared data, no count the directory cannot hold. The archive
// is forced to Zip64 throughout and then one value is changed.
TEST(ZipForms, HostileZip64ValuesAreRefused) {
    QTemporaryDir scratch;
    // The first entry's sizes follow its data, so that its local header
    // contradicts no size given to it.
    ZipWriter::Entry first = ZipWriter::entry("Runtime/a.bin", pseudoRandom(5000, 3));
    first.dataDescriptor = true;
    const QByteArray good = ZipWriter()
                                .setForceZip64(true)
                                .add(first)
                                .addFile("Runtime/b.bin", pseudoRandom(5000, 3))
                                .bytes();
    const Result<ArchiveIndex> goodIndex = indexOf(good, scratch.path());
    ASSERT_TRUE(goodIndex) << goodIndex.reason().toStdString();
    ASSERT_EQ(goodIndex->entries.size(), 2u);

    // Where the values lie: the Zip64 field of each central record (after
    // its 13-byte name) holds uncompressed size, compressed size, offset.
    const qsizetype firstCentral = good.indexOf("PK\x01\x02");
    const qsizetype secondCentral = good.indexOf("PK\x01\x02", firstCentral + 4);
    const auto centralValue = [](qsizetype central, int index) {
        return central + 46 + 13 + 4 + 8 * index;
    };
    // The second local header's Zip64 field.
    const qsizetype secondLocalSizes = good.indexOf("PK\x03\x04", 4) + 30 + 13 + 4;
    const qsizetype zip64End = good.indexOf("PK\x06\x06");
    struct Row {
        const char* what;
        std::function<void(QByteArray&)> change;
        QString problem;
    };
    const std::vector<Row> rows = {
        {"compressed size past the end of the file",
         [&](QByteArray& b) { set64(b, centralValue(firstCentral, 1), 1ull << 33); },
         "the data of Runtime/a.bin lies outside the archive"},
        {"local header offset past the end of the file",
         [&](QByteArray& b) { set64(b, centralValue(secondCentral, 2), 1ull << 33); },
         "damaged entry header of Runtime/b.bin"},
        {"both entries at one local header",
         [&](QByteArray& b) { set64(b, centralValue(secondCentral, 2), 0); },
         "entries share their data (a zip bomb)"},
        {"local and central sizes disagree",
         [&](QByteArray& b) { set64(b, secondLocalSizes, 4999); },
         "damaged entry header of Runtime/b.bin"},
        {"2^40 entries",
         [&](QByteArray& b) {
             set64(b, zip64End + 24, 1ull << 40);
             set64(b, zip64End + 32, 1ull << 40);
         },
         "the archive's directory is damaged"},
        {"a directory beyond the file", [&](QByteArray& b) { set64(b, zip64End + 48, 1ull << 40); },
         "the archive's directory is damaged"},
        {"one entry fewer than the directory holds",
         [&](QByteArray& b) {
             set64(b, zip64End + 24, 1);
             set64(b, zip64End + 32, 1);
         },
         "the archive's directory is damaged"},
        {"a split archive's Zip64 end record",
         [&](QByteArray& b) { qToLittleEndian<quint32>(2, b.data() + zip64End + 16); },
         "split archive: this is part 3 of 3, its directory begins in part 1; only a whole "
         "archive can be read (join the parts first)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QByteArray bytes = good;
        row.change(bytes);
        const Result<ArchiveIndex> index = indexOf(bytes, scratch.path());
        EXPECT_EQ(index.reason(), row.problem);
    }
}

// An archive nested in another is read by the same reader, Zip64 forms and
// all, whether it is held in memory or in a temporary file.
TEST(ZipForms, NestedZip64Archives) {
    QTemporaryDir scratch;
    ZipWriter::Entry streamed = ZipWriter::entry("Data/b.txt", QByteArray(3000, 'b'));
    streamed.dataDescriptor = true;
    const QByteArray inner = ZipWriter()
                                 .setForceZip64(true)
                                 .addFile("Runtime/a.bin", pseudoRandom(70000, 5), 0)
                                 .add(streamed)
                                 .bytes();
    const QByteArray outer =
        ZipWriter().setForceZip64(true).setPrefix("stub").addFile("inner.zip", inner).bytes();
    MemoryInput input(outer);
    const Result<ArchiveIndex> read = readArchiveIndex(input);
    ASSERT_EQ(read.reason(), QString());
    const ArchiveIndex& index = *read;
    ASSERT_EQ(index.entries.size(), 1u);
    for (bool inMemory : {true, false}) {
        SCOPED_TRACE(inMemory ? "in memory" : "in a temporary file");
        NestedBudget budget;
        std::vector<std::unique_ptr<NestedArchive>> ballast; // spends the memory budget
        while (!inMemory && budget.memoryLeft() >= quint64(inner.size())) {
            Result<std::unique_ptr<NestedArchive>> loaded =
                NestedArchive::load(input, index.entries[0], budget, scratch.path());
            ASSERT_TRUE(loaded) << loaded.reason().toStdString();
            ballast.push_back(std::move(*loaded));
        }
        const Result<std::unique_ptr<NestedArchive>> loaded =
            NestedArchive::load(input, index.entries[0], budget, scratch.path());
        ASSERT_TRUE(loaded) << loaded.reason().toStdString();
        const std::unique_ptr<NestedArchive>& nested = *loaded;
        const Result<ArchiveIndex> nestedRead = readArchiveIndex(nested->input());
        ASSERT_EQ(nestedRead.reason(), QString());
        const ArchiveIndex& nestedIndex = *nestedRead;
        QStringList contents;
        for (const IndexEntry& entry : nestedIndex.entries) {
            QByteArray content;
            EXPECT_TRUE(readEntryData(nested->input(), entry, [&](const char* data, size_t size) {
                            content.append(data, qsizetype(size));
                            return true;
                        }).ok());
            contents << entry.name + "=" + QString::number(ZipWriter::crc32Of(content));
        }
        EXPECT_EQ(
            contents,
            QStringList(
                {"Runtime/a.bin=" + QString::number(ZipWriter::crc32Of(pseudoRandom(70000, 5))),
                 "Data/b.txt=" + QString::number(ZipWriter::crc32Of(QByteArray(3000, 'b')))}));
    }
}

namespace {

// 2020-01-02 12:00:00 UTC, an even second as MS-DOS dates keep them.
constexpr qint64 SourceTime = 1577966400;
// Times only the UTC fields of hand-made entries hold; their MS-DOS date
// says 2009-06-15 13:53:30.
constexpr qint64 NtfsTime = 1700000000;
constexpr qint64 StampTime = 1600000000;
constexpr qint64 JapanOffset = 9 * 3600;

// The tools make their archives in Japan, whose MS-DOS dates run nine
// hours ahead of UTC, while the test reads in UTC.
Command inJapan(const Command& command) {
    return {"env", QStringList{"TZ=Asia/Tokyo", command.program} + command.arguments};
}

// The Info-ZIP Unicode Path field for `utf8`, written for the raw name
// whose CRC-32 is `nameCrc`.
QByteArray unicodePathField(const QByteArray& utf8, quint32 nameCrc) {
    return ZipWriter::extraField(0x7075, QByteArray(1, '\1') + le32(nameCrc) + utf8);
}

// An NTFS field whose modification time is `unixTime`.
QByteArray ntfsField(qint64 unixTime) {
    const quint64 ticks = quint64(unixTime + 11'644'473'600) * 10'000'000;
    return ZipWriter::extraField(0x000a, le32(0) + le16(1) + le16(24) + le64(ticks) + le64(ticks) +
                                             le64(ticks));
}

// An extended timestamp field holding the modification time only.
QByteArray stampField(qint64 unixTime) {
    return ZipWriter::extraField(0x5455, QByteArray(1, '\1') + le32(quint32(unixTime)));
}

ZipWriter::Entry unixEntry(const QByteArray& name, const QByteArray& data, quint32 mode) {
    ZipWriter::Entry entry = ZipWriter::entry(name, data);
    entry.versionMadeBy = (3 << 8) | 30;
    entry.externalAttributes = mode << 16;
    return entry;
}

// Writes a package holding `entry` beside a readme, as a Windows or macOS
// tool would write it.
Make handMade(ZipWriter::Entry entry) {
    return [entry](const QString&, const QString& archive) {
        ZipWriter writer;
        writer.addFile("Pack/Data/readme.txt", "hello\n");
        writer.add(entry);
        return ToolRun{writer.writeTo(archive) ? 0 : 1, {}, {}};
    };
}

struct Installed {
    char type = '-'; // f file, d folder, '-' nothing
    quint32 mode = 0;
    qint64 time = 0;
    bool operator==(const Installed&) const = default;
};

void PrintTo(const Installed& installed, std::ostream* out) {
    *out << installed.type << " mode " << std::oct << installed.mode << std::dec << " time "
         << installed.time;
}

Installed installedAt(const QString& path) {
    struct ::stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    if (S_ISDIR(st.st_mode))
        return {'d', 0, 0};
    return {S_ISREG(st.st_mode) ? 'f' : '?', quint32(st.st_mode & 07777), qint64(st.st_mtime)};
}

// What the index holds for the entry named: its kind, permission bits and
// modification time; or why it holds none.
QString describedAs(IndexEntry::Kind kind, quint32 mode, qint64 time) {
    const char* const kinds[] = {"file", "folder", "link"};
    return QStringLiteral("%1 %2 %3").arg(kinds[int(kind)]).arg(mode, 0, 8).arg(time);
}

QString indexedAs(const QString& archive, const QString& name) {
    const Opened opened = openIndexed(archive);
    if (!opened.index)
        return opened.problem;
    for (const IndexEntry& entry : opened.index->entries) {
        if (entry.name == name)
            return describedAs(entry.kind, entry.unixMode, entry.modifiedTime());
    }
    if (opened.index->refused.contains(name))
        return "refused " + name;
    return "not in the index: " + indexListing(archive).names.join(", ");
}

} // namespace

// Names, kinds, permission bits and times as the tools that made an
// archive meant them: each row says what a trusted reader lists, what the
// index holds for the entry, and what the install writes for it.
TEST(ZipForms, NamesKindsModesAndTimesAsTheirMakersMeantThem) {
    if (toolsMissing({"zip", "unzip", "python3", "bsdtar", "7z", "env"}))
        GTEST_SKIP() << "zip, unzip, python3, bsdtar and 7z are needed (scripts/deps)";
    qputenv("TZ", "UTC");
    ::tzset();
    ::umask(022);
    QTemporaryDir scratch;
    const QString source = scratch.filePath("src");
    const QString japanese = QString::fromUtf8("日本語.txt");
    for (const QString& file : QStringList{"Pack/Runtime/run.sh", "Pack/Data/readme.txt",
                                           QString("Pack/Data/" + japanese)})
        writeFile(source + "/" + file, "#!/bin/sh\n");
    ASSERT_EQ(::chmod(QFile::encodeName(source + "/Pack/Runtime/run.sh").constData(), 0755), 0);
    ASSERT_EQ(::symlink("run.sh", QFile::encodeName(source + "/Pack/Runtime/link.sh").constData()),
              0);
    for (const QString& path : listRecursive(source)) {
        const struct timespec times[2] = {{SourceTime, 0}, {SourceTime, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(source + "/" + path).constData(), times,
                    AT_SYMLINK_NOFOLLOW);
    }

    const QByteArray shiftJis = "\x93\xfa\x96\x7b\x8c\xea.txt";
    ZipWriter::Entry unicode = ZipWriter::entry("Pack/Data/" + shiftJis, "jp\n");
    unicode.centralExtra = unicodePathField("Pack/Data/" + japanese.toUtf8(),
                                            ZipWriter::crc32Of("Pack/Data/" + shiftJis));
    ZipWriter::Entry stale = ZipWriter::entry("Pack/Data/renamed.txt", "old\n");
    stale.centralExtra =
        unicodePathField("Pack/Data/original.txt", ZipWriter::crc32Of("Pack/Data/original.txt"));
    ZipWriter::Entry dosBackslash = ZipWriter::entry("Pack\\Data\\dos.txt", "dos\n");
    ZipWriter::Entry dosFolder = ZipWriter::entry("Pack/Data/dosfolder", "", 0);
    dosFolder.externalAttributes = 0x10;
    ZipWriter::Entry zeroLocal = ZipWriter::entry("Pack/Data/zero.txt", "zero local values\n");
    zeroLocal.zeroLocalValues = true;
    ZipWriter::Entry ntfs = ZipWriter::entry("Pack/Data/ntfs.txt", "ntfs\n");
    ntfs.centralExtra = ntfsField(NtfsTime);
    ZipWriter::Entry stamp = unixEntry("Pack/Runtime/stamp.sh", "stamp\n", 0100755);
    stamp.localExtra = stampField(StampTime);
    stamp.centralExtra = stampField(StampTime);
    ZipWriter::Entry link = unixEntry("Pack/Runtime/libfoo.so", "libfoo.so.1", 0120777);

    // The MS-DOS date of the hand-made entries, 2009-06-15 13:53:30, read
    // in UTC.
    const qint64 dosTime = 1245074010;
    const auto zipinfo = [](const QString& archive) { return Command{"unzip", {"-Z", archive}}; };
    const auto unzipExpand = [](const QString& archive) {
        return Command{"unzip", {"-o", archive, "-d", "x"}};
    };
    const auto sevenZip = [](const QString& archive) {
        return Command{"7z", {"l", "-slt", "-bd", archive}};
    };
    const auto python = [](const QString& archive) {
        return Command{"python3",
                       {"-c",
                        "import sys, zipfile\n"
                        "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
                        "    print(i.filename, oct(i.external_attr >> 16), i.is_dir(), "
                        "len(zipfile.ZipFile(sys.argv[1]).read(i)))\n",
                        archive}};
    };
    using Kind = IndexEntry::Kind;
    struct Row {
        const char* what;
        Make make;
        std::function<Command(const QString& archive)> reference;
        QString says;  // a line of what the reference lists
        QString entry; // the entry's name in the index
        Kind kind;
        quint32 mode;    // its permission bits in the index
        qint64 time;     // its modification time
        QString written; // where the install writes it, below the library
        Installed installed;
    };
    const std::vector<Row> rows = {
        {"zip -r: extended timestamp, Unix modes",
         tool(inJapan({"zip", {"-q", "-r", "ARCHIVE", "Pack"}})), zipinfo,
         "-rwxr-xr-x  3.0 unx       10 tx stor 20-Jan-02 12:00 Pack/Runtime/run.sh",
         "Pack/Runtime/run.sh", Kind::File, 0755, SourceTime, "Runtime/run.sh",
         Installed{'f', 0755, SourceTime}},
        {"zip -r: a UTF-8 name", tool(inJapan({"zip", {"-q", "-r", "ARCHIVE", "Pack"}})), zipinfo,
         "Pack/Data/" + japanese, "Pack/Data/" + japanese, Kind::File, 0644, SourceTime,
         "Data/" + japanese, Installed{'f', 0644, SourceTime}},
        {"zip -r -y: a symbolic link",
         tool(inJapan({"zip", {"-q", "-r", "-y", "ARCHIVE", "Pack"}})), zipinfo,
         "lrwxrwxrwx  3.0 unx        6 bx stor 20-Jan-02 12:00 Pack/Runtime/link.sh",
         "Pack/Runtime/link.sh", Kind::Link, 0777, SourceTime, "Runtime/link.sh", Installed{}},
        {"python3 zipfile: an MS-DOS date in the maker's time, Unix modes",
         tool(inJapan({"python3",
                       {"-c",
                        "import sys, zipfile\n"
                        "with zipfile.ZipFile(sys.argv[1], 'w') as zf:\n"
                        "    zf.write('Pack/Runtime/run.sh')\n"
                        "    zf.write('Pack/Data/readme.txt')\n",
                        "ARCHIVE"}})),
         python, "Pack/Runtime/run.sh 0o100755 False 10", "Pack/Runtime/run.sh", Kind::File, 0755,
         SourceTime + JapanOffset, "Runtime/run.sh",
         Installed{'f', 0755, SourceTime + JapanOffset}},
        {"7z a -tzip: NTFS times",
         tool(inJapan({"7z", {"a", "-tzip", "-bd", "-bso0", "-bsp0", "ARCHIVE", "Pack"}})),
         sevenZip, "Modified = 2020-01-02 12:00:00", "Pack/Runtime/run.sh", Kind::File, 0755,
         SourceTime, "Runtime/run.sh", Installed{'f', 0755, SourceTime}},
        {"bsdtar --format zip: extended timestamp, Unix modes",
         tool(inJapan({"bsdtar", {"-c", "--format", "zip", "-f", "ARCHIVE", "Pack"}})), zipinfo,
         "-rwxr-xr-x  2.0 unx       10 bX defN 20-Jan-02 12:00 Pack/Runtime/run.sh",
         "Pack/Runtime/run.sh", Kind::File, 0755, SourceTime, "Runtime/run.sh",
         Installed{'f', 0755, SourceTime}},
        {"bsdtar --format zip: a symbolic link",
         tool(inJapan({"bsdtar", {"-c", "--format", "zip", "-f", "ARCHIVE", "Pack"}})), zipinfo,
         "lrwxrwxrwx  2.0 unx        6 bx stor 20-Jan-02 12:00 Pack/Runtime/link.sh",
         "Pack/Runtime/link.sh", Kind::Link, 0777, SourceTime, "Runtime/link.sh", Installed{}},
        {"Unicode Path field over a Shift-JIS name", handMade(unicode), sevenZip,
         "Path = Pack/Data/" + japanese, "Pack/Data/" + japanese, Kind::File, 0, dosTime,
         "Data/" + japanese, Installed{'f', 0644, dosTime}},
        {"stale Unicode Path field", handMade(stale), sevenZip, "Path = Pack/Data/renamed.txt",
         "Pack/Data/renamed.txt", Kind::File, 0, dosTime, "Data/renamed.txt",
         Installed{'f', 0644, dosTime}},
        {"Shift-JIS name without a Unicode Path field",
         handMade(ZipWriter::entry("Pack/Data/" + shiftJis, "jp\n")), python,
         QString::fromUtf8("Pack/Data/ô·û{îΩ.txt 0o0 False 3"),
         QString::fromUtf8("Pack/Data/ô·û{îΩ.txt"), Kind::File, 0, dosTime,
         QString::fromUtf8("Data/ô·û{îΩ.txt"), Installed{'f', 0644, dosTime}},
        {"backslash in a name made on Unix",
         handMade(unixEntry("Pack/Data/a\\b.txt", "ab\n", 0100644)), python,
         "Pack/Data/a\\b.txt 0o100644 False 3", "Pack/Data/a\\b.txt", Kind::File, 0644, dosTime,
         "Data/a\\b.txt", Installed{'f', 0644, dosTime}},
        {"backslashes in a name made on MS-DOS", handMade(dosBackslash), unzipExpand,
         "inflating: x/Pack/Data/dos.txt", "Pack/Data/dos.txt", Kind::File, 0, dosTime,
         "Data/dos.txt", Installed{'f', 0644, dosTime}},
        {"folder known by the MS-DOS attribute only", handMade(dosFolder), sevenZip, "Folder = +",
         "Pack/Data/dosfolder", Kind::Folder, 0, dosTime, "Data/dosfolder", Installed{'d', 0, 0}},
        {"folder known by the Unix mode only",
         handMade(unixEntry("Pack/Data/unixfolder", "", 040755)), python,
         "Pack/Data/unixfolder 0o40755 False 0", "Pack/Data/unixfolder", Kind::Folder, 0755,
         dosTime, "Data/unixfolder", Installed{'d', 0, 0}},
        {"local header with CRC-32 and sizes 0", handMade(zeroLocal), python,
         "Pack/Data/zero.txt 0o0 False 18", "Pack/Data/zero.txt", Kind::File, 0, dosTime,
         "Data/zero.txt", Installed{'f', 0644, dosTime}},
        {"NTFS time", handMade(ntfs), sevenZip, "Modified = 2023-11-14 22:13:20",
         "Pack/Data/ntfs.txt", Kind::File, 0, NtfsTime, "Data/ntfs.txt",
         Installed{'f', 0644, NtfsTime}},
        {"extended timestamp", handMade(stamp), zipinfo,
         "-rwxr-xr-x  3.0 unx        6 bx defN 20-Sep-13 12:26 Pack/Runtime/stamp.sh",
         "Pack/Runtime/stamp.sh", Kind::File, 0755, StampTime, "Runtime/stamp.sh",
         Installed{'f', 0755, StampTime}},
        {"setuid, setgid and sticky bits",
         handMade(unixEntry("Pack/Runtime/setid", "id\n", 0107755)), zipinfo,
         "-rwsr-sr-t  3.0 unx        3 b- defN 09-Jun-15 13:53 Pack/Runtime/setid",
         "Pack/Runtime/setid", Kind::File, 07755, dosTime, "Runtime/setid",
         Installed{'f', 0755, dosTime}},
        {"symbolic link made by hand", handMade(link), zipinfo,
         "lrwxrwxrwx  3.0 unx       11 b- defN 09-Jun-15 13:53 Pack/Runtime/libfoo.so",
         "Pack/Runtime/libfoo.so", Kind::Link, 0777, dosTime, "Runtime/libfoo.so", Installed{}},
    };
    int number = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString folder = scratch.filePath(QString::number(number++));
        QDir().mkpath(folder + "/source");
        QDir().mkpath(folder + "/library");
        const QString archive = folder + "/source/package.zip";
        const ToolRun made = row.make(source, archive);
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();

        const ToolRun reference = runTool(folder, row.reference(archive));
        EXPECT_TRUE(QString::fromUtf8(reference.out).contains(row.says))
            << reference.out.toStdString();

        EXPECT_EQ(indexedAs(archive, row.entry), describedAs(row.kind, row.mode, row.time));

        const CliResult install = runCli({"install", folder + "/source", folder + "/library"});
        EXPECT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();
        EXPECT_EQ(installedAt(folder + "/library/" + row.written), row.installed);
        EXPECT_EQ(install.out.contains("a link passed over: " + row.entry.toUtf8()),
                  row.kind == Kind::Link)
            << install.out.toStdString();
        EXPECT_EQ(installedAt(folder + "/library/Data/readme.txt").type, 'f');
    }
}

// Hostile or broken name fields, time fields and attributes: a Unicode Path
// field is held to the same checks as the header's name, and a field that
// cannot be read says nothing.
TEST(ZipForms, DamagedNameAndTimeFieldsSayNothing) {
    qputenv("TZ", "UTC");
    ::tzset();
    QTemporaryDir scratch;
    const qint64 dosTime = 1245074010; // the MS-DOS date ZipWriter writes, read in UTC
    const QByteArray raw = "Pack/Data/plain.txt";
    const auto withCentralExtra = [&](const QByteArray& extra) {
        ZipWriter::Entry entry = ZipWriter::entry(raw, "data\n");
        entry.centralExtra = extra;
        return entry;
    };
    const auto unicode = [&](const QByteArray& utf8) {
        return withCentralExtra(unicodePathField(utf8, ZipWriter::crc32Of(raw)));
    };
    const auto stampFlags = [](char flags, qint64 time) {
        return ZipWriter::extraField(0x5455, QByteArray(1, flags) + le32(quint32(time)));
    };
    ZipWriter::Entry dosFolderWithData = ZipWriter::entry(raw, "data\n");
    dosFolderWithData.externalAttributes = 0x10;
    ZipWriter::Entry dosMadeLink = ZipWriter::entry(raw, "target");
    dosMadeLink.externalAttributes = 0120777u << 16;
    struct Row {
        const char* what;
        ZipWriter::Entry entry;
        QString name; // the name to look up
        QString expected;
    };
    const QString plain = QString::fromUtf8(raw);
    const std::vector<Row> rows = {
        {"Unicode Path field climbing out", unicode("Pack/../../escape.txt"),
         "Pack/../../escape.txt", "refused Pack/../../escape.txt"},
        {"Unicode Path field from the root", unicode("/etc/passwd"), "/etc/passwd",
         "refused /etc/passwd"},
        {"Unicode Path field holding a NUL", unicode(QByteArray("Pack/Data/a\0b.txt", 17)),
         QString::fromUtf8("Pack/Data/a\0b.txt", 17),
         "refused " + QString::fromUtf8("Pack/Data/a\0b.txt", 17)},
        {"Unicode Path field that is not UTF-8", unicode("Pack/Data/\xff\xfe.txt"), plain,
         "file 0 " + QString::number(dosTime)},
        {"Unicode Path field of version 2",
         withCentralExtra(ZipWriter::extraField(
             0x7075, QByteArray(1, '\2') + le32(ZipWriter::crc32Of(raw)) + "Pack/Data/x.txt")),
         plain, "file 0 " + QString::number(dosTime)},
        {"Unicode Path field cut short",
         withCentralExtra(ZipWriter::extraField(0x7075, QByteArray(1, '\1') + le16(1))), plain,
         "file 0 " + QString::number(dosTime)},
        {"Unicode Path field running past the extra data",
         withCentralExtra(unicodePathField("Pack/Data/x.txt", ZipWriter::crc32Of(raw)).chopped(3)),
         plain, "file 0 " + QString::number(dosTime)},
        {"NTFS attribute running past its field",
         withCentralExtra(ZipWriter::extraField(0x000a, le32(0) + le16(1) + le16(24) + le64(1))),
         plain, "file 0 " + QString::number(dosTime)},
        {"NTFS times attribute too short",
         withCentralExtra(ZipWriter::extraField(0x000a, le32(0) + le16(1) + le16(4) + le32(7))),
         plain, "file 0 " + QString::number(dosTime)},
        {"NTFS field after an unknown attribute",
         withCentralExtra(ZipWriter::extraField(0x000a, le32(0) + le16(2) + le16(2) + le16(0) +
                                                            le16(1) + le16(24) +
                                                            ntfsField(NtfsTime).mid(12))),
         plain, "file 0 " + QString::number(NtfsTime)},
        {"extended timestamp without its modification time",
         withCentralExtra(stampFlags('\2', StampTime)), plain,
         "file 0 " + QString::number(dosTime)},
        {"extended timestamp before 1970", withCentralExtra(stampFlags('\1', -86400)), plain,
         "file 0 -86400"},
        {"extended timestamp cut short",
         withCentralExtra(ZipWriter::extraField(0x5455, QByteArray(1, '\1') + le16(1))), plain,
         "file 0 " + QString::number(dosTime)},
        {"MS-DOS folder attribute on an entry with data", dosFolderWithData, plain,
         "file 0 " + QString::number(dosTime)},
        {"Unix folder mode on an entry with data", unixEntry(raw, "data\n", 040755), plain,
         "file 755 " + QString::number(dosTime)},
        {"link mode on an entry made on MS-DOS", dosMadeLink, plain,
         "file 0 " + QString::number(dosTime)},
    };
    int number = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString archive = scratch.filePath(QString::number(number++) + ".zip");
        ASSERT_EQ(handMade(row.entry)(QString(), archive).exitCode, 0);
        EXPECT_EQ(indexedAs(archive, row.name), row.expected);
    }
}
