#include "ui/SourceWatcher.h"

#include <QFile>

#include "analysis/SourceScan.h"

namespace packshelf {

namespace {
constexpr int SettleMs = 700;
}

SourceWatcher::SourceWatcher(QObject* parent)
    : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
            qOverload<>(&QTimer::start));
    connect(&m_settle, &QTimer::timeout, this, &SourceWatcher::look);
}

void SourceWatcher::watch(const QString& folder, const Stamps& known) {
    m_lastLook = known;
    m_lastSettled = known;
    if (folder == m_folder && m_watcher.directories().contains(folder))
        return;
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_folder = folder;
    m_unsettled.clear();
    if (!folder.isEmpty())
        m_watcher.addPath(folder);
}

SourceWatcher::Stamps SourceWatcher::currentStamps() const {
    Stamps stamps;
    if (m_folder.isEmpty())
        return stamps;
    const Result<SourceScan> scan = scanSourceFolder(m_folder);
    if (!scan)
        return stamps;
    const QByteArray folder = QFile::encodeName(m_folder) + '/';
    for (qsizetype i = 0; i < scan->fileNames.size(); ++i)
        stamps.insert(scan->fileNames[i], FileStamp::of(folder + scan->nativeNames[i]));
    return stamps;
}

void SourceWatcher::look() {
    const Stamps now = currentStamps();
    Stamps settled;
    m_unsettled.clear();
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const auto before = m_lastLook.constFind(it.key());
        if (before != m_lastLook.cend() && before.value() == it.value())
            settled.insert(it.key(), it.value());
        else
            m_unsettled.insert(it.key());
    }
    m_lastLook = now;
    if (!m_unsettled.isEmpty())
        m_settle.start();
    if (settled == m_lastSettled)
        return;
    m_lastSettled = settled;
    emit settledChanged();
}

} // namespace packshelf
