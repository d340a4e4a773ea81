#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "bench/BenchCorpus.h"
#include "bench/CorpusGenerator.h"

namespace {
const char* const Usage =
    "Usage: packshelf-corpus sample DIR\n"
    "       packshelf-corpus bench DIR [SCALE [CASE...]]\n"
    "\n"
    "sample  a small library that shows every verdict\n"
    "bench   the benchmark corpus, one source folder per case in DIR (every\n"
    "        case, or the CASEs named), file counts multiplied by SCALE\n"
    "        (default 1); the same SCALE always gives the same bytes:\n"
    "  many-small     1 archive, 3,200 deflated text files, 53 MB unpacked\n"
    "  many-small-v2  the same paths and sizes, every file's content changed\n"
    "  textures       1 archive, 60 stored incompressible files of 2-8 MiB\n"
    "  textures-v2    the same paths and sizes, every file's content changed\n"
    "  empty70k       1 archive, 70,000 empty entries in 280 folders\n"
    "  nested         1 archive holding 11 nested archives of 200 files\n"
    "  library        40 mixed archives: every verdict, nested and large files\n"
    "  many-archives  1,000 small archives of 4 files each\n"
    "  huge           1 Zip64 archive of 4 GiB, written sparse (same at any SCALE)\n"
    "  library-size   100, 1,000 and 10,000 archives of 20 small files, each\n"
    "                 in its own folder, and one more archive apart (the\n"
    "                 archive counts are the same at any SCALE)\n"
    "  deep-paths     1 archive, 10 small files 1,000 folders deep\n"
    "  duplicate-names 1 archive, 200,000 empty entries each given twice\n"
    "  long-names     1 archive, 100,000 empty entries with 2.8 KB names\n";
}

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    if (arguments.size() == 3 && command == QLatin1String("sample"))
        return packshelf::bench::makeSampleLibrary(arguments[2]) ? 0 : 1;
    if (arguments.size() >= 3 && command == QLatin1String("bench")) {
        bool valid = true;
        const int scale = arguments.size() >= 4 ? arguments[3].toInt(&valid) : 1;
        QStringList cases = arguments.mid(4);
        const QStringList known = packshelf::bench::benchCaseNames();
        for (const QString& name : cases)
            valid = valid && known.contains(name);
        if (valid && scale >= 1) {
            if (cases.isEmpty())
                cases = known;
            for (const QString& name : cases) {
                if (!packshelf::bench::makeBenchCase(arguments[2], name, scale)) {
                    std::fprintf(stderr, "packshelf-corpus: could not write %s\n",
                                 qPrintable(name));
                    return 1;
                }
            }
            return 0;
        }
    }
    std::fputs(Usage, stderr);
    return 2;
}
