#include "core/SerialLane.h"

#include "core/Executor.h"

namespace packshelf {

SerialLane::SerialLane(Executor& executor)
    : m_executor(executor) {}

SerialLane::~SerialLane() {
    waitUntilIdle();
}

// One executor job drains the lane while it has jobs; the next job handed
// in after that starts another.
void SerialLane::start(std::function<void()> job) {
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(job));
    if (m_draining)
        return;
    m_draining = true;
    m_executor.start([this] { drain(); });
}

void SerialLane::drain() {
    std::unique_lock lock(m_mutex);
    while (!m_queue.empty()) {
        std::function<void()> job = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
    }
    m_draining = false;
    // Notified under the lock: the lane may go as soon as a waiter sees it.
    m_idle.notify_all();
}

void SerialLane::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_draining; });
}

} // namespace packshelf
