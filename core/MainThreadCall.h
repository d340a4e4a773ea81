#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace packshelf {

// Lets a worker thread run a function on the thread of this object (the
// main thread), either waiting until it has run or not.
//
// Calls wait in a queue of this object's own; Qt carries only a nudge to
// run the queue across. The calls are published and completed through C++
// atomics with release/acquire order and a mutex, so ThreadSanitizer can
// see both directions, which it cannot for Qt's own blocking queued calls
// (its futex-based primitives are invisible to it). Sending reads this
// object after the call is already queued; a short lock around each send,
// taken once more when the object goes, puts the end of every send before
// its destruction.
class MainThreadCall : public QObject {
    Q_OBJECT
public:
    explicit MainThreadCall(QObject* parent = nullptr);
    ~MainThreadCall() override;

    // From a worker: runs `function` on this object's thread and returns
    // when it has returned. On that thread itself, runs it at once.
    void callAndWait(std::function<void()> function);

    // From a worker: queues `function` to run on this object's thread.
    void post(std::function<void()> function);

    // On this object's thread: runs the calls workers hand over, as they
    // arrive, until `done` answers true (asked first, and after every call).
    // Nothing else runs meanwhile: no other event, timer or input. Quitting
    // waits here for the work under way to report.
    void serveUntil(const std::function<bool()>& done);

private:
    struct PendingCall;

    Q_INVOKABLE void runQueued();
    void send(PendingCall* call);
    // Takes the oldest queued call; null when none is queued.
    PendingCall* takeQueued();
    static void run(PendingCall* call);

    std::mutex m_sending;
    std::mutex m_queueMutex;
    std::condition_variable m_queued;
    std::deque<PendingCall*> m_queue;
};

} // namespace packshelf
