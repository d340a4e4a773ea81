#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

#include "core/SerialLane.h"
#include "ui/PreviewContent.h"

namespace packshelf {

class Executor;
class MainThreadCall;

// Makes the preview of the browser's selected file off the main thread, one
// file at a time. A new request (or cancel()) stops the one under way, and
// the result of an earlier request never reaches `done`.
class EntryPreviewLoader {
public:
    struct Request {
        QByteArray nativePath; // the archive
        QString path;          // the file in it
        QString workdir;       // where a large nested archive is spooled
    };

    EntryPreviewLoader(Executor& executor, MainThreadCall& mainThread);
    ~EntryPreviewLoader();
    EntryPreviewLoader(const EntryPreviewLoader&) = delete;
    EntryPreviewLoader& operator=(const EntryPreviewLoader&) = delete;

    void load(Request request, std::function<void(PreviewContent)> done);
    void cancel();

    // Requests whose results have not reached the main thread yet.
    bool busy() const { return m_pending > 0; }

private:
    MainThreadCall& m_mainThread;
    int m_pending = 0;
    quint64 m_generation = 0;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    // Declared last: destroyed first, once every request has ended.
    SerialLane m_lane;
};

} // namespace packshelf
