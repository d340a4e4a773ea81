#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <pthread.h>
#include <vector>

namespace packshelf {

// The application's one set of worker threads: analysis, previews,
// installs, library reads and imports all run their jobs here. Threads are
// made as jobs need them, up to `maxThreads`, and reused; jobs start in the
// order they are handed in. Each client limits its own concurrency (the
// analysis a few at once, the library one at a time through a SerialLane),
// so the cap is generous and a long analysis never keeps an install or a
// library read waiting. The threads have a large stack: trees a thousand
// folders deep are walked by recursion.
class Executor {
public:
    static constexpr int DefaultMaxThreads = 16;

    explicit Executor(int maxThreads = DefaultMaxThreads);
    // Runs every job already handed in to its end, then joins the threads.
    // Must not run while a job waits on the destroying thread.
    ~Executor();
    Executor(const Executor&) = delete;
    Executor& operator=(const Executor&) = delete;

    void start(std::function<void()> job);

    // Calls job(0) … job(count - 1) on at most `width` threads at once and
    // returns when every call has ended. The calling thread takes part, so
    // the calls end even when every thread of the executor is busy, and a
    // job may call forEachIndex again.
    void forEachIndex(std::size_t count, const std::function<void(std::size_t)>& job,
                      int width = DefaultWidth);

    // Returns once no job is queued or running.
    void waitUntilIdle();

private:
    static constexpr int DefaultWidth = 4;

    void serve();
    static void* run(void* executor);
    void startThread();

    const int m_maxThreads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idleChanged;
    std::deque<std::function<void()>> m_queue;
    std::vector<pthread_t> m_threads;
    int m_idle = 0;
    int m_running = 0;
    bool m_stopping = false;
};

} // namespace packshelf
