// Writes the hostile corpus (and a few plain archives) into a folder, one
// file each, to seed the fuzz targets.
#include <QCoreApplication>
#include <cstdio>

#include "tests/support/HostileCorpus.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: packshelf-seed-corpus DIR\n", stderr);
        return 2;
    }
    using namespace packshelf::test;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    int index = 0;
    for (const HostileArchive& archive : hostileCorpus(false))
        writeFile(QStringLiteral("%1/seed-%2").arg(dir).arg(index++), archive.bytes);
    const QByteArray inner = ZipWriter().addFile("Data/d.txt", "d").bytes();
    writeFile(dir + "/seed-plain", ZipWriter()
                                       .addFile("Pack/Runtime/a.txt", "a")
                                       .addFile("Pack/Data/b.txt", QByteArray(300, 'b'))
                                       .addFile("Pack/extra.zip", inner, 0)
                                       .addFolder("Empty")
                                       .bytes());
    return 0;
}
