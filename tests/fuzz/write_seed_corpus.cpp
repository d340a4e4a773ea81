// Writes the seeds of the fuzz targets into a folder, one file each: the
// hostile corpus and the Zip64 forms (zip), 7z archives made by the `7z`
// and `bsdtar` tools when they are installed (started without a shell),
// RAR 4 and RAR 5 archives written here, and the outcomes a reader process
// answers for the zip seeds. With --named, under the archives' own names,
// to try them by hand.
// Usage: packshelf-seed-corpus DIR [--named] [--kind zip|7z|rar4|rar5|outcome|all]
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "analysis/Analyzer.h"
#include "readers/ReaderMessages.h"
#include "tests/support/HostileCorpus.h"
#include "tests/support/RarWriter.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf::test;

namespace {

struct Seed {
    QString name;
    QByteArray bytes;
};

std::vector<Seed> zipSeeds() {
    std::vector<Seed> seeds;
    for (const HostileArchive& archive : hostileCorpus(false))
        seeds.push_back({archive.fileName, archive.bytes});
    // Zip64 forms, as `zip -fz` and streaming writers make them: every size
    // and offset in the Zip64 extended-information field, with 64-bit data
    // descriptors, behind a self-extractor's stub, nested.
    const auto zip64 = [](bool descriptors, const QByteArray& prefix) {
        ZipWriter writer;
        writer.setForceZip64(true).setPrefix(prefix);
        ZipWriter::Entry text = ZipWriter::entry("Pack/Runtime/a.txt", QByteArray(300, 'a'));
        ZipWriter::Entry stored = ZipWriter::entry("Pack/Data/b.txt", "b", 0);
        text.dataDescriptor = stored.dataDescriptor = descriptors;
        return writer.addFolder("Pack/Empty").add(text).add(stored);
    };
    seeds.push_back({"zip64.zip", zip64(false, {}).bytes()});
    seeds.push_back({"zip64-descriptors.zip", zip64(true, {}).bytes()});
    seeds.push_back({"zip64-sfx.zip", zip64(false, QByteArray("MZ stub ").repeated(8)).bytes()});
    seeds.push_back(
        {"zip64-nested.zip",
         zip64(true, {}).addFile("Pack/inner.zip", zip64(false, {}).bytes(), 0).bytes()});
    const QByteArray inner = ZipWriter().addFile("Data/d.txt", "d").bytes();
    seeds.push_back({"plain.zip", ZipWriter()
                                      .addFile("Pack/Runtime/a.txt", "a")
                                      .addFile("Pack/Data/b.txt", QByteArray(300, 'b'))
                                      .addFile("Pack/extra.zip", inner, 0)
                                      .addFolder("Empty")
                                      .bytes()});
    return seeds;
}

// The package the 7z and RAR seeds hold: text that compresses, bytes that
// do not, an empty file, an empty folder and a nested zip.
struct Package {
    QTemporaryDir root;
    std::vector<std::pair<QByteArray, QByteArray>> files; // path, content
    std::vector<QByteArray> folders;

    Package() {
        QByteArray random(2048, '\0');
        QRandomGenerator(35).fillRange(reinterpret_cast<quint32*>(random.data()),
                                       random.size() / 4);
        folders = {"Pack", "Pack/Runtime", "Pack/Data", "Pack/Empty"};
        files = {{"Pack/Runtime/a.txt", QByteArray("alpha ").repeated(50)},
                 {"Pack/Runtime/empty.txt", {}},
                 {"Pack/Data/b.bin", random},
                 {"Pack/Data/Caf\xc3\xa9.txt", "data"},
                 {"Pack/extra.zip", ZipWriter().addFile("Data/d.txt", "d").bytes()}};
        for (const QByteArray& folder : folders)
            QDir().mkpath(root.filePath(QString::fromUtf8(folder)));
        for (const auto& [path, content] : files)
            writeFile(root.filePath(QString::fromUtf8(path)), content);
    }
};

bool run(const QString& tool, const QStringList& arguments, const QString& folder) {
    if (QStandardPaths::findExecutable(tool).isEmpty())
        return false;
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(tool, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

std::vector<Seed> sevenZipSeeds() {
    const Package package;
    const QString folder = package.root.path();
    const QList<QStringList> variants = {
        {},
        {"-ms=off"},
        {"-mx=0"},
        {"-m0=LZMA"},
        {"-m0=PPMd"},
        {"-m0=BZip2"},
        {"-m0=Deflate"},
        {"-m0=Deflate64"},
        {"-mf=BCJ"},
        {"-pSecret"},
        {"-pSecret", "-mhe=on"},
    };
    std::vector<Seed> seeds;
    int made = 0;
    for (const QStringList& options : variants) {
        const QString path = folder + QStringLiteral("/seed-%1.7z").arg(made);
        if (run("7z", QStringList{"a", "-bd", "-y"} + options + QStringList{path, "Pack"}, folder))
            seeds.push_back({QStringLiteral("7z%1.7z").arg(options.join("")), readFile(path)});
        QFile::remove(path);
        ++made;
    }
    const QString tar = folder + "/bsdtar.7z";
    if (run("bsdtar", {"--format", "7zip", "-cf", tar, "Pack"}, folder))
        seeds.push_back({"bsdtar.7z", readFile(tar)});
    return seeds;
}

std::vector<Seed> rarSeeds(RarWriter::Version version) {
    const Package package;
    const auto whole = [&] {
        RarWriter writer(version);
        for (const QByteArray& folder : package.folders)
            writer.addFolder(folder);
        for (const auto& [path, content] : package.files)
            writer.addFile(path, content);
        return writer;
    };
    RarWriter many(version);
    for (int i = 0; i < 40; ++i)
        many.addFile("Runtime/f" + QByteArray::number(i) + ".txt", QByteArray::number(i));
    const QString suffix = version == RarWriter::Version::Rar4 ? "4.rar" : "5.rar";
    std::vector<Seed> seeds = {
        {"whole" + suffix, whole().bytes()},
        {"volume" + suffix, whole().setVolume(true).bytes()},
        {"many" + suffix, many.bytes()},
        {"unsafe" + suffix, whole().addFile("../evil.txt", "evil").bytes()},
        {"empty" + suffix, RarWriter(version).addFile("Runtime/empty", {}).bytes()},
    };
    if (version == RarWriter::Version::Rar4)
        seeds.push_back(
            {"encrypted" + suffix, whole().add({"Runtime/secret.txt", "x", false, true}).bytes()});
    return seeds;
}

// What a reader answers for each zip seed, analysed here.
std::vector<Seed> outcomeSeeds() {
    QTemporaryDir folder;
    std::vector<Seed> seeds;
    for (const Seed& archive : zipSeeds()) {
        writeFile(folder.filePath("archive.zip"), archive.bytes);
        packshelf::AnalyzerJob job;
        job.sourceDir = folder.path();
        job.workDir = folder.path();
        job.data = packshelf::ArchiveItem::create("archive.zip");
        packshelf::analyzerThread(job, [&](packshelf::AnalyzerReport report) {
            seeds.push_back(
                {archive.name + ".outcome", packshelf::readerwire::encodeOutcome(report.data)});
        });
    }
    seeds.push_back({"hello", packshelf::readerwire::encodeHello({1, "Landlock ABI 7"})});
    return seeds;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool named = arguments.removeAll("--named") > 0;
    QString kind = QStringLiteral("all");
    if (const qsizetype at = arguments.indexOf("--kind"); at >= 0 && at + 1 < arguments.size()) {
        kind = arguments.takeAt(at + 1);
        arguments.removeAt(at);
    }
    const QStringList kinds{"zip", "7z", "rar4", "rar5", "outcome", "all"};
    if (arguments.size() != 1 || !kinds.contains(kind)) {
        std::fputs("usage: packshelf-seed-corpus DIR [--named] "
                   "[--kind zip|7z|rar4|rar5|outcome|all]\n",
                   stderr);
        return 2;
    }
    std::vector<Seed> seeds;
    const auto take = [&](std::vector<Seed> more) {
        for (Seed& seed : more)
            seeds.push_back(std::move(seed));
    };
    if (kind == "zip" || kind == "all")
        take(zipSeeds());
    if (kind == "7z" || kind == "all")
        take(sevenZipSeeds());
    if (kind == "rar4" || kind == "all")
        take(rarSeeds(RarWriter::Version::Rar4));
    if (kind == "rar5" || kind == "all")
        take(rarSeeds(RarWriter::Version::Rar5));
    if (kind == "outcome")
        take(outcomeSeeds());
    const QString dir = arguments.first();
    QDir().mkpath(dir);
    int index = 0;
    for (const Seed& seed : seeds) {
        const QString name = named ? seed.name : QStringLiteral("seed-%1").arg(index++);
        if (!writeFile(dir + "/" + name, seed.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(dir + "/" + name));
            return 1;
        }
    }
    std::printf("%zu seeds written\n", seeds.size());
    return seeds.empty() ? 1 : 0;
}
