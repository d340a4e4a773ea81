#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace packshelf {

class Executor;

// Runs jobs on an executor one at a time, in the order they are handed in:
// work that must not overlap (the window's reads and changes of the
// library) without a thread of its own.
class SerialLane {
public:
    explicit SerialLane(Executor& executor);
    // Waits until every job handed in has ended.
    ~SerialLane();
    SerialLane(const SerialLane&) = delete;
    SerialLane& operator=(const SerialLane&) = delete;

    void start(std::function<void()> job);
    // Returns once no job of the lane is queued or running. Must not be
    // called from a job of the lane.
    void waitUntilIdle();

private:
    void drain();

    Executor& m_executor;
    std::mutex m_mutex;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_queue;
    bool m_draining = false;
};

} // namespace packshelf
