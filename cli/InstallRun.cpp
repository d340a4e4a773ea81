#include "cli/InstallRun.h"

#include "cli/Terminal.h"
#include "install/Installer.h"

namespace packshelf::cli {

InstallRun::InstallRun(InstallJob job)
    : m_job(std::move(job))
    , m_total(int(m_job->items.size())) {}

InstallRun::~InstallRun() {
    if (m_thread.joinable())
        m_thread.join();
}

void InstallRun::start() {
    InstallCallbacks callbacks = callbacksThrough(
        m_mainThread, [this](QString fileName) { copyStep(fileName); },
        [this](std::vector<ArchiveItem> items) { copyDone(std::move(items)); });
    callbacks.waiting = [](const QString& line) { printError(line); };
    m_thread = std::thread([job = std::move(*m_job), callbacks = std::move(callbacks)]() mutable {
        installerThread(std::move(job), callbacks);
    });
    m_job.reset();
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
