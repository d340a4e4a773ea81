#include "tests/support/CliRunner.h"

#include "tests/support/ToolRunner.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>

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

CliResult runCli(const QStringList& arguments, const QString& workingDirectory) {
    const ToolRun run = runTool(workingDirectory, {cliPath(), arguments});
    CliResult result;
    result.exitCode = run.exitCode < 0 ? -2 : run.exitCode;
    result.out = run.out;
    result.err = run.err;
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
