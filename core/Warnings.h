#pragma once

#include <QString>
#include <QStringList>

namespace packshelf {

// What an operation noticed on its way without failing, a line each in the
// order it noticed them: parts of an archive passed over, nested archives
// that could not be read, files kept. An operation that can fail answers a
// Result and keeps its Warnings beside the value it makes; one that only
// gathers them answers them.
class Warnings {
public:
    void add(const QString& line) { m_lines.append(line); }
    void add(const Warnings& more) { m_lines.append(more.m_lines); }

    bool isEmpty() const { return m_lines.isEmpty(); }
    qsizetype size() const { return m_lines.size(); }
    const QStringList& lines() const { return m_lines; }
    // The lines one below the other, as records and reports hold them.
    QString joined() const { return m_lines.join(QLatin1Char('\n')); }
    // Read as the list of lines by code that takes one.
    operator const QStringList&() const { return m_lines; }

    QStringList::const_iterator begin() const { return m_lines.cbegin(); }
    QStringList::const_iterator end() const { return m_lines.cend(); }

    bool operator==(const Warnings&) const = default;

private:
    QStringList m_lines;
};

} // namespace packshelf
