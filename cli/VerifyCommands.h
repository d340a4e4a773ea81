#pragma once

#include <QStringList>

namespace packshelf {
class Executor;
}

namespace packshelf::cli {

class Interrupts;

// packshelf-cli verify DEST [NAME...] [--full] [--foreign]
int runVerify(const QStringList& arguments, Executor& executor);

// packshelf-cli repair DEST NAME... --source DIR
int runRepair(const QStringList& arguments, Executor& executor, Interrupts& interrupts);

// packshelf-cli undo DEST
int runUndo(const QStringList& arguments, Executor& executor, Interrupts& interrupts);

} // namespace packshelf::cli
