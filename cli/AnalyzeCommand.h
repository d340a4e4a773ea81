#pragma once

#include <QStringList>

namespace packshelf {
class Executor;
}

namespace packshelf::cli {

// Exit codes of the command-line front end.
enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// packshelf-cli analyze SOURCE [--work DIR] [--ignore-data] [--tree]
int runAnalyze(const QStringList& arguments, Executor& executor);

} // namespace packshelf::cli
