#pragma once

#include <QStringList>

namespace packshelf {
class Executor;
}

namespace packshelf::cli {

class Interrupts;

// packshelf-cli install SOURCE DEST [--work DIR] [--ignore-data]
//     [--runtime NAME=PATH] [--data NAME=PATH] [--force NAME=PATH]
//     [--allow-outside DIR]
int runInstall(const QStringList& arguments, Executor& executor, Interrupts& interrupts);

} // namespace packshelf::cli
