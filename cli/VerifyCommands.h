#pragma once

#include <QStringList>

namespace packshelf::cli {

// packshelf-cli verify DEST [NAME...] [--full] [--foreign]
int runVerify(const QStringList& arguments);

// packshelf-cli repair DEST NAME... --source DIR
int runRepair(const QStringList& arguments);

// packshelf-cli undo DEST
int runUndo(const QStringList& arguments);

} // namespace packshelf::cli
