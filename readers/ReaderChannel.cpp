#include "readers/ReaderChannel.h"

#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>

namespace packshelf {

namespace {

constexpr qsizetype ChunkBytes = 256 * 1024;
// Memory taken for a frame before its bytes arrive: a length that lies gets
// no more.
constexpr qsizetype ReserveBytesMax = 64 << 20;

QString systemError(const char* call, int error) {
    return QStringLiteral("%1: %2").arg(QLatin1String(call),
                                        QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

ReaderChannel::Wait ReaderChannel::waitFor(short events, Deadline deadline) {
    for (;;) {
        int timeout = -1;
        if (deadline) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0)
                return Wait::TimedOut;
            timeout = int(std::min<std::chrono::milliseconds::rep>(left.count(), 1 << 30));
        }
        pollfd watched{m_socket.get(), events, 0};
        const int ready = ::poll(&watched, 1, timeout);
        if (ready > 0)
            return Wait::Ready; // readable, writable, or closed: the call that follows says
        if (ready == 0)
            continue; // the deadline is looked at again
        if (errno != EINTR)
            return Wait::Failed;
    }
}

ReaderChannel::Received ReaderChannel::readExactly(QByteArray& into, qsizetype size,
                                                   Deadline deadline) {
    const qsizetype end = into.size() + size;
    while (into.size() < end) {
        switch (waitFor(POLLIN, deadline)) {
        case Wait::Ready:
            break;
        case Wait::TimedOut:
            return {Ending::TimedOut, {}, {}};
        case Wait::Failed:
            return {Ending::Broken, {}, systemError("poll", errno)};
        }
        const qsizetype want = std::min(end - into.size(), ChunkBytes);
        const qsizetype start = into.size();
        into.resize(start + want);
        const ssize_t got =
            ::recv(m_socket.get(), into.data() + start, std::size_t(want), MSG_DONTWAIT);
        const int error = errno;
        into.resize(start + std::max<qsizetype>(got, 0));
        if (got == 0)
            return {Ending::Closed, {}, {}};
        if (got < 0 && error != EINTR && error != EAGAIN) {
            if (error == ECONNRESET)
                return {Ending::Closed, {}, {}};
            return {Ending::Broken, {}, systemError("recv", error)};
        }
    }
    return {Ending::Message, {}, {}};
}

ReaderChannel::Received ReaderChannel::receive(Deadline deadline) {
    QByteArray header;
    Received got = readExactly(header, sizeof(quint32), deadline);
    if (got.ending != Ending::Message)
        return got;
    const quint32 length = qFromLittleEndian<quint32>(header.constData());
    if (length > FrameBytesMax)
        return {Ending::Broken, {}, QStringLiteral("a frame of %1 bytes").arg(length)};
    QByteArray message;
    message.reserve(std::min<qsizetype>(qsizetype(length), ReserveBytesMax));
    got = readExactly(message, qsizetype(length), deadline);
    if (got.ending == Ending::Message)
        got.message = std::move(message);
    return got;
}

Status ReaderChannel::send(const QByteArray& message, Deadline deadline) {
    QByteArray frame(sizeof(quint32), Qt::Uninitialized);
    qToLittleEndian<quint32>(quint32(message.size()), frame.data());
    frame += message;
    qsizetype sent = 0;
    while (sent < frame.size()) {
        switch (waitFor(POLLOUT, deadline)) {
        case Wait::Ready:
            break;
        case Wait::TimedOut:
            return fail(QStringLiteral("timed out"));
        case Wait::Failed:
            return fail(systemError("poll", errno));
        }
        const ssize_t done = ::send(m_socket.get(), frame.constData() + sent,
                                    std::size_t(frame.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (done < 0 && errno != EINTR && errno != EAGAIN)
            return fail(systemError("send", errno));
        sent += std::max<qsizetype>(done, 0);
    }
    return {};
}

} // namespace packshelf
