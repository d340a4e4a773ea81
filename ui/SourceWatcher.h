#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include "ui/FileStamp.h"

namespace packshelf {

// Watches the source folder for archives that arrive, change or go away.
// A change is looked at only once the folder has been quiet for a moment,
// and an archive is taken as settled only when two looks in a row find it
// the same size and time: one still being written waits, and the folder is looked
// at again until it stops growing.
class SourceWatcher : public QObject {
    Q_OBJECT
public:
    explicit SourceWatcher(QObject* parent = nullptr);

    using Stamps = QHash<QString, FileStamp>;

    // Watches `folder` from now on (an empty text stops watching); `known`
    // is what a scan has just found in it.
    void watch(const QString& folder, const Stamps& known);
    // The archives that changed at the last look: leave them out.
    const QSet<QString>& unsettled() const { return m_unsettled; }
    // How long the folder must be quiet, and how often a growing archive
    // is looked at again.
    void setSettleTime(int ms) { m_settle.setInterval(ms); }

    // Looks at the folder now; emits settledChanged() when its settled
    // archives differ from the last look that did.
    void look();

signals:
    void settledChanged();

private:
    Stamps currentStamps() const;

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_folder;
    Stamps m_lastLook;
    Stamps m_lastSettled;
    QSet<QString> m_unsettled;
};

} // namespace packshelf
