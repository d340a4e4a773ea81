#include "cli/InstallRun.h"

#include "cli/Terminal.h"
#include "core/Executor.h"
#include "install/Installer.h"

namespace packshelf::cli {

InstallRun::InstallRun(Executor& executor, InstallJob job)
    : m_executor(executor)
    , m_job(std::move(job))
    , m_total(int(m_job->items.size())) {}

InstallRun::~InstallRun() {
    std::unique_lock lock(m_mutex);
    m_ended.wait(lock, [this] { return !m_running; });
}

void InstallRun::start() {
    InstallCallbacks callbacks = callbacksThrough(
        m_mainThread, [this](QString fileName) { copyStep(fileName); },
        [this](std::vector<ArchiveItem> items) { copyDone(std::move(items)); });
    callbacks.waiting = [](const QString& line) { printError(line); };
    {
        std::lock_guard lock(m_mutex);
        m_running = true;
    }
    m_executor.start([this, job = std::move(*m_job), callbacks = std::move(callbacks)]() mutable {
        installerThread(std::move(job), callbacks, m_executor);
        callbacks = {};
        jobEnded();
    });
    m_job.reset();
}

// Notified under the lock: this object may go as soon as its destructor
// sees the job ended.
void InstallRun::jobEnded() {
    std::lock_guard lock(m_mutex);
    m_running = false;
    m_ended.notify_all();
}

void InstallRun::copyStep(const QString& fileName) {
    ++m_steps;
    emit stepped(fileName, m_steps, m_total);
}

void InstallRun::copyDone(std::vector<ArchiveItem> items) {
    m_items = std::move(items);
    emit finished();
}

} // namespace packshelf::cli
