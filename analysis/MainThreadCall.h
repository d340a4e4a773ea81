#pragma once

#include <QObject>
#include <functional>

namespace packshelf {

// Lets a worker thread run a function on the thread of this object (the
// main thread), either waiting until it has run or not.
//
// Qt carries only the address of the pending call across; the call itself
// is published and completed through C++ atomics with release/acquire
// order. That is the whole hand-over: no lock is taken, and
// ThreadSanitizer can see both directions, which it cannot for Qt's own
// blocking queued calls (its futex-based primitives are invisible to it).
class MainThreadCall : public QObject {
    Q_OBJECT
public:
    explicit MainThreadCall(QObject* parent = nullptr);

    // From a worker: runs `function` on this object's thread and returns
    // when it has returned. Must not be called on that thread itself.
    void callAndWait(std::function<void()> function);

    // From a worker: queues `function` to run on this object's thread.
    void post(std::function<void()> function);

private:
    Q_INVOKABLE void runPending(quint64 pending);
    void send(quint64 pending);
};

} // namespace packshelf
