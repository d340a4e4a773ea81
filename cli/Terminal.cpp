#include "cli/Terminal.h"

#include <cstdio>
#include <unistd.h>

namespace packshelf::cli {

void printError(const QString& message) {
    std::fprintf(stderr, "packshelf-cli: %s\n", message.toLocal8Bit().constData());
}

ProgressLine::ProgressLine(QString label, bool quiet)
    : m_label(std::move(label))
    , m_enabled(!quiet && ::isatty(STDERR_FILENO) == 1) {}

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
