#include "core/Executor.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace packshelf {

namespace {

constexpr std::size_t StackSize = 64ull << 20; // address space only, until used

// One forEachIndex call, shared with the helpers it hands to the executor.
// Each taker claims the next index until none is left; a helper that starts
// only after every index is claimed leaves without touching the job, so the
// caller need wait only for the claimed calls to end.
struct IndexRun {
    std::size_t count = 0;
    const std::function<void(std::size_t)>* job = nullptr;
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable allDone;
    std::size_t finished = 0;

    void take() {
        std::size_t ran = 0;
        for (std::size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1)) {
            (*job)(i);
            ++ran;
        }
        if (ran == 0)
            return;
        std::lock_guard lock(mutex);
        finished += ran;
        if (finished == count)
            allDone.notify_all();
    }

    void waitForAll() {
        std::unique_lock lock(mutex);
        allDone.wait(lock, [this] { return finished == count; });
    }
};

} // namespace

Executor::Executor(int maxThreads)
    : m_maxThreads(maxThreads > 0 ? maxThreads : 1) {}

Executor::~Executor() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (pthread_t thread : m_threads)
        pthread_join(thread, nullptr);
}

void Executor::start(std::function<void()> job) {
    std::unique_lock lock(m_mutex);
    m_queue.push_back(std::move(job));
    // Every queued job needs a thread of its own: an idle thread that has
    // been woken but not yet taken its job is already spoken for.
    if (int(m_queue.size()) > m_idle && int(m_threads.size()) < m_maxThreads)
        startThread();
    lock.unlock();
    m_wake.notify_one();
}

// Called with the lock held; a new thread takes the queued job.
void Executor::startThread() {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, StackSize);
    pthread_t thread;
    const int failed = pthread_create(&thread, &attributes, &Executor::run, this);
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

void* Executor::run(void* executor) {
    static_cast<Executor*>(executor)->serve();
    return nullptr;
}

void Executor::serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_queue.empty()) {
            std::function<void()> job = std::move(m_queue.front());
            m_queue.pop_front();
            ++m_running;
            lock.unlock();
            job();
            job = nullptr; // whatever the job holds goes before the next one starts
            lock.lock();
            --m_running;
            if (m_running == 0 && m_queue.empty())
                m_idleChanged.notify_all();
            continue;
        }
        if (m_stopping)
            return;
        ++m_idle;
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        --m_idle;
    }
}

void Executor::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_idleChanged.wait(lock, [this] { return m_running == 0 && m_queue.empty(); });
}

void Executor::forEachIndex(std::size_t count, const std::function<void(std::size_t)>& job,
                            int width) {
    if (count == 0)
        return;
    // One task per helper, not one per index, so that ten thousand short
    // calls do not queue ten thousand tasks through the executor's lock.
    const std::size_t cores = std::size_t(std::max(QThread::idealThreadCount(), 1));
    const std::size_t helpers = std::min({count, cores, std::size_t(std::max(width, 1))}) - 1;
    auto shared = std::make_shared<IndexRun>();
    shared->count = count;
    shared->job = &job;
    for (std::size_t h = 0; h < helpers; ++h)
        start([shared] { shared->take(); });
    shared->take();
    shared->waitForAll();
}

} // namespace packshelf
