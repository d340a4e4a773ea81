#include "core/MainThreadCall.h"

#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <memory>

namespace packshelf {

// A function on its way to the main thread. `published` is set (release)
// by the worker once everything is written; the main thread reads it
// (acquire) before anything else. A waiting worker keeps the call on its own
// stack and sleeps on `finished`; a posted call is owned by the main thread
// from the moment it is sent.
struct MainThreadCall::PendingCall {
    std::atomic<bool> published{false};
    std::atomic<bool> finished{false};
    bool waiting = false;
    std::function<void()> function;
};

MainThreadCall::MainThreadCall(QObject* parent)
    : QObject(parent) {}

MainThreadCall::~MainThreadCall() {
    // Waits out a worker still returning from a send whose call has run.
    std::lock_guard ended(m_sending);
    // Posted calls nobody ran are dropped; no worker waits on one, since
    // a waiting worker keeps this object alive by the owner's contract.
    while (PendingCall* call = takeQueued()) {
        if (!call->waiting)
            delete call;
    }
}

void MainThreadCall::callAndWait(std::function<void()> function) {
    if (QThread::currentThread() == thread()) {
        function();
        return;
    }
    PendingCall call;
    call.waiting = true;
    call.function = std::move(function);
    call.published.store(true, std::memory_order_release);
    send(&call);
    call.finished.wait(false, std::memory_order_acquire);
}

void MainThreadCall::post(std::function<void()> function) {
    auto call = std::make_unique<PendingCall>();
    call->function = std::move(function);
    call->published.store(true, std::memory_order_release);
    send(call.release());
}

void MainThreadCall::send(PendingCall* call) {
    std::lock_guard sending(m_sending);
    {
        std::lock_guard queue(m_queueMutex);
        m_queue.push_back(call);
    }
    m_queued.notify_one();
    if (!QMetaObject::invokeMethod(this, "runQueued", Qt::QueuedConnection))
        qFatal("MainThreadCall: the call could not be queued");
}

MainThreadCall::PendingCall* MainThreadCall::takeQueued() {
    std::lock_guard queue(m_queueMutex);
    if (m_queue.empty())
        return nullptr;
    PendingCall* call = m_queue.front();
    m_queue.pop_front();
    return call;
}

// One nudge per call, but a nudge runs whatever is queued: the nudges of
// calls already run (by an earlier nudge or by serveUntil()) find nothing.
void MainThreadCall::runQueued() {
    while (PendingCall* call = takeQueued())
        run(call);
}

void MainThreadCall::run(PendingCall* call) {
    call->published.load(std::memory_order_acquire);
    if (!call->waiting) {
        std::unique_ptr<PendingCall> owned(call);
        owned->function();
        return;
    }
    call->function();
    // The worker may return and drop `call` as soon as it sees the flag;
    // notifying only wakes waiters on the address and reads nothing there.
    call->finished.store(true, std::memory_order_release);
    call->finished.notify_one();
}

void MainThreadCall::serveUntil(const std::function<bool()>& done) {
    while (!done()) {
        PendingCall* call = nullptr;
        {
            std::unique_lock queue(m_queueMutex);
            m_queued.wait(queue, [this] { return !m_queue.empty(); });
            call = m_queue.front();
            m_queue.pop_front();
        }
        run(call);
    }
}

} // namespace packshelf
