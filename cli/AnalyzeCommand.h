#pragma once

#include <QStringList>

namespace packshelf {
class Executor;
}

namespace packshelf::cli {

// packshelf-cli analyze SOURCE [--work DIR] [--ignore-data] [--tree]
int runAnalyze(const QStringList& arguments, Executor& executor);

} // namespace packshelf::cli
