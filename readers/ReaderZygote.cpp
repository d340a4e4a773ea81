#include "readers/ReaderZygote.h"

#include <QCollator>
#include <QLocale>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "analysis/DirectoryListing.h"
#include "core/EngineText.h"
#include "readers/ReaderMain.h"

namespace packshelf {

namespace {

using handles::UniqueFd;

enum Request : char { StartReader = 's', Reap = 'r' };
constexpr int ZygoteSocket = 3;
constexpr std::size_t MessageBytesMax = 3 * 4096 + 64;

ReaderZygote* g_zygote = nullptr;

// Sends `message` with up to two descriptors.
bool sendWith(int socket, const QByteArray& message, const int* fds, int fdCount) {
    iovec part{const_cast<char*>(message.constData()), std::size_t(message.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    if (fdCount > 0) {
        header.msg_control = control;
        header.msg_controllen = CMSG_SPACE(std::size_t(fdCount) * sizeof(int));
        cmsghdr* rights = CMSG_FIRSTHDR(&header);
        rights->cmsg_level = SOL_SOCKET;
        rights->cmsg_type = SCM_RIGHTS;
        rights->cmsg_len = CMSG_LEN(std::size_t(fdCount) * sizeof(int));
        std::memcpy(CMSG_DATA(rights), fds, std::size_t(fdCount) * sizeof(int));
    }
    ssize_t sent = -1;
    do {
        sent = ::sendmsg(socket, &header, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == message.size();
}

// Receives one message and the descriptors it carries (at most `fdCount`;
// any more are closed). -1 on a failure, 0 when the other end closed.
qsizetype receiveWith(int socket, QByteArray& message, UniqueFd* fds, int fdCount) {
    message.resize(MessageBytesMax);
    iovec part{message.data(), std::size_t(message.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))] = {};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    ssize_t got = -1;
    do {
        got = ::recvmsg(socket, &header, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    message.resize(std::max<qsizetype>(got, 0));
    int taken = 0;
    for (cmsghdr* part = CMSG_FIRSTHDR(&header); part; part = CMSG_NXTHDR(&header, part)) {
        if (part->cmsg_level != SOL_SOCKET || part->cmsg_type != SCM_RIGHTS)
            continue;
        const std::size_t count = (part->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(part) + i * sizeof(int), sizeof(int));
            UniqueFd received(fd);
            if (taken < fdCount)
                fds[taken++] = std::move(received);
        }
    }
    return got;
}

void appendNumber(QByteArray& message, qint64 value) {
    message.append(reinterpret_cast<const char*>(&value), sizeof value);
}

qint64 numberAt(const QByteArray& message, qsizetype at) {
    qint64 value = 0;
    if (at + qsizetype(sizeof value) <= message.size())
        std::memcpy(&value, message.constData() + at, sizeof value);
    return value;
}

// The zygote's own life: forks a reader for each request, reaps readers
// when asked, ends when the program closes its socket (or ends).
[[noreturn]] void serveAsZygote(pid_t program) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != program)
        ::_exit(0);
    // The readers read the collation data from here, and need not load it
    // each.
    (void)listingOrder({QStringLiteral("b"), QStringLiteral("a")});
    QByteArray request;
    for (;;) {
        const qsizetype got = receiveWith(ZygoteSocket, request, nullptr, 0);
        if (got <= 0)
            ::_exit(0);
        if (request.at(0) == Reap) {
            int status = 0;
            const pid_t pid = pid_t(numberAt(request, 1));
            pid_t ended = -1;
            do {
                ended = ::waitpid(pid, &status, 0);
            } while (ended < 0 && errno == EINTR);
            QByteArray answer(1, Reap);
            appendNumber(answer, ended == pid ? status : -1);
            sendWith(ZygoteSocket, answer, nullptr, 0);
            continue;
        }
        // StartReader: the work folder, NUL, the source folder.
        const QByteArray folders = request.mid(1);
        const qsizetype split = folders.indexOf('\0');
        int sockets[2];
        if (request.at(0) != StartReader || split < 0 ||
            ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
            sendWith(ZygoteSocket, QByteArray(1, '\0'), nullptr, 0);
            continue;
        }
        const pid_t zygote = ::getpid();
        const pid_t reader = ::fork();
        if (reader == 0) {
            ::dup2(sockets[1], STDIN_FILENO);
            ::close_range(3, ~0U, 0);
            ::_exit(runReader(folders.left(split), folders.mid(split + 1), zygote));
        }
        ::close(sockets[1]);
        const UniqueFd program(sockets[0]);
        if (reader < 0) {
            sendWith(ZygoteSocket, QByteArray(1, '\0'), nullptr, 0);
            continue;
        }
        const UniqueFd pidfd(int(::syscall(SYS_pidfd_open, reader, 0)));
        QByteArray answer(1, StartReader);
        appendNumber(answer, reader);
        const int fds[] = {program.get(), pidfd.get()};
        sendWith(ZygoteSocket, answer, fds, pidfd.valid() ? 2 : 1);
    }
}

} // namespace

void ReaderZygote::startEarly() {
    if (g_zygote)
        return;
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets) != 0)
        return;
    const pid_t program = ::getpid();
    const pid_t zygote = ::fork();
    if (zygote == 0) {
        // Nothing of the program but its standard error: the socket as 3,
        // /dev/null as input and output.
        const int socket = ::fcntl(sockets[1], F_DUPFD, ZygoteSocket + 16);
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(socket, ZygoteSocket);
        ::close_range(ZygoteSocket + 1, ~0U, 0);
        serveAsZygote(program);
    }
    ::close(sockets[1]);
    if (zygote < 0) {
        ::close(sockets[0]);
        return;
    }
    g_zygote = new ReaderZygote(zygote, UniqueFd(sockets[0]));
}

ReaderZygote* ReaderZygote::instance() {
    return g_zygote;
}

void ReaderZygote::giveUp() {
    if (!m_socket.valid())
        return;
    m_socket.reset();
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}

Result<QByteArray> ReaderZygote::ask(const QByteArray& request, UniqueFd* fds, int fdCount,
                                     Clock::time_point deadline) {
    if (!m_socket.valid())
        return fail(EngineText::tr("the reader zygote is gone"));
    if (!sendWith(m_socket.get(), request, nullptr, 0)) {
        giveUp();
        return fail(EngineText::tr("the reader zygote is gone"));
    }
    pollfd watched{m_socket.get(), POLLIN, 0};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (::poll(&watched, 1, int(std::max<qint64>(left.count(), 0))) != 1) {
        giveUp();
        return fail(EngineText::tr("the reader zygote does not answer"));
    }
    QByteArray answer;
    if (receiveWith(m_socket.get(), answer, fds, fdCount) <= 0 || answer.isEmpty()) {
        giveUp();
        return fail(EngineText::tr("the reader zygote is gone"));
    }
    return answer;
}

Result<ReaderZygote::Started> ReaderZygote::startReader(const QByteArray& work,
                                                        const QByteArray& source,
                                                        Clock::time_point deadline) {
    if (work.contains('\0') || source.contains('\0') ||
        work.size() + source.size() + 2 > qsizetype(MessageBytesMax))
        return fail(EngineText::tr("folder names the reader zygote cannot take"));
    const std::lock_guard lock(m_mutex);
    UniqueFd fds[2];
    const Result<QByteArray> answer =
        ask(QByteArray(1, StartReader) + work + '\0' + source, fds, 2, deadline);
    if (!answer)
        return answer.failure();
    if (answer->at(0) != StartReader || !fds[0].valid())
        return fail(EngineText::tr("the reader zygote could not fork a reader"));
    return Started{pid_t(numberAt(*answer, 1)), std::move(fds[0]), std::move(fds[1])};
}

QString ReaderZygote::reap(pid_t pid) {
    const std::lock_guard lock(m_mutex);
    QByteArray request(1, Reap);
    appendNumber(request, pid);
    // A reader that was killed or closed its socket ends at once.
    const Result<QByteArray> answer =
        ask(request, nullptr, 0, Clock::now() + std::chrono::seconds(30));
    const qint64 status = answer ? numberAt(*answer, 1) : -1;
    if (status < 0)
        return EngineText::tr("an end the reader zygote could not tell");
    if (WIFSIGNALED(int(status)))
        return QStringLiteral("signal %1").arg(WTERMSIG(int(status)));
    return QStringLiteral("exit status %1").arg(WEXITSTATUS(int(status)));
}

} // namespace packshelf
