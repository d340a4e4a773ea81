#include "bench/BenchCorpus.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "bench/CorpusGenerator.h"
#include "bench/StoredZipWriter.h"

namespace packshelf::bench {

namespace {

constexpr qsizetype MiB = 1024 * 1024;
constexpr quint64 HugeEntrySize = 4ull * 1024 * MiB + MiB;

// Words in a seeded order: compresses about as well as real text files,
// different for every index and every variant.
QByteArray textFile(int index, qsizetype size, int variant = 0) {
    static const char* const Words[] = {"mesh",   "texture", "vertex", "normal",  "scenery",
                                        "object", "layer",   "north",  "airport", "runway",
                                        "light",  "shadow",  "0.25",   "1024",    "-17.5"};
    QRandomGenerator words((quint32(index) * 2654435761u) ^ (quint32(variant) * 0x9e3779b9u));
    QByteArray text;
    text.reserve(size + 16);
    while (text.size() < size) {
        text.append(Words[words.bounded(int(std::size(Words)))]);
        text.append(words.bounded(8) == 0 ? '\n' : ' ');
    }
    return text.left(size);
}

// Bytes that do not compress, the same for the same seed.
QByteArray incompressible(qsizetype size, quint32 seed) {
    // Filled in whole words, so a size that is not a multiple of four has no
    // undefined bytes at its end.
    QByteArray bytes((size + 3) / 4 * 4, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    bytes.truncate(size);
    return bytes;
}

QByteArray archiveBytes(const FileList& files) {
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("nested.zip"));
    QFile file(path);
    if (scratch.isValid() && writeArchive(path, files) && file.open(QIODevice::ReadOnly))
        return file.readAll();
    return {};
}

// Text file sizes: `least` plus a share of `spread` that the index picks.
struct TextSizes {
    qsizetype least;
    qsizetype spread;
};
constexpr TextSizes SmallText{1024, 3072};
constexpr TextSizes MediumText{4096, 24934}; // 16.5 KB on average

void addTextFiles(FileList& files, const QString& folder, int count, int firstIndex,
                  TextSizes sizes = SmallText, int variant = 0) {
    for (int i = 0; i < count; ++i) {
        const int index = firstIndex + i;
        const qsizetype size = sizes.least + qsizetype(index) * 7919 % sizes.spread;
        files.append({QStringLiteral("%1/dir%2/file%3.txt").arg(folder).arg(i / 100).arg(index),
                      textFile(index, size, variant)});
    }
}

bool makeManySmallCase(const QString& folder, int scale, int variant) {
    FileList files;
    const int count = 3200 * scale;
    const int runtime = count * 3 / 4;
    addTextFiles(files, QStringLiteral("Many Small/Runtime"), runtime, 0, MediumText, variant);
    addTextFiles(files, QStringLiteral("Many Small/Data"), count - runtime, runtime, MediumText,
                 variant);
    return writeArchive(QDir(folder).filePath(QStringLiteral("Many Small Files.zip")), files);
}

bool makeTexturesCase(const QString& folder, int scale, int variant) {
    StoredZipWriter zip(QDir(folder).filePath(QStringLiteral("Textures.zip")));
    for (int i = 0; i < 60 * scale; ++i) {
        const qsizetype size = (2 + i % 7) * MiB + qsizetype(i) * 4099 % 65536;
        zip.addFile(
            QStringLiteral("Runtime/Textures/texture%1.bin").arg(i, 3, 10, QLatin1Char('0')),
            incompressible(size, quint32(1000 + i + variant * 100000)));
    }
    zip.addFile(QStringLiteral("Data/readme.txt"), textFile(1, 2048, variant));
    return zip.finish();
}

bool makeEmptyEntriesCase(const QString& folder, int scale) {
    StoredZipWriter zip(QDir(folder).filePath(QStringLiteral("Empty Entries.zip")));
    for (int i = 0; i < 70000 * scale; ++i) {
        zip.addFile(QStringLiteral("Runtime/d%1/f%2")
                        .arg(i / 250, 3, 10, QLatin1Char('0'))
                        .arg(i, 5, 10, QLatin1Char('0')),
                    QByteArray());
    }
    return zip.finish();
}

bool makeNestedCase(const QString& folder, int scale) {
    FileList files;
    addTextFiles(files, QStringLiteral("Runtime"), 100 * scale, 0);
    for (int n = 0; n < 10; ++n) {
        FileList inner;
        addTextFiles(inner, QStringLiteral("Addon %1/Runtime").arg(n), 200 * scale, n * 1000);
        files.append({QStringLiteral("Addon %1.zip").arg(n), archiveBytes(inner)});
    }
    FileList deep;
    addTextFiles(deep, QStringLiteral("Data"), 200 * scale, 50000);
    files.append({QStringLiteral("Extras/Deep.zip"), archiveBytes(deep)});
    return writeArchive(QDir(folder).filePath(QStringLiteral("Nested Archives.zip")), files);
}

FileList libraryPackage(int index, int scale) {
    FileList files;
    const QString pack = QStringLiteral("Package %1").arg(index, 2, 10, QLatin1Char('0'));
    switch (index % 10) {
    case 9: // the Runtime folder twice: left for the user to decide
        addTextFiles(files, pack + QStringLiteral("/A/Runtime"), 40 * scale, index * 1000);
        addTextFiles(files, pack + QStringLiteral("/B/Runtime"), 40 * scale, index * 1000 + 500);
        break;
    case 8: // one large incompressible file
        addTextFiles(files, pack + QStringLiteral("/Runtime"), 50 * scale, index * 1000);
        files.append({pack + QStringLiteral("/Data/terrain.bin"),
                      incompressible(8 * MiB * scale, quint32(index))});
        break;
    case 7: { // a nested archive at the top, next to the Runtime folder
        addTextFiles(files, QStringLiteral("Runtime"), 60 * scale, index * 1000);
        FileList inner;
        addTextFiles(inner, QStringLiteral("Data"), 80 * scale, index * 1000 + 500);
        files.append({QStringLiteral("Extras.zip"), archiveBytes(inner)});
        break;
    }
    default:
        addTextFiles(files, pack + QStringLiteral("/Runtime"), (50 + index * 5) * scale,
                     index * 1000);
        addTextFiles(files, pack + QStringLiteral("/Data"), 30 * scale, index * 1000 + 800);
        files.append({pack + QStringLiteral("/Readme.txt"), textFile(index, 1500)});
        break;
    }
    return files;
}

bool makeLibraryCase(const QString& folder, int scale) {
    bool ok = true;
    for (int i = 0; i < 40 && ok; ++i) {
        const QString name = QStringLiteral("Package %1.zip").arg(i, 2, 10, QLatin1Char('0'));
        ok = writeArchive(QDir(folder).filePath(name), libraryPackage(i, scale));
    }
    return ok;
}

bool makeManyArchivesCase(const QString& folder, int scale) {
    bool ok = true;
    for (int i = 0; i < 1000 && ok; ++i) {
        const QString pack = QStringLiteral("Pack %1").arg(i, 4, 10, QLatin1Char('0'));
        FileList files;
        addTextFiles(files, pack + QStringLiteral("/Runtime"), 3 * scale, i * 10);
        files.append({pack + QStringLiteral("/Readme.txt"), textFile(i, 600)});
        ok = writeArchive(QDir(folder).filePath(pack + QStringLiteral(".zip")), files);
    }
    return ok;
}

// The library sizes the library-size case has a source folder for, and the
// index of the one more package it keeps apart.
constexpr int LibrarySizes[] = {100, 1000, 10000};
constexpr int OneMorePackage = 10000;

// Package `index` of the library-size case: 20 small text files per scale
// unit, all under Runtime/<package name>/, so that no two packages share a
// file and each archive is ready for the install as it is. Written stored,
// entry by entry: writeArchive stages every file on disk first, which adds
// up over eleven thousand archives.
bool writeLibraryPackage(const QString& folder, int index, int scale) {
    const QString pack = QStringLiteral("Package %1").arg(index, 5, 10, QLatin1Char('0'));
    StoredZipWriter zip(QDir(folder).filePath(pack + QStringLiteral(".zip")));
    for (int i = 0; i < 20 * scale; ++i) {
        const int fileIndex = index * 1000 + i;
        zip.addFile(QStringLiteral("Runtime/%1/dir%2/file%3.txt").arg(pack).arg(i / 5).arg(i),
                    textFile(fileIndex, 200 + qsizetype(fileIndex) * 7919 % 800));
    }
    return zip.finish();
}

// One source folder per library size, holding packages 0 to size - 1 (the
// same bytes in each), and one-more/ with the next package on its own.
bool makeLibrarySizeCase(const QString& folder, int scale) {
    bool ok = true;
    for (const int size : LibrarySizes) {
        const QString sizeFolder = QDir(folder).filePath(QString::number(size));
        ok = ok && QDir().mkpath(sizeFolder);
        for (int i = 0; i < size && ok; ++i)
            ok = writeLibraryPackage(sizeFolder, i, scale);
    }
    const QString oneMore = QDir(folder).filePath(QStringLiteral("one-more"));
    return ok && QDir().mkpath(oneMore) && writeLibraryPackage(oneMore, OneMorePackage, scale);
}

// Ten small files at the bottom of paths 1,000 folders deep, beside a
// Data readme: a few kilobytes whose cost is the depth of its names.
bool makeDeepPathsCase(const QString& folder, int) {
    StoredZipWriter zip(QDir(folder).filePath(QStringLiteral("Deep Paths.zip")));
    QString deep = QStringLiteral("Runtime");
    for (int level = 0; level < 1000; ++level)
        deep += QStringLiteral("/d");
    for (int i = 0; i < 10; ++i)
        zip.addFile(QStringLiteral("%1/file%2.txt").arg(deep).arg(i), textFile(i, 64));
    zip.addFile(QStringLiteral("Data/readme.txt"), textFile(10, 256));
    return zip.finish();
}

// 200,000 empty entries, each given twice: the cost is telling the second
// copy from a new name.
bool makeDuplicateNamesCase(const QString& folder, int) {
    StoredZipWriter zip(QDir(folder).filePath(QStringLiteral("Duplicate Names.zip")));
    for (int copy = 0; copy < 2; ++copy) {
        for (int i = 0; i < 200000; ++i)
            zip.addFile(QStringLiteral("Runtime/d%1/f%2")
                            .arg(i / 500, 3, 10, QLatin1Char('0'))
                            .arg(i, 6, 10, QLatin1Char('0')),
                        QByteArray());
    }
    return zip.finish();
}

// 100,000 empty entries whose names are 2.8 KB long (twelve folders of 230
// characters): a central directory of 285 MB that holds little else.
bool makeLongNamesCase(const QString& folder, int) {
    StoredZipWriter zip(QDir(folder).filePath(QStringLiteral("Long Names.zip")));
    const QString filler(226, QLatin1Char('n'));
    for (int i = 0; i < 100000; ++i) {
        QString name = QStringLiteral("Runtime");
        for (int level = 0; level < 12; ++level)
            name += QStringLiteral("/%1%2").arg(filler).arg(
                level == 11 ? i : i / 100 + level * 1000, 4 + (level == 11 ? 2 : 0), 10,
                QLatin1Char('0'));
        zip.addFile(name, QByteArray());
    }
    return zip.finish();
}

bool makeHugeCase(const QString& folder, int) {
    StoredZipWriter zip(QDir(folder).filePath(QStringLiteral("Huge Terrain.zip")));
    zip.addZeros(QStringLiteral("Runtime/Terrain/world.bin"), HugeEntrySize);
    zip.addFile(QStringLiteral("Data/readme.txt"), textFile(2, 2048));
    return zip.finish();
}

struct BenchCase {
    const char* name;
    bool (*make)(const QString& folder, int scale);
};

const BenchCase Cases[] = {
    {"many-small", [](const QString& f, int s) { return makeManySmallCase(f, s, 0); }},
    {"many-small-v2", [](const QString& f, int s) { return makeManySmallCase(f, s, 1); }},
    {"textures", [](const QString& f, int s) { return makeTexturesCase(f, s, 0); }},
    {"textures-v2", [](const QString& f, int s) { return makeTexturesCase(f, s, 1); }},
    {"empty70k", makeEmptyEntriesCase},
    {"nested", makeNestedCase},
    {"library", makeLibraryCase},
    {"many-archives", makeManyArchivesCase},
    {"huge", makeHugeCase},
    {"library-size", makeLibrarySizeCase},
    {"deep-paths", makeDeepPathsCase},
    {"duplicate-names", makeDuplicateNamesCase},
    {"long-names", makeLongNamesCase},
};

} // namespace

QStringList benchCaseNames() {
    QStringList names;
    for (const BenchCase& benchCase : Cases)
        names.append(QLatin1String(benchCase.name));
    return names;
}

bool makeBenchCase(const QString& folder, const QString& name, int scale) {
    if (scale < 1)
        return false;
    for (const BenchCase& benchCase : Cases) {
        if (name != QLatin1String(benchCase.name))
            continue;
        QDir target(QDir(folder).filePath(name));
        return target.removeRecursively() && QDir().mkpath(target.path()) &&
               benchCase.make(target.path(), scale);
    }
    return false;
}

} // namespace packshelf::bench
