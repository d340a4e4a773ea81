#include "bench/CorpusGenerator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "archive/ZipArchive.h"

namespace packshelf::bench {

namespace {
// Every entry carries the same date, so that the same files always give
// the same archive bytes.
const QDateTime EntryDate(QDate(2020, 1, 1), QTime(12, 0));

bool writeStagedFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(data) == data.size() && file.flush() &&
           file.setFileTime(EntryDate, QFileDevice::FileModificationTime);
}

QByteArray text(const QString& line, int repeat = 20) {
    return line.toUtf8().repeated(repeat);
}
} // namespace

bool writeArchive(const QString& zipPath, const FileList& files) {
    QTemporaryDir staging;
    if (!staging.isValid())
        return false;
    QDir().mkpath(QFileInfo(zipPath).absolutePath());
    ZipArchive zip;
    if (!zip.CreateZipFile2(zipPath))
        return false;
    bool ok = true;
    int index = 0;
    for (const auto& [name, data] : files) {
        const QString staged = staging.filePath(QString::number(index++));
        ok = ok && writeStagedFile(staged, data) && zip.addFileToZip(staged, name);
        QFile::remove(staged);
    }
    return zip.CloseZipFile2() && ok;
}

bool makeSampleLibrary(const QString& folder) {
    QDir().mkpath(folder);
    const auto at = [&](const QString& name) { return QDir(folder).filePath(name); };
    QTemporaryDir scratch;
    const QString inner = scratch.filePath("inner.zip");
    bool ok = writeArchive(inner, {{"Runtime/Extras/extra.dat", text("extra ")}});
    QFile innerFile(inner);
    ok = ok && innerFile.open(QIODevice::ReadOnly);
    const QByteArray innerBytes = innerFile.readAll();

    ok = ok && writeArchive(at("Alpine Village.zip"),
                            {{"Runtime/Scenery/village.obj", text("v 0 0 0\n")},
                             {"Runtime/Scenery/village.mtl", text("newmtl stone\n")},
                             {"Data/Textures/stone.tex", text("stone ")},
                             {"ReadMe.txt", text("Alpine Village\n", 3)}});
    ok = ok && writeArchive(at("Harbour Pack.zip"),
                            {{"Harbour Pack/Runtime/Boats/boat.obj", text("v 1 1 1\n")},
                             {"Harbour Pack/Data/Textures/water.tex", text("water ")},
                             {"Harbour Pack/Licence.txt", text("Free to use\n", 2)}});
    ok = ok && writeArchive(at("Two Towers.zip"), {{"Tower A/Runtime/a.obj", text("a")},
                                                   {"Tower B/Runtime/b.obj", text("b")},
                                                   {"Tower B/Data/b.tex", text("b")}});
    ok = ok && writeArchive(at("Loose Files.zip"),
                            {{"Models/rock.obj", text("rock")}, {"notes.txt", text("notes")}});
    ok = ok && writeArchive(at("Nested Extras.zip"),
                            {{"Extras.zip", innerBytes}, {"Info/about.txt", text("about")}});
    ok = ok && writeArchive(at(QStringLiteral("Café Crème.zip")),
                            {{QStringLiteral("Café/Runtime/crème.obj"), text("crème")}});
    ok = ok && writeStagedFile(at("Damaged Download.zip"), QByteArray("PK\x03\x04 truncated", 16));
    ok = ok && writeStagedFile(at("notes.txt"), text("not an archive\n", 1));
    return ok;
}

} // namespace packshelf::bench
