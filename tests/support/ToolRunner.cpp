#include "tests/support/ToolRunner.h"

#include <QProcess>
#include <QStandardPaths>

namespace packshelf::test {

namespace {

constexpr int ToolTimeoutMs = 10 * 60 * 1000;

ToolRun finish(QProcess& process) {
    ToolRun run;
    if (!process.waitForFinished(ToolTimeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

ToolRun runTool(const QString& folder, const Command& command, const QString& outputFile) {
    QProcess process;
    process.setWorkingDirectory(folder);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(command.program, command.arguments);
    return finish(process);
}

ToolRun runPiped(const QString& folder, const Command& first, const Command& second,
                 const QString& outputFile, const QString& inputFile) {
    QProcess writer;
    QProcess reader;
    writer.setWorkingDirectory(folder);
    reader.setWorkingDirectory(folder);
    if (!inputFile.isEmpty())
        writer.setStandardInputFile(inputFile);
    writer.setStandardOutputProcess(&reader);
    reader.setStandardOutputFile(outputFile);
    writer.start(first.program, first.arguments);
    reader.start(second.program, second.arguments);
    const ToolRun written = finish(writer);
    const ToolRun read = finish(reader);
    return written.exitCode != 0 ? written : read;
}

bool toolsMissing(const QStringList& tools) {
    for (const QString& tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return true;
    }
    return false;
}

} // namespace packshelf::test
