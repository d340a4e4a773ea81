#include "analysis/WorkerPool.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace packshelf {

namespace {
constexpr std::size_t StackSize = 64ull << 20; // address space only, until used
} // namespace

WorkerPool::WorkerPool(int maxThreads)
    : m_maxThreads(maxThreads > 0 ? maxThreads : 1) {}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (pthread_t thread : m_threads)
        pthread_join(thread, nullptr);
}

void WorkerPool::start(std::function<void()> job) {
    std::unique_lock lock(m_mutex);
    m_queue.push_back(std::move(job));
    if (m_idle == 0 && int(m_threads.size()) < m_maxThreads) {
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, StackSize);
        pthread_t thread;
        const int failed = pthread_create(&thread, &attributes, &WorkerPool::run, this);
        pthread_attr_destroy(&attributes);
        if (failed == 0) {
            m_threads.push_back(thread);
            return;
        }
        if (m_threads.empty()) { // no thread at all could run the job
            std::fprintf(stderr, "packshelf: cannot start a worker thread\n");
            std::abort();
        }
    }
    lock.unlock();
    m_wake.notify_one();
}

void* WorkerPool::run(void* pool) {
    static_cast<WorkerPool*>(pool)->serve();
    return nullptr;
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

void WorkerPool::forEachIndex(std::size_t count, const std::function<void(std::size_t)>& job) {
    // Each thread takes the next index as it is free: one task per thread,
    // not one per index, so that ten thousand short calls do not queue ten
    // thousand tasks through the pool's lock.
    const std::size_t threads =
        std::min(count, std::size_t(std::clamp(QThread::idealThreadCount(), 1, 4)));
    std::atomic<std::size_t> next{0};
    WorkerPool pool{int(threads)};
    for (std::size_t t = 0; t < threads; ++t) {
        pool.start([&] {
            for (std::size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1))
                job(i);
        });
    }
}

} // namespace packshelf
