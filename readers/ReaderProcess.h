#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>
#include <sys/types.h>

#include "core/Result.h"
#include "readers/ReaderChannel.h"

namespace packshelf {

class ReaderZygote;

// One reader process, forked by the reader zygote where there is one, else
// started from the reader program: one end of a socket as its standard
// input, /dev/null as its standard output, this process's standard error,
// and no other descriptor of this process (the library's among them). It
// confines itself to writing below its work folder and greets before it
// takes a job. It reads the archives of one source folder.
class ReaderProcess {
public:
    // The folders a reader is started for.
    struct Folders {
        QString work;
        QString source;
        bool operator==(const Folders&) const = default;
    };

    // Where the reader program is: beside the running program (the build
    // tree), else where the package puts it relative to the program's
    // folder (../libexec/packshelf/).
    static QByteArray programPath();

    // Starts the reader for `folders`, forked by the reader zygote by
    // `deadline` where there is one. A folder this process reaches as
    // /proc/self/fd/N (one whose name is not UTF-8) is handed over as
    // /proc/PID/fd/N, which the reader opens before it confines itself.
    static Result<std::unique_ptr<ReaderProcess>> start(const QByteArray& program,
                                                        const Folders& folders,
                                                        ReaderChannel::Clock::time_point deadline);
    // Takes in the reader's greeting, which comes before any answer; fails
    // when none comes by `deadline`.
    Status awaitGreeting(ReaderChannel::Clock::time_point deadline);
    // Takes the greeting from `received`, the reader's first message.
    Status takeGreeting(const ReaderChannel::Received& received);
    // Kills the process if it was not reaped.
    ~ReaderProcess();
    ReaderProcess(const ReaderProcess&) = delete;
    ReaderProcess& operator=(const ReaderProcess&) = delete;

    pid_t pid() const { return m_pid; }
    ReaderChannel& channel() { return m_channel; }
    const Folders& folders() const { return m_folders; }
    // How it said it is confined.
    const QString& confinement() const { return m_confinement; }

    // Whether it still waits for a job: an idle reader says nothing, so a
    // socket with something to read, or closed, means it died meanwhile.
    bool waitsForJob();
    // Sends it SIGKILL, through its pidfd where there is one: never to
    // another process that took its id.
    void kill();
    // Kills it and says how it ended.
    QString stop();
    // Waits for it to end and says how it did: "signal N" or "exit status
    // N".
    QString reap();

private:
    // Starts the reader program itself.
    static Result<std::unique_ptr<ReaderProcess>> spawn(const QByteArray& program,
                                                        const QByteArray& work,
                                                        const QByteArray& source,
                                                        const Folders& folders);
    ReaderProcess(pid_t pid, handles::UniqueFd socket, handles::UniqueFd pidfd,
                  ReaderZygote* zygote, Folders folders)
        : m_pid(pid)
        , m_pidfd(std::move(pidfd))
        , m_zygote(zygote)
        , m_channel(std::move(socket))
        , m_folders(std::move(folders)) {}

    pid_t m_pid;
    handles::UniqueFd m_pidfd;
    ReaderZygote* m_zygote; // its parent, when it forked it; else this process

    // Set by the thread that reaps it, read by one that may kill it meanwhile
    // (a cancel): a signal through the pidfd then reaches no other process.
    std::atomic<bool> m_reaped{false};
    ReaderChannel m_channel;
    Folders m_folders;
    QString m_confinement;
};

} // namespace packshelf
