#pragma once

#include <QStringList>

namespace packshelf {
class Executor;
}

namespace packshelf::cli {

// packshelf-cli install SOURCE DEST [--work DIR] [--ignore-data]
//     [--runtime NAME=PATH] [--data NAME=PATH] [--force NAME=PATH]
int runInstall(const QStringList& arguments, Executor& executor);

} // namespace packshelf::cli
