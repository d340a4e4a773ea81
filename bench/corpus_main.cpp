#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "bench/CorpusGenerator.h"

// packshelf-corpus sample DIR: writes the sample library into DIR.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("sample"))
        return packshelf::bench::makeSampleLibrary(arguments[2]) ? 0 : 1;
    std::fputs("Usage: packshelf-corpus sample DIR\n", stderr);
    return 2;
}
