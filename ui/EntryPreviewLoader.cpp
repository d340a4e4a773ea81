#include "ui/EntryPreviewLoader.h"

#include "core/MainThreadCall.h"

namespace packshelf {

EntryPreviewLoader::EntryPreviewLoader(Executor& executor, MainThreadCall& mainThread)
    : m_mainThread(mainThread)
    , m_lane(executor) {}

EntryPreviewLoader::~EntryPreviewLoader() {
    cancel();
}

void EntryPreviewLoader::cancel() {
    ++m_generation;
    if (m_cancelled)
        m_cancelled->store(true);
    m_cancelled.reset();
}

void EntryPreviewLoader::load(Request request, std::function<void(PreviewContent)> done) {
    cancel();
    m_cancelled = std::make_shared<std::atomic<bool>>(false);
    ++m_pending;
    m_lane.start([this, request = std::move(request), done = std::move(done),
                  cancelled = m_cancelled, generation = m_generation]() mutable {
        PreviewContent content = cancelled->load()
                                     ? PreviewContent()
                                     : PreviewContent::ofEntry(request.nativePath, request.path,
                                                               request.workdir, cancelled.get());
        m_mainThread.post(
            [this, content = std::move(content), done = std::move(done), generation]() mutable {
                --m_pending;
                if (generation == m_generation)
                    done(std::move(content));
            });
    });
}

} // namespace packshelf
