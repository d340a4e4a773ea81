#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <vector>

#include "analysis/ArchiveItem.h"

namespace packshelf {

// Where an install stands in bytes, for the line under the install sheet's
// bar: the file being written, the bytes written of the batch's total and
// the time left. The total is worked out beforehand from what the analysis
// saw of each archive's folders that the install copies; an archive that
// ends counts whole, whatever it left the same.
class InstallProgress {
    Q_DECLARE_TR_FUNCTIONS(InstallProgress)

public:
    // Starts counting an install of `items`, in their order.
    void begin(const std::vector<ArchiveItem>& items);
    // The archive at `index` of the install begins: those before it are done.
    void archiveBegins(qsizetype index);
    // `bytes` more of `file` were written.
    void written(const QString& file, quint64 bytes);

    quint64 done() const;
    quint64 total() const { return m_total; }
    // "Runtime/a.obj — 1.2 MB of 3.4 MB, about 5 seconds left".
    QString text() const;

    // The bytes an install of `item` copies, as the analysis saw them.
    static quint64 plannedBytes(const ArchiveItem& item);

private:
    QString timeLeftText() const;

    std::vector<quint64> m_planned;
    quint64 m_total = 0;
    quint64 m_before = 0;  // the archives done
    quint64 m_current = 0; // written of the archive under way
    qsizetype m_index = 0;
    QString m_file;
    QElapsedTimer m_clock;
};

} // namespace packshelf
