#pragma once

#include <QObject>
#include <functional>
#include <mutex>

namespace packshelf {

// Lets a worker thread run a function on the thread of this object (the
// main thread), either waiting until it has run or not.
//
// Qt carries only the address of the pending call across; the call itself
// is published and completed through C++ atomics with release/acquire
// order, so ThreadSanitizer can see both directions, which it cannot for
// Qt's own blocking queued calls (its futex-based primitives are invisible
// to it). Sending reads this object after the call is already queued; a
// short lock around each send, taken once more when the object goes, puts
// the end of every send before its destruction.
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

private:
    Q_INVOKABLE void runPending(quint64 pending);
    void send(quint64 pending);

    std::mutex m_sending;
};

} // namespace packshelf
