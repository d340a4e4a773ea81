#include "tests/support/ToolRunner.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// A plain fork rather than QProcess: QProcess starts its child by
// clone(CLONE_VM|CLONE_VFORK), which ThreadSanitizer does not intercept, so
// the child runs in the parent's sanitizer state and the parent's later
// locks go unseen: a window test that also runs a tool would report the
// executor's locked queue as raced.
ToolRun runTool(const QString& folder, const Command& command, const QString& outputFile) {
    ToolRun run;
    QTemporaryFile out;
    QTemporaryFile err;
    if (!out.open() || !err.open())
        return run;
    QFile named(outputFile);
    if (!outputFile.isEmpty() && !named.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return run;
    const int outFd = outputFile.isEmpty() ? out.handle() : named.handle();
    std::vector<QByteArray> words{QFile::encodeName(command.program)};
    for (const QString& argument : command.arguments)
        words.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray where = QFile::encodeName(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        if ((where.isEmpty() || ::chdir(where.constData()) == 0) &&
            ::dup2(outFd, STDOUT_FILENO) >= 0 && ::dup2(err.handle(), STDERR_FILENO) >= 0)
            ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return run;
    run.exitCode = WEXITSTATUS(status);
    out.seek(0);
    err.seek(0);
    run.out = out.readAll();
    run.err = err.readAll();
    return run;
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
