// Writes the hostile corpus (and a plain archive) into a folder, one file
// each, to seed the fuzz targets; with --named, under the archives' own
// names, to try them by hand.
#include <QCoreApplication>
#include <cstdio>

#include "tests/support/HostileCorpus.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const bool named = argc == 3 && QByteArray(argv[2]) == "--named";
    if (argc != 2 && !named) {
        std::fputs("usage: packshelf-seed-corpus DIR [--named]\n", stderr);
        return 2;
    }
    using namespace packshelf::test;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    int index = 0;
    for (const HostileArchive& archive : hostileCorpus(false)) {
        const QString name = named ? archive.fileName : QStringLiteral("seed-%1").arg(index++);
        writeFile(dir + "/" + name, archive.bytes);
    }
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
    writeFile(dir + "/seed-zip64", zip64(false, {}).bytes());
    writeFile(dir + "/seed-zip64-descriptors", zip64(true, {}).bytes());
    writeFile(dir + "/seed-zip64-sfx", zip64(false, QByteArray("MZ stub ").repeated(8)).bytes());
    writeFile(dir + "/seed-zip64-nested",
              zip64(true, {}).addFile("Pack/inner.zip", zip64(false, {}).bytes(), 0).bytes());
    const QByteArray inner = ZipWriter().addFile("Data/d.txt", "d").bytes();
    writeFile(dir + "/seed-plain", ZipWriter()
                                       .addFile("Pack/Runtime/a.txt", "a")
                                       .addFile("Pack/Data/b.txt", QByteArray(300, 'b'))
                                       .addFile("Pack/extra.zip", inner, 0)
                                       .addFolder("Empty")
                                       .bytes());
    return 0;
}
