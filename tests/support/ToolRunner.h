#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace packshelf::test {

// A program Debian ships and its arguments.
struct Command {
    QString program;
    QStringList arguments;
};

// What a tool did: its exit code (-1 when it could not be started or was
// ended by a signal, 127 when the program is not there) and what it printed.
struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool ok() const { return exitCode == 0; }
};

// Runs `command` in `folder`, its output into `outputFile` when one is
// named.
ToolRun runTool(const QString& folder, const Command& command,
                const QString& outputFile = QString());

// Runs `first | second > outputFile` in `folder`, `first` reading
// `inputFile` when one is named: a writer whose output (or input) is a pipe
// cannot seek back, and so writes data descriptors.
ToolRun runPiped(const QString& folder, const Command& first, const Command& second,
                 const QString& outputFile, const QString& inputFile = QString());

// Whether any of the programs named is not on the path.
bool toolsMissing(const QStringList& tools);

} // namespace packshelf::test
