#pragma once

#include <QObject>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "core/MainThreadCall.h"
#include "install/InstallJob.h"

namespace packshelf {
class Executor;
}

namespace packshelf::cli {

// Runs one install on the application's executor, as the window does: each
// progress step is posted to this object's thread, the completion runs
// there while the installer waits, and hands the records back.
class InstallRun : public QObject {
    Q_OBJECT
public:
    InstallRun(Executor& executor, InstallJob job);
    // Waits until the install's job has ended.
    ~InstallRun() override;

    void start();
    // The job's records as the installer left them, once `finished` fired.
    const std::vector<ArchiveItem>& items() const { return m_items; }

signals:
    void stepped(const QString& fileName, int done, int total);
    void finished();

private:
    void copyStep(const QString& fileName);
    void copyDone(std::vector<ArchiveItem> items);
    void jobEnded();

    Executor& m_executor;
    MainThreadCall m_mainThread;
    std::optional<InstallJob> m_job;
    std::vector<ArchiveItem> m_items;
    int m_total = 0;
    int m_steps = 0;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_running = false;
};

} // namespace packshelf::cli
