#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <vector>

#include "analysis/ArchiveItem.h"

class QProgressBar;

namespace packshelf {

// Where an install stands in bytes, for the install sheet's bar and the
// line under it: the file being written, the bytes written of the batch's
// total and the time left. The total is worked out beforehand from what
// the analysis saw of each archive's folders that the install copies; an
// archive that ends counts whole, whatever it left the same. The bar fills
// with the bytes, so that a small archive moves it a little and a large
// one moves it while it is written, and its text counts the archives
// installed.
class InstallProgress {
    Q_DECLARE_TR_FUNCTIONS(InstallProgress)

public:
    // The bar's range: thousandths of the batch.
    static constexpr int BarRange = 1000;

    // Starts counting an install of `items`, in their order.
    void begin(const std::vector<ArchiveItem>& items);
    // The archive at `index` of the install begins: those before it are done.
    void archiveBegins(qsizetype index);
    // `bytes` more of `file` were written.
    void written(const QString& file, quint64 bytes);
    // The archive under way ended installed.
    void archiveInstalled();

    // The bar's fill, 0 to BarRange, and its text ("2 of 3 archives
    // installed").
    int barValue() const;
    QString barText() const;
    void showOn(QProgressBar* bar) const;

    quint64 done() const;
    quint64 total() const { return m_total; }
    // "Runtime/a.obj — 1.2 MB of 3.4 MB, about 5 seconds left".
    QString text() const;
    // The time left at `elapsed` milliseconds into the install, said only
    // once the pace is steady: from three seconds in, when the end foreseen
    // now lies within a fifth of the one foreseen a second or more before.
    // Empty until then.
    QString timeLeftAt(qint64 elapsed) const;

    // The bytes an install of `item` copies, as the analysis saw them.
    static quint64 plannedBytes(const ArchiveItem& item);

private:
    std::vector<quint64> m_planned;
    quint64 m_total = 0;
    quint64 m_before = 0;  // the archives done
    quint64 m_current = 0; // written of the archive under way
    qsizetype m_index = 0;
    int m_installed = 0;
    QString m_file;
    QElapsedTimer m_clock;
    // The end last foreseen, in milliseconds from the start, and when.
    mutable double m_foreseen = 0;
    mutable qint64 m_foreseenAt = -1;
    mutable bool m_steady = false;
};

} // namespace packshelf
