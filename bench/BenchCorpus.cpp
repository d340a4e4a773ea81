#include "bench/BenchCorpus.h"

#include <QDir>
#include <QRandomGenerator>

#include "bench/CorpusGenerator.h"

namespace packshelf::bench {

namespace {

constexpr qsizetype MiB = 1024 * 1024;

// Words in a seeded order: compresses about as well as real text files,
// different for every index.
QByteArray textFile(int index, qsizetype size) {
    static const char* const Words[] = {"mesh",   "texture", "vertex", "normal",  "scenery",
                                        "object", "layer",   "north",  "airport", "runway",
                                        "light",  "shadow",  "0.25",   "1024",    "-17.5"};
    QRandomGenerator words(quint32(index) * 2654435761u);
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
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QByteArray archiveBytes(const FileList& files, const QString& scratch) {
    const QString path = QDir(scratch).filePath(QStringLiteral("nested.zip"));
    QByteArray bytes;
    QFile file(path);
    if (writeArchive(path, files) && file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    QFile::remove(path);
    return bytes;
}

void addTextFiles(FileList& files, const QString& folder, int count, int firstIndex) {
    for (int i = 0; i < count; ++i) {
        const int index = firstIndex + i;
        files.append({QStringLiteral("%1/dir%2/file%3.txt").arg(folder).arg(i / 100).arg(index),
                      textFile(index, 1024 + (index * 37) % 3072)});
    }
}

bool makeSmallCase(const QString& folder, int scale) {
    FileList files;
    const int count = 4000 * scale;
    addTextFiles(files, QStringLiteral("Many Small/Runtime"), count * 3 / 4, 0);
    addTextFiles(files, QStringLiteral("Many Small/Data"), count - count * 3 / 4, count);
    return writeArchive(QDir(folder).filePath(QStringLiteral("Many Small Files.zip")), files);
}

bool makeLargeCase(const QString& folder, int scale) {
    FileList files;
    for (int i = 0; i < 20 * scale; ++i) {
        files.append({QStringLiteral("Runtime/Textures/texture%1.bin").arg(i),
                      incompressible(4 * MiB, quint32(1000 + i))});
    }
    files.append({QStringLiteral("Data/readme.txt"), textFile(1, 2048)});
    return writeArchive(QDir(folder).filePath(QStringLiteral("Large Files.zip")), files);
}

bool makeNestedCase(const QString& folder, int scale, const QString& scratch) {
    FileList files;
    addTextFiles(files, QStringLiteral("Runtime"), 100 * scale, 0);
    for (int n = 0; n < 10; ++n) {
        FileList inner;
        addTextFiles(inner, QStringLiteral("Addon %1/Runtime").arg(n), 200 * scale, n * 1000);
        files.append({QStringLiteral("Addon %1.zip").arg(n), archiveBytes(inner, scratch)});
    }
    FileList deep;
    addTextFiles(deep, QStringLiteral("Data"), 200 * scale, 50000);
    files.append({QStringLiteral("Extras/Deep.zip"), archiveBytes(deep, scratch)});
    return writeArchive(QDir(folder).filePath(QStringLiteral("Nested Archives.zip")), files);
}

FileList libraryPackage(int index, int scale, const QString& scratch) {
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
        files.append({QStringLiteral("Extras.zip"), archiveBytes(inner, scratch)});
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

bool makeLibraryCase(const QString& folder, int scale, const QString& scratch) {
    bool ok = true;
    for (int i = 0; i < 40 && ok; ++i) {
        const QString name = QStringLiteral("Package %1.zip").arg(i, 2, 10, QLatin1Char('0'));
        ok = writeArchive(QDir(folder).filePath(name), libraryPackage(i, scale, scratch));
    }
    return ok;
}

} // namespace

bool makeBenchCorpus(const QString& folder, int scale) {
    if (scale < 1)
        return false;
    const QDir root(folder);
    for (const char* name : {"small", "large", "nested", "library", "scratch"}) {
        if (!QDir().mkpath(root.filePath(QLatin1String(name))))
            return false;
    }
    const QString scratch = root.filePath(QStringLiteral("scratch"));
    const bool ok = makeSmallCase(root.filePath(QStringLiteral("small")), scale) &&
                    makeLargeCase(root.filePath(QStringLiteral("large")), scale) &&
                    makeNestedCase(root.filePath(QStringLiteral("nested")), scale, scratch) &&
                    makeLibraryCase(root.filePath(QStringLiteral("library")), scale, scratch);
    QDir(scratch).removeRecursively();
    return ok;
}

} // namespace packshelf::bench
