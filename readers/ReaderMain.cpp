#include "readers/ReaderMain.h"

#include <QFile>
#include <clocale>
#include <csignal>
#include <cstdio>
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

namespace packshelf {

namespace {

using handles::UniqueFd;

constexpr int ExitOrphan = 3;
constexpr int ExitUnconfined = 4;

// A folder the application reaches through a descriptor of its own
// (/proc/PID/fd/N, for a name that is not UTF-8) cannot be reached that
// way once the reader is confined: it is opened now, and reached through
// the reader's own descriptor.
QByteArray ownPath(const QByteArray& folder, std::vector<UniqueFd>& opened) {
    if (!folder.startsWith("/proc/"))
        return folder;
    UniqueFd fd(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        return folder;
    const QByteArray path = "/proc/self/fd/" + QByteArray::number(fd.get());
    opened.push_back(std::move(fd));
    return path;
}

} // namespace

int runReader(const QByteArray& work, const QByteArray& source, pid_t parent) {
    // Ends with the process that started it, also in the middle of a job.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        return ExitOrphan;
    // Names are converted as the application converts them.
    std::setlocale(LC_ALL, "");

    std::vector<UniqueFd> folders;
    const QByteArray workPath = ownPath(work, folders);
    const QByteArray sourcePath = ownPath(source, folders);
    const Result<QString> confinement = confineReader(workPath);
    if (!confinement) {
        std::fprintf(stderr, "packshelf-reader: cannot confine itself: %s\n",
                     qPrintable(confinement.reason()));
        return ExitUnconfined;
    }
    ReaderChannel channel(UniqueFd(STDIN_FILENO));
    int status = 0;
    // The analysis walks trees a thousand folders deep by recursion: it runs
    // on a thread of an executor, whose stacks are large.
    Executor executor(1);
    executor.start([&] {
        status = serveReader(channel, QFile::decodeName(sourcePath), QFile::decodeName(workPath),
                             *confinement);
    });
    executor.waitUntilIdle();
    return status;
}

} // namespace packshelf
