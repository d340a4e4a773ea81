#pragma once

#include <atomic>

namespace packshelf::cli {

// While it lives, SIGINT and SIGTERM do not end the process: they set the
// flag being watched (a run's cancel flag), so that the run stops cleanly,
// and are remembered for the exit status.
class Interrupts {
public:
    Interrupts();
    ~Interrupts();
    Interrupts(const Interrupts&) = delete;
    Interrupts& operator=(const Interrupts&) = delete;

    // The flag a signal sets from now on; it must outlive the watch.
    void watch(std::atomic<bool>* flag);
    // The signal received, or 0.
    int received() const;
};

} // namespace packshelf::cli
