#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QString>
#include <vector>

#include "analysis/ArchiveItem.h"
#include "ui/FileStamp.h"

namespace packshelf {

struct SourceScan;

// Which archives of the source folder the list holds after a scan, and the
// stamp of every archive the last scan saw, listed or set aside.
class ListedArchives {
    Q_DECLARE_TR_FUNCTIONS(ListedArchives)

public:
    // Why nothing could be listed.
    enum class SourceProblem { None, NotChosen, Missing, Unreadable };

    // The records of a new list, in listing order. Following the folder, an
    // analysed record whose archive is unchanged is kept as it is, and an
    // archive the last scan saw unchanged but the list no longer holds
    // (installed or dropped) stays out. Archives in `leftOut` are not
    // listed yet (they are still being written).
    std::vector<ArchiveItem> itemsOf(const SourceScan& scan, const QString& sourceFolder,
                                     bool following, const QSet<QString>& leftOut,
                                     std::vector<ArchiveItem> previous);

    const QHash<QString, FileStamp>& stamps() const { return m_stamps; }
    // The next scan that follows the folder lists these archives afresh, as
    // if they had changed.
    void forget(const QStringList& fileNames);
    // What an empty list says instead, with the source folder `source`.
    QString emptyListText(SourceProblem problem, const QString& source) const;

private:
    QHash<QString, FileStamp> m_stamps;
};

} // namespace packshelf
