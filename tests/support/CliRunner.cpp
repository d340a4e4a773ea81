#include "tests/support/CliRunner.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryFile>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace packshelf::test {

QList<QJsonObject> CliResult::records() const {
    QList<QJsonObject> result;
    for (const QByteArray& line : out.split('\n')) {
        if (!line.isEmpty())
            result << QJsonDocument::fromJson(line).object();
    }
    return result;
}

QMap<QString, QJsonObject> CliResult::byFileName() const {
    QMap<QString, QJsonObject> result;
    for (const QJsonObject& record : records())
        result[record["FILENAME"].toString()] = record;
    return result;
}

QString cliPath() {
    const QString fromEnvironment = qEnvironmentVariable("PACKSHELF_CLI");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // Tests and programs are built into the same bin/ folder.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2) +
           QStringLiteral("/packshelf-cli");
}

namespace {

CliResult finished(QProcess& process) {
    CliResult result;
    if (!process.waitForFinished(300000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// Bytes as one word of a bash command line: $'\xHH...', every byte escaped.
QString bashWord(const QByteArray& bytes) {
    QString word = QStringLiteral("$'");
    for (const char c : bytes)
        word += QString::asprintf("\\x%02x", static_cast<unsigned char>(c));
    return word + QLatin1Char('\'');
}

} // namespace

// A plain fork rather than QProcess: QProcess starts its child by
// clone(CLONE_VM|CLONE_VFORK), which ThreadSanitizer does not intercept, so
// the child runs in the parent's sanitizer state and the parent's later
// locks go unseen: a window test that also runs the command line would
// report the executor's locked queue as raced.
CliResult runCli(const QStringList& arguments, const QString& workingDirectory) {
    CliResult result;
    QTemporaryFile out;
    QTemporaryFile err;
    if (!out.open() || !err.open())
        return result;
    std::vector<QByteArray> words{QFile::encodeName(cliPath())};
    for (const QString& argument : arguments)
        words.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray where = QFile::encodeName(workingDirectory);
    const pid_t child = ::fork();
    if (child == 0) {
        if ((where.isEmpty() || ::chdir(where.constData()) == 0) &&
            ::dup2(out.handle(), STDOUT_FILENO) >= 0 && ::dup2(err.handle(), STDERR_FILENO) >= 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    out.seek(0);
    err.seek(0);
    result.out = out.readAll();
    result.err = err.readAll();
    return result;
}

CliResult runCliWithInput(const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.start(cliPath(), arguments);
    process.write(input);
    process.closeWriteChannel();
    return finished(process);
}

CliResult runCliWithBytes(const QList<QByteArray>& arguments, const QByteArray& workingDirectory) {
    QString command = QStringLiteral("exec \"$0\"");
    for (const QByteArray& argument : arguments)
        command += QLatin1Char(' ') + bashWord(argument);
    if (!workingDirectory.isEmpty())
        command.prepend(QStringLiteral("cd %1 && ").arg(bashWord(workingDirectory)));
    QProcess process;
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"), command, cliPath()});
    return finished(process);
}

} // namespace packshelf::test
