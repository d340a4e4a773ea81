#include "tests/support/CliRunner.h"

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

QString cliPath() {
    const QString fromEnvironment = qEnvironmentVariable("PACKSHELF_CLI");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // Tests and programs are built into the same bin/ folder.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2) +
           QStringLiteral("/packshelf-cli");
}

CliResult runCli(const QStringList& arguments, const QString& workingDirectory) {
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(cliPath(), arguments);
    CliResult result;
    if (!process.waitForFinished(300000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace packshelf::test
