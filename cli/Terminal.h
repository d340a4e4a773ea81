#pragma once

#include <QString>

namespace packshelf::cli {

// Writes a one-line message to stderr.
void printError(const QString& message);

// Shows "label done of total" on stderr, rewriting one line, only while
// stderr is a terminal and not `quiet`.
class ProgressLine {
public:
    explicit ProgressLine(QString label, bool quiet = false);
    ~ProgressLine();
    void show(int done, int total);
    // Takes the line off the terminal, so that other output can follow.
    void clear();

private:
    QString m_label;
    bool m_enabled;
    bool m_shown = false;
};

} // namespace packshelf::cli
