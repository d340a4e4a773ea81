#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <mutex>
#include <sys/types.h>

#include "core/PosixHandles.h"
#include "core/Result.h"

namespace packshelf {

// A process forked from the program at its very start, while the program
// has one thread and nothing open but what it was started with, that forks
// reader processes on request. A reader forked from it costs a fraction
// of what starting the reader program costs: no program to load, the
// collation data read once. It holds nothing of the program but its
// standard error, and ends with it.
class ReaderZygote {
public:
    using Clock = std::chrono::steady_clock;

    // Forks the zygote: to be called first thing in main(), before a thread
    // or a descriptor of the program's own exists. The zygote itself never
    // returns from it. Does nothing when called again.
    static void startEarly();
    // The zygote, when one was started; null otherwise.
    static ReaderZygote* instance();

    struct Started {
        pid_t pid = 0;
        handles::UniqueFd socket; // this program's end of the reader's socket
        handles::UniqueFd pidfd;  // the reader, for signals that reach no other process
    };
    // Forks a reader for the folders (as runReader() takes them); fails when
    // the zygote is gone or does not answer by `deadline`.
    Result<Started> startReader(const QByteArray& work, const QByteArray& source,
                                Clock::time_point deadline);
    // Waits for the zygote's reader `pid` to end (it was killed, or closed
    // its socket) and says how: "signal N" or "exit status N".
    QString reap(pid_t pid);

private:
    ReaderZygote(pid_t pid, handles::UniqueFd socket)
        : m_pid(pid)
        , m_socket(std::move(socket)) {}
    // Sends a request and receives its answer, with the descriptors it
    // carries; fails (and gives the zygote up) when it cannot.
    Result<QByteArray> ask(const QByteArray& request, handles::UniqueFd* fds, int fdCount,
                           Clock::time_point deadline);
    void giveUp();

    std::mutex m_mutex; // one request at a time
    pid_t m_pid;
    handles::UniqueFd m_socket;
};

} // namespace packshelf
