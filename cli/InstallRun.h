#pragma once

#include <QObject>
#include <optional>
#include <thread>
#include <vector>

#include "analysis/MainThreadCall.h"
#include "install/InstallJob.h"

namespace packshelf::cli {

// Runs one install on its own thread, as the window does: each progress
// step is posted to this object's thread, the completion runs there while
// the installer waits, and hands the records back.
class InstallRun : public QObject {
    Q_OBJECT
public:
    explicit InstallRun(InstallJob job);
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

    MainThreadCall m_mainThread;
    std::optional<InstallJob> m_job;
    std::thread m_thread;
    std::vector<ArchiveItem> m_items;
    int m_total = 0;
    int m_steps = 0;
};

} // namespace packshelf::cli
