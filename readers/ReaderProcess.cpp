#include "readers/ReaderProcess.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/EngineText.h"
#include "readers/ReaderMessages.h"
#include "readers/ReaderZygote.h"

extern char** environ;

namespace packshelf {

namespace {

constexpr char ProgramName[] = "packshelf-reader";

QString systemError(const char* call, int error) {
    return QStringLiteral("%1: %2").arg(QLatin1String(call),
                                        QString::fromLocal8Bit(std::strerror(error)));
}

// The bytes of `folder` as another process reaches it.
QByteArray reachableFolder(const QString& folder) {
    static const QString ownDescriptors = QStringLiteral("/proc/self/fd/");
    if (!folder.startsWith(ownDescriptors))
        return QFile::encodeName(folder);
    return "/proc/" + QByteArray::number(qint64(::getpid())) + "/fd/" +
           QFile::encodeName(folder.mid(ownDescriptors.size()));
}

QByteArray runningProgramFolder() {
    QByteArray path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), std::size_t(path.size()));
    if (length <= 0 || length >= path.size())
        return {};
    path.truncate(length);
    return path.left(path.lastIndexOf('/'));
}

// Spawn attributes: no signal blocked, every signal as by default.
class SpawnAttributes {
public:
    SpawnAttributes() {
        ::posix_spawnattr_init(&m_attributes);
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        ::posix_spawnattr_setsigmask(&m_attributes, &none);
        ::posix_spawnattr_setsigdefault(&m_attributes, &all);
        ::posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&m_attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes;
};

// The child's descriptors: the socket as 0, /dev/null as 1, this process's
// standard error as 2, nothing else.
class SpawnDescriptors {
public:
    explicit SpawnDescriptors(int socket) {
        ::posix_spawn_file_actions_init(&m_actions);
        ::posix_spawn_file_actions_adddup2(&m_actions, socket, 0);
        ::posix_spawn_file_actions_addopen(&m_actions, 1, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_addclosefrom_np(&m_actions, 3);
    }
    ~SpawnDescriptors() { ::posix_spawn_file_actions_destroy(&m_actions); }
    SpawnDescriptors(const SpawnDescriptors&) = delete;
    SpawnDescriptors& operator=(const SpawnDescriptors&) = delete;
    const posix_spawn_file_actions_t* get() const { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

} // namespace

QByteArray ReaderProcess::programPath() {
    const QByteArray folder = runningProgramFolder();
    const QByteArray beside = folder + '/' + ProgramName;
    if (::access(beside.constData(), X_OK) == 0)
        return beside;
    return folder + '/' + PACKSHELF_READER_FROM_PROGRAMS + '/' + ProgramName;
}

Result<std::unique_ptr<ReaderProcess>> ReaderProcess::spawn(const QByteArray& program,
                                                            const QByteArray& work,
                                                            const QByteArray& source,
                                                            const Folders& folders) {
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        return fail(EngineText::tr("the reader could not be started (%1)")
                        .arg(systemError("socketpair", errno)));
    handles::UniqueFd ours(sockets[0]);
    const handles::UniqueFd theirs(sockets[1]);
    const QByteArray parent = QByteArray::number(qint64(::getpid()));
    std::vector<char*> arguments{
        const_cast<char*>(program.constData()), const_cast<char*>("--work"),
        const_cast<char*>(work.constData()),    const_cast<char*>("--source"),
        const_cast<char*>(source.constData()),  const_cast<char*>("--parent"),
        const_cast<char*>(parent.constData()),  nullptr};
    const SpawnDescriptors descriptors(theirs.get());
    const SpawnAttributes attributes;
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.constData(), descriptors.get(),
                                      attributes.get(), arguments.data(), environ);
    if (spawned != 0)
        return fail(EngineText::tr("the reader %1 could not be started (%2)")
                        .arg(QFile::decodeName(program), systemError("posix_spawn", spawned)));
    handles::UniqueFd pidfd(int(::syscall(SYS_pidfd_open, pid, 0)));
    return std::unique_ptr<ReaderProcess>(
        new ReaderProcess(pid, std::move(ours), std::move(pidfd), nullptr, folders));
}

Result<std::unique_ptr<ReaderProcess>>
ReaderProcess::start(const QByteArray& program, const Folders& folders,
                     ReaderChannel::Clock::time_point deadline) {
    const QByteArray work = reachableFolder(folders.work);
    const QByteArray source = reachableFolder(folders.source);
    std::unique_ptr<ReaderProcess> process;
    if (ReaderZygote* zygote = ReaderZygote::instance()) {
        Result<ReaderZygote::Started> forked = zygote->startReader(work, source, deadline);
        if (forked)
            process.reset(new ReaderProcess(forked->pid, std::move(forked->socket),
                                            std::move(forked->pidfd), zygote, folders));
    }
    if (!process) {
        Result<std::unique_ptr<ReaderProcess>> spawned = spawn(program, work, source, folders);
        if (!spawned)
            return spawned.failure();
        process = std::move(*spawned);
    }
    return process;
}

Status ReaderProcess::awaitGreeting(ReaderChannel::Clock::time_point deadline) {
    return takeGreeting(m_channel.receive(deadline));
}

Status ReaderProcess::takeGreeting(const ReaderChannel::Received& greeting) {
    if (greeting.ending != ReaderChannel::Ending::Message) {
        const bool late = greeting.ending == ReaderChannel::Ending::TimedOut;
        const QString ending = stop();
        return fail(
            late ? EngineText::tr("the reader did not start in time")
                 : EngineText::tr("the reader stopped (%1) before it was ready").arg(ending));
    }
    Result<readerwire::Hello> hello = readerwire::decodeHello(greeting.message);
    if (!hello) {
        stop();
        return hello.failure();
    }
    m_confinement = hello->confinement;
    return {};
}

ReaderProcess::~ReaderProcess() {
    if (!m_reaped)
        stop();
}

bool ReaderProcess::waitsForJob() {
    pollfd watched{m_channel.fd(), POLLIN, 0};
    return !m_reaped && ::poll(&watched, 1, 0) == 0;
}

void ReaderProcess::kill() {
    if (m_reaped)
        return;
    if (m_pidfd.valid())
        ::syscall(SYS_pidfd_send_signal, m_pidfd.get(), SIGKILL, nullptr, 0);
    else
        ::kill(m_pid, SIGKILL);
}

QString ReaderProcess::stop() {
    kill();
    return reap();
}

QString ReaderProcess::reap() {
    if (m_reaped.exchange(true))
        return EngineText::tr("already ended");
    if (m_zygote)
        return m_zygote->reap(m_pid);
    int status = 0;
    pid_t ended = -1;
    do {
        ended = ::waitpid(m_pid, &status, 0);
    } while (ended < 0 && errno == EINTR);
    if (ended != m_pid)
        return systemError("waitpid", errno);
    if (WIFSIGNALED(status))
        return QStringLiteral("signal %1").arg(WTERMSIG(status));
    return QStringLiteral("exit status %1").arg(WEXITSTATUS(status));
}

} // namespace packshelf
