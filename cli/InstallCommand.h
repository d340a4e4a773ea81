#pragma once

#include <QStringList>

namespace packshelf::cli {

// packshelf-cli install SOURCE DEST [--work DIR] [--ignore-data]
//     [--runtime NAME=PATH] [--data NAME=PATH] [--force NAME=PATH]
int runInstall(const QStringList& arguments);

} // namespace packshelf::cli
