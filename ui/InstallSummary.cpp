#include "ui/InstallSummary.h"

#include <QCoreApplication>
#include <QStringList>

namespace packshelf {

namespace {

// A nested archive the install could not take is told by the verdict the
// installer leaves on an installed record; an error code alone says
// nothing (a record keeps the code of an earlier failure, a folder forced
// where nothing was found, when it later becomes ready), and a warning may
// say something else altogether (an entry passed over, a changed file kept).
QString nestedFailureNote(const ArchiveItem& item) {
    return item.text(key::Warning)
        .value_or(InstallSummary::tr("a nested archive could not be installed"));
}

QString failureNote(const ArchiveItem& item) {
    return item.text(key::Reason).value_or(InstallSummary::tr("no reason was recorded"));
}

QString section(const QString& title, const QList<InstallSummary::Entry>& entries) {
    if (entries.isEmpty())
        return {};
    QString html = QStringLiteral("<p><b>%1</b></p><ul>").arg(title.toHtmlEscaped());
    for (const InstallSummary::Entry& entry : entries) {
        // Names are shown as they are: rich text would fold runs of spaces.
        html += QStringLiteral("<li><span style=\"white-space:pre-wrap\">%1</span>")
                    .arg(entry.fileName.toHtmlEscaped());
        if (!entry.note.isEmpty())
            html += QStringLiteral(" — <i>%1</i>")
                        .arg(entry.note.toHtmlEscaped().replace('\n', QStringLiteral("<br>")));
        html += QStringLiteral("</li>");
    }
    return html + QStringLiteral("</ul>");
}

} // namespace

InstallSummary InstallSummary::of(const std::vector<ArchiveItem>& items) {
    InstallSummary summary;
    for (const ArchiveItem& item : items) {
        const QString name = item.fileName();
        if (item.state() == ItemState::Installed && item.flag(key::Unchanged))
            summary.m_unchanged.append({name, {}});
        else if (item.state() == ItemState::Installed) {
            summary.m_installed.append({name, {}});
            if (lostNestedArchive(item))
                summary.m_incomplete.append({name, nestedFailureNote(item)});
            else if (const std::optional<QString> warning = item.text(key::Warning))
                summary.m_warned.append({name, *warning});
        } else if (item.state() == ItemState::Failed)
            summary.m_failed.append({name, failureNote(item)});
        else
            summary.m_untouched.append({name, {}});
    }
    return summary;
}

QString InstallSummary::headline() const {
    QString line = tr("%Ln archive(s) installed.", nullptr, int(m_installed.size()));
    if (!m_incomplete.isEmpty())
        line += QLatin1Char(' ') +
                tr("%Ln with nested archives not installed.", nullptr, int(m_incomplete.size()));
    if (!m_warned.isEmpty())
        line += QLatin1Char(' ') + tr("%Ln with warnings.", nullptr, int(m_warned.size()));
    if (!m_unchanged.isEmpty())
        line += QLatin1Char(' ') + tr("%Ln already installed and unchanged, left alone.", nullptr,
                                      int(m_unchanged.size()));
    if (!m_failed.isEmpty())
        line += QLatin1Char(' ') + tr("%Ln failed.", nullptr, int(m_failed.size()));
    if (!m_untouched.isEmpty())
        line += QLatin1Char(' ') + tr("%Ln not installed: the install was cancelled.", nullptr,
                                      int(m_untouched.size()));
    return line;
}

QString InstallSummary::detailsHtml() const {
    return section(tr("Failed"), m_failed) + section(tr("Installed"), m_installed) +
           section(tr("Nested archives not installed"), m_incomplete) +
           section(tr("Installed with warnings"), m_warned) +
           section(tr("Already installed, unchanged: left alone"), m_unchanged) +
           section(tr("Not installed (cancelled)"), m_untouched);
}

} // namespace packshelf
