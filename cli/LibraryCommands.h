#pragma once

#include <QStringList>

#include "cli/TableOutput.h"

namespace packshelf {
class Executor;
struct RemovalOutcome;
} // namespace packshelf

namespace packshelf::cli {

class Interrupts;

// packshelf-cli installed DEST
int runInstalled(const QStringList& arguments, Executor& executor);

// packshelf-cli uninstall DEST NAME... [--allow-outside DIR]
int runUninstall(const QStringList& arguments, Executor& executor, Interrupts& interrupts);

// packshelf-cli recover DEST [--allow-outside DIR]
int runRecover(const QStringList& arguments, Executor& executor, Interrupts& interrupts);

// Shows what taking a package out did, as uninstall and undo show it: a
// table row or a JSON line on stdout, and on stderr each file kept and
// each earlier version of the user's put back beside one.
class RemovalPrinter {
public:
    RemovalPrinter(const OutputStyle& style, QString library);
    void print(const QString& archive, const RemovalOutcome& outcome);

private:
    OutputStyle m_style;
    QString m_library;
    TableOutput m_table;
    bool m_headerShown = false;
};

// The exit status a command interrupted by `signal` ends with.
inline int interruptedExit(int signal) {
    return 128 + signal;
}

} // namespace packshelf::cli
