// packshelf-reader: the program the window and the command line start a
// reader process from when they have no reader zygote (see ReaderPool).
// Started by them only, with its socket as standard input:
//   packshelf-reader --work FOLDER --source FOLDER --parent PID
#include <QByteArray>
#include <cstdio>
#include <cstring>

#include "readers/ReaderMain.h"

int main(int argc, char* argv[]) {
    if (argc != 7 || std::strcmp(argv[1], "--work") != 0 || std::strcmp(argv[3], "--source") != 0 ||
        std::strcmp(argv[5], "--parent") != 0) {
        std::fputs("packshelf-reader is started by packshelf and packshelf-cli only\n", stderr);
        return 2;
    }
    return packshelf::runReader(argv[2], argv[4], pid_t(QByteArray(argv[6]).toLongLong()));
}
