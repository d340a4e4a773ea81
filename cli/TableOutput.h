#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace packshelf::cli {

// How a command shows its results: JSON Lines (when asked, or when the
// output is not a terminal, so scripts always get JSON), or a table for a
// person, coloured unless NO_COLOR is set or the terminal cannot.
struct OutputStyle {
    bool json = true;
    bool color = false;
    bool quiet = false; // no progress, no warnings: only errors and results

    static OutputStyle forStdout(bool jsonAsked, bool quiet);
};

// A table printed row by row as results come in: fixed column widths, a
// text too wide for its column shortened in the middle.
class TableOutput {
public:
    enum class Tone { Plain, Good, Attention, Bad };

    struct Column {
        QString title;
        int width;
        bool alignRight = false;
    };

    TableOutput(std::vector<Column> columns, const OutputStyle& style);

    void header();
    // `tone` colours the second cell (the verdict or action).
    void row(const QStringList& cells, Tone tone = Tone::Plain);
    // A line under the row before, indented: a reason or a warning.
    void note(const QString& text);

private:
    std::vector<Column> m_columns;
    OutputStyle m_style;
};

} // namespace packshelf::cli
