#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QStringList>

namespace packshelf::test {

// Runs the built packshelf-cli (its path comes from $PACKSHELF_CLI) and
// collects what it printed.
struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QList<QJsonObject> records() const;            // one per output line
    QMap<QString, QJsonObject> byFileName() const; // the records by FILENAME
};

// $PACKSHELF_CLI, or packshelf-cli beside the running test.
QString cliPath();
CliResult runCli(const QStringList& arguments, const QString& workingDirectory = QString());
// The same with `input` on its standard input.
CliResult runCliWithInput(const QStringList& arguments, const QByteArray& input);
// The same with arguments and working folder as bytes, which need not be
// UTF-8 (QProcess passes its arguments as UTF-8 text).
CliResult runCliWithBytes(const QList<QByteArray>& arguments,
                          const QByteArray& workingDirectory = QByteArray());

} // namespace packshelf::test
