#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <vector>

#include "analysis/ArchiveItem.h"

namespace packshelf {

// What an install came to, archive by archive, for the summary at its end.
class InstallSummary {
    Q_DECLARE_TR_FUNCTIONS(InstallSummary)

public:
    // One archive and what there is to say about it (a reason, a warning).
    struct Entry {
        QString fileName;
        QString note;
    };

    // Sorts the records an install handed back by how they ended.
    static InstallSummary of(const std::vector<ArchiveItem>& items);

    // Installed, with or without their nested archives.
    const QList<Entry>& installed() const { return m_installed; }
    // Installed, but a nested archive of it could not be: the note names it.
    const QList<Entry>& incomplete() const { return m_incomplete; }
    // Installed whole, with warnings (an entry passed over, a file changed
    // since kept by an update): the note gives them.
    const QList<Entry>& warned() const { return m_warned; }
    const QList<Entry>& failed() const { return m_failed; }
    // Not begun: the install was cancelled before their turn.
    const QList<Entry>& untouched() const { return m_untouched; }
    // Installed from this very archive before, and unchanged: left alone.
    const QList<Entry>& unchanged() const { return m_unchanged; }

    // One line for the top of the summary, and the lists below it.
    QString headline() const;
    QString detailsHtml() const;

private:
    QList<Entry> m_installed;
    QList<Entry> m_incomplete;
    QList<Entry> m_warned;
    QList<Entry> m_failed;
    QList<Entry> m_untouched;
    QList<Entry> m_unchanged;
};

} // namespace packshelf
