// packshelf-reader: the process the window and the command line hand the
// reading of untrusted archives to (see ReaderPool). Started by them only,
// with its socket as standard input:
//   packshelf-reader --work FOLDER --source FOLDER --parent PID
#include <QByteArray>
#include <QFile>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

#include "core/Executor.h"
#include "core/PosixHandles.h"
#include "readers/ReaderChannel.h"
#include "readers/ReaderSandbox.h"
#include "readers/ReaderService.h"

namespace {

using packshelf::handles::UniqueFd;

constexpr int ExitUsage = 2;
constexpr int ExitOrphan = 3;
constexpr int ExitUnconfined = 4;

// A folder the application reaches through a descriptor of its own
// (/proc/PID/fd/N, for a name that is not UTF-8) cannot be reached that
// way once the reader is confined: it is opened now, and reached through
// the reader's own descriptor.
std::optional<QByteArray> ownPath(const QByteArray& folder, std::vector<UniqueFd>& opened) {
    if (!folder.startsWith("/proc/"))
        return folder;
    UniqueFd fd(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    const QByteArray path = "/proc/self/fd/" + QByteArray::number(fd.get());
    opened.push_back(std::move(fd));
    return path;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 7 || std::strcmp(argv[1], "--work") != 0 || std::strcmp(argv[3], "--source") != 0 ||
        std::strcmp(argv[5], "--parent") != 0) {
        std::fputs("packshelf-reader is started by packshelf and packshelf-cli only\n", stderr);
        return ExitUsage;
    }
    const pid_t parent = pid_t(QByteArray(argv[6]).toLongLong());
    // Ends with the process that started it, also in the middle of a job.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        return ExitOrphan;
    // Names are converted as the application converts them.
    std::setlocale(LC_ALL, "");

    std::vector<UniqueFd> folders;
    const std::optional<QByteArray> work = ownPath(argv[2], folders);
    const std::optional<QByteArray> source = ownPath(argv[4], folders);
    const packshelf::Result<QString> confinement =
        packshelf::confineReader(work.value_or(QByteArray()));
    if (!confinement) {
        std::fprintf(stderr, "packshelf-reader: cannot confine itself: %s\n",
                     qPrintable(confinement.reason()));
        return ExitUnconfined;
    }
    packshelf::ReaderChannel channel(UniqueFd(STDIN_FILENO));
    int status = 0;
    {
        // The analysis walks trees a thousand folders deep by recursion: it
        // runs on a thread of the executor, whose stacks are large.
        packshelf::Executor executor(1);
        executor.start([&] {
            status =
                packshelf::serveReader(channel, QFile::decodeName(source.value_or(argv[4])),
                                       QFile::decodeName(work.value_or(argv[2])), *confinement);
        });
        executor.waitUntilIdle();
    }
    return status;
}
