#include "cli/TableOutput.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "cli/FolderArguments.h"

namespace packshelf::cli {

namespace {

QString fitted(const QString& text, int width) {
    if (text.size() <= width)
        return text;
    const int head = (width - 1) / 2;
    return text.left(head) + QStringLiteral("…") + text.right(width - 1 - head);
}

const char* colourOf(TableOutput::Tone tone) {
    switch (tone) {
    case TableOutput::Tone::Good:
        return "\033[32m";
    case TableOutput::Tone::Attention:
        return "\033[34m";
    case TableOutput::Tone::Bad:
        return "\033[31m";
    case TableOutput::Tone::Plain:
        break;
    }
    return "";
}

void write(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
}

} // namespace

OutputStyle OutputStyle::forStdout(bool jsonAsked, bool quiet) {
    OutputStyle style;
    style.quiet = quiet;
    style.json = jsonAsked || ::isatty(STDOUT_FILENO) != 1;
    const char* term = std::getenv("TERM");
    const char* noColor = std::getenv("NO_COLOR");
    style.color =
        !style.json && (!noColor || !*noColor) && (!term || std::strcmp(term, "dumb") != 0);
    return style;
}

TableOutput::TableOutput(std::vector<Column> columns, const OutputStyle& style)
    : m_columns(std::move(columns))
    , m_style(style) {}

void TableOutput::header() {
    QStringList titles;
    for (const Column& column : m_columns)
        titles.append(column.title);
    if (m_style.color)
        write(QStringLiteral("\033[1m"));
    row(titles);
    if (m_style.color)
        write(QStringLiteral("\033[0m"));
    std::fflush(stdout);
}

void TableOutput::row(const QStringList& cells, Tone tone) {
    QString line;
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const Column& column = m_columns[i];
        const QString cell = fitted(shownText(cells.value(qsizetype(i))), column.width);
        const QString padded = column.alignRight ? cell.rightJustified(column.width)
                                                 : cell.leftJustified(column.width);
        const bool coloured = i == 1 && m_style.color && tone != Tone::Plain;
        if (i > 0)
            line += QStringLiteral("  ");
        line +=
            coloured ? QLatin1String(colourOf(tone)) + padded + QStringLiteral("\033[0m") : padded;
    }
    write(line.trimmed() + QLatin1Char('\n'));
    std::fflush(stdout);
}

void TableOutput::note(const QString& text) {
    write(QStringLiteral("    ") + shownText(text) + QLatin1Char('\n'));
    std::fflush(stdout);
}

} // namespace packshelf::cli
