#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>
#include <optional>

#include "core/PosixHandles.h"
#include "core/Result.h"

namespace packshelf {

// One end of the socket between the application and a reader process,
// carrying messages as frames: a 32-bit little-endian length, then the
// message. Waits are bounded by a deadline where one is given; a frame is
// taken in as it arrives, so a length that lies costs little memory.
class ReaderChannel {
public:
    using Clock = std::chrono::steady_clock;
    // No deadline: wait as long as it takes.
    using Deadline = std::optional<Clock::time_point>;
    static constexpr quint32 FrameBytesMax = 1u << 30;

    explicit ReaderChannel(handles::UniqueFd socket)
        : m_socket(std::move(socket)) {}

    enum class Ending {
        Message,  // a whole message arrived
        Closed,   // the other end closed the socket (or died) between messages or within one
        TimedOut, // the deadline passed
        Broken,   // a frame longer than any message, or a failed call
        NotYet,   // (tryReceive) no whole message has arrived
    };
    struct Received {
        Ending ending = Ending::Broken;
        QByteArray message;
        QString problem; // for Broken
    };

    Received receive(Deadline deadline);
    // A whole message if one has arrived, without waiting.
    Received tryReceive();
    // Fails when the other end is gone, the deadline passed or a call failed.
    Status send(const QByteArray& message, Deadline deadline);
    // Several messages, in order, in as few calls as they fit.
    Status send(const QList<QByteArray>& messages, Deadline deadline);

    int fd() const { return m_socket.get(); }

private:
    enum class Wait { Ready, TimedOut, Failed };
    Wait waitFor(short events, Deadline deadline);
    // Receives until the buffer holds `wanted` bytes; with `wait` false,
    // answers NotYet when nothing more has arrived.
    Received fill(qsizetype wanted, Deadline deadline, bool wait = true);
    // The frame at the start of the buffer, once it holds a whole one.
    Received takeFrame(Deadline deadline, bool wait);

    handles::UniqueFd m_socket;
    QByteArray m_buffer; // received and not yet taken
};

} // namespace packshelf
