#include "core/MainThreadCall.h"

#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <memory>

namespace packshelf {

namespace {

// A function on its way to the main thread. `published` is set (release)
// by the worker once everything is written; the main thread reads it
// (acquire) before anything else. A waiting worker keeps the call on its own
// stack and sleeps on `finished`; a posted call is owned by the main thread
// from the moment it is sent.
struct PendingCall {
    std::atomic<bool> published{false};
    std::atomic<bool> finished{false};
    bool waiting = false;
    std::function<void()> function;
};

} // namespace

MainThreadCall::MainThreadCall(QObject* parent)
    : QObject(parent) {}

MainThreadCall::~MainThreadCall() {
    // Waits out a worker still returning from a send whose call has run.
    std::lock_guard ended(m_sending);
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
    send(reinterpret_cast<quint64>(&call));
    call.finished.wait(false, std::memory_order_acquire);
}

void MainThreadCall::post(std::function<void()> function) {
    auto call = std::make_unique<PendingCall>();
    call->function = std::move(function);
    call->published.store(true, std::memory_order_release);
    send(reinterpret_cast<quint64>(call.release()));
}

void MainThreadCall::send(quint64 pending) {
    std::lock_guard sending(m_sending);
    const bool queued = QMetaObject::invokeMethod(this, "runPending", Qt::QueuedConnection,
                                                  Q_ARG(quint64, pending));
    if (!queued)
        qFatal("MainThreadCall: the call could not be queued");
}

void MainThreadCall::runPending(quint64 pending) {
    auto* call = reinterpret_cast<PendingCall*>(pending);
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

} // namespace packshelf
