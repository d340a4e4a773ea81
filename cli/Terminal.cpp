#include "cli/Terminal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "cli/FolderArguments.h"

namespace packshelf::cli {

void printError(const QString& message) {
    std::fprintf(stderr, "packshelf-cli: %s\n", shownText(message).toLocal8Bit().constData());
}

namespace {
// A terminal that can rewrite its line.
bool rewritableTerminal() {
    const char* term = std::getenv("TERM");
    return ::isatty(STDERR_FILENO) == 1 && !(term && std::strcmp(term, "dumb") == 0);
}
} // namespace

ProgressLine::ProgressLine(QString label, bool quiet)
    : m_label(std::move(label))
    , m_enabled(!quiet && rewritableTerminal()) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::clear() {
    if (!m_shown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_shown = false;
}

void ProgressLine::show(int done, int total) {
    if (!m_enabled)
        return;
    std::fprintf(stderr, "\r%s %d of %d", m_label.toLocal8Bit().constData(), done, total);
    std::fflush(stderr);
    m_shown = true;
}

} // namespace packshelf::cli
