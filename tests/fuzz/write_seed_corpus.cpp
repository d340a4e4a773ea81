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
    const QByteArray inner = ZipWriter().addFile("Data/d.txt", "d").bytes();
    writeFile(dir + "/seed-plain", ZipWriter()
                                       .addFile("Pack/Runtime/a.txt", "a")
                                       .addFile("Pack/Data/b.txt", QByteArray(300, 'b'))
                                       .addFile("Pack/extra.zip", inner, 0)
                                       .addFolder("Empty")
                                       .bytes());
    return 0;
}
