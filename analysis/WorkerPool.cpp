#include "analysis/WorkerPool.h"

namespace packshelf {

WorkerPool::WorkerPool(int maxThreads)
    : m_maxThreads(maxThreads > 0 ? maxThreads : 1) {}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void WorkerPool::start(std::function<void()> job) {
    std::unique_lock lock(m_mutex);
    m_queue.push_back(std::move(job));
    if (m_idle == 0 && int(m_threads.size()) < m_maxThreads) {
        m_threads.emplace_back([this] { serve(); });
        return;
    }
    lock.unlock();
    m_wake.notify_one();
}

void WorkerPool::serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_queue.empty()) {
            std::function<void()> job = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            job();
            job = nullptr; // whatever the job holds goes before the next one starts
            lock.lock();
            continue;
        }
        if (m_stopping)
            return;
        ++m_idle;
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        --m_idle;
    }
}

} // namespace packshelf
