#pragma once

#include <QStringList>

namespace packshelf::cli {

// packshelf-cli installed DEST
int runInstalled(const QStringList& arguments);

// packshelf-cli uninstall DEST NAME...
int runUninstall(const QStringList& arguments);

// packshelf-cli recover DEST
int runRecover(const QStringList& arguments);

} // namespace packshelf::cli
