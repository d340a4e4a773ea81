#include "readers/ReaderChannel.h"

#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>

#include "core/EngineText.h"

namespace packshelf {

namespace {

constexpr qsizetype ChunkBytes = 64 * 1024;
constexpr qsizetype StepBytesMax = 1 << 20;
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

ReaderChannel::Received ReaderChannel::fill(qsizetype wanted, Deadline deadline, bool wait) {
    while (m_buffer.size() < wanted) {
        // As much as has arrived (a small message comes whole in one call),
        // in steps no larger than StepBytesMax past what is there. Without
        // a deadline the call itself waits; with one, poll() does, once the
        // call found nothing.
        const qsizetype want = std::clamp(wanted - m_buffer.size(), ChunkBytes, StepBytesMax);
        const qsizetype start = m_buffer.size();
        m_buffer.resize(start + want);
        const ssize_t got = ::recv(m_socket.get(), m_buffer.data() + start, std::size_t(want),
                                   deadline || !wait ? MSG_DONTWAIT : 0);
        const int error = errno;
        m_buffer.resize(start + std::max<qsizetype>(got, 0));
        if (got == 0 || (got < 0 && error == ECONNRESET))
            return {Ending::Closed, {}, {}};
        if (got > 0 || error == EINTR)
            continue;
        if (error != EAGAIN)
            return {Ending::Broken, {}, systemError("recv", error)};
        if (!wait)
            return {Ending::NotYet, {}, {}};
        switch (waitFor(POLLIN, deadline)) {
        case Wait::Ready:
            break;
        case Wait::TimedOut:
            return {Ending::TimedOut, {}, {}};
        case Wait::Failed:
            return {Ending::Broken, {}, systemError("poll", errno)};
        }
    }
    return {Ending::Message, {}, {}};
}

ReaderChannel::Received ReaderChannel::takeFrame(Deadline deadline, bool wait) {
    constexpr qsizetype HeaderBytes = sizeof(quint32);
    Received got = fill(HeaderBytes, deadline, wait);
    if (got.ending != Ending::Message)
        return got;
    const quint32 length = qFromLittleEndian<quint32>(m_buffer.constData());
    if (length > FrameBytesMax)
        return {Ending::Broken, {}, EngineText::tr("a frame of %1 bytes").arg(length)};
    const qsizetype frame = HeaderBytes + qsizetype(length);
    if (m_buffer.capacity() < frame)
        m_buffer.reserve(std::min(frame, ReserveBytesMax));
    got = fill(frame, deadline, wait);
    if (got.ending != Ending::Message)
        return got;
    got.message = m_buffer.mid(HeaderBytes, qsizetype(length));
    m_buffer.remove(0, frame);
    if (m_buffer.capacity() > ChunkBytes * 4 && m_buffer.isEmpty())
        m_buffer = QByteArray(); // a large frame's memory goes with it
    return got;
}

ReaderChannel::Received ReaderChannel::receive(Deadline deadline) {
    return takeFrame(deadline, true);
}

ReaderChannel::Received ReaderChannel::tryReceive() {
    return takeFrame(std::nullopt, false);
}

Status ReaderChannel::send(const QByteArray& message, Deadline deadline) {
    return send(QList<QByteArray>{message}, deadline);
}

Status ReaderChannel::send(const QList<QByteArray>& messages, Deadline deadline) {
    QByteArray frame;
    for (const QByteArray& message : messages) {
        char length[sizeof(quint32)];
        qToLittleEndian<quint32>(quint32(message.size()), length);
        frame.append(length, sizeof length).append(message);
    }
    qsizetype sent = 0;
    while (sent < frame.size()) {
        const ssize_t done = ::send(m_socket.get(), frame.constData() + sent,
                                    std::size_t(frame.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (done > 0) {
            sent += done;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return fail(systemError("send", errno));
        switch (waitFor(POLLOUT, deadline)) {
        case Wait::Ready:
            break;
        case Wait::TimedOut:
            return fail(EngineText::tr("timed out"));
        case Wait::Failed:
            return fail(systemError("poll", errno));
        }
    }
    return {};
}

} // namespace packshelf
