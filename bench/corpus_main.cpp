#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "bench/BenchCorpus.h"
#include "bench/CorpusGenerator.h"

namespace {
const char* const Usage = "Usage: packshelf-corpus sample DIR\n"
                          "       packshelf-corpus bench DIR [SCALE]\n"
                          "\n"
                          "sample  a small library that shows every verdict\n"
                          "bench   the benchmark corpus (small/, large/, nested/, library/),\n"
                          "        its file counts and sizes multiplied by SCALE (default 1)\n";
}

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    if (arguments.size() == 3 && command == QLatin1String("sample"))
        return packshelf::bench::makeSampleLibrary(arguments[2]) ? 0 : 1;
    if ((arguments.size() == 3 || arguments.size() == 4) && command == QLatin1String("bench")) {
        bool valid = true;
        const int scale = arguments.size() == 4 ? arguments[3].toInt(&valid) : 1;
        if (valid && scale >= 1)
            return packshelf::bench::makeBenchCorpus(arguments[2], scale) ? 0 : 1;
    }
    std::fputs(Usage, stderr);
    return 2;
}
