#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <pthread.h>
#include <vector>

namespace packshelf {

// Runs jobs on at most `maxThreads` threads, made as they are needed and
// reused, so that any number of jobs costs a few threads. Jobs start in
// the order they are handed in. The window and the command line schedule
// their analyzer workers through it. The threads have a generous stack:
// trees a thousand folders deep are walked by recursion.
class WorkerPool {
public:
    explicit WorkerPool(int maxThreads);
    // Runs every job already handed in to its end, then joins the threads.
    // Must not run while a job waits on the destroying thread.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void start(std::function<void()> job);

    // Calls job(0) … job(count - 1) on a pool of its own with a thread per
    // core, at most four, and returns when every call has ended.
    static void forEachIndex(std::size_t count, const std::function<void(std::size_t)>& job);

private:
    void serve();
    static void* run(void* pool);

    const int m_maxThreads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
    std::vector<pthread_t> m_threads;
    int m_idle = 0;
    bool m_stopping = false;
};

} // namespace packshelf
