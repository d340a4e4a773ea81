#include "cli/CommandSupport.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "cli/ItemJson.h"
#include "cli/Terminal.h"

namespace packshelf::cli {

std::optional<SourceScan> scanSourceArgument(const QString& argument, QString* sourceDir) {
    *sourceDir = QDir(argument).absolutePath();
    SourceScan scan = scanSourceFolder(*sourceDir);
    if (scan.outcome == SourceScan::Outcome::Listed)
        return scan;
    printError(
        QStringLiteral("%1 is not a readable folder%2")
            .arg(argument, scan.error.isEmpty() ? QString() : QStringLiteral(": ") + scan.error));
    return std::nullopt;
}

std::optional<QString> workFolderFor(const QCommandLineParser& parser,
                                     const QCommandLineOption& workOption,
                                     const QTemporaryDir& privateWork) {
    if (parser.isSet(workOption))
        return QDir(parser.value(workOption)).absolutePath();
    if (privateWork.isValid())
        return privateWork.path();
    printError(QStringLiteral("cannot create a temporary work folder"));
    return std::nullopt;
}

void printRecord(const ArchiveItem& item, bool withTree) {
    const QByteArray line = jsonLine(itemToJson(item, withTree));
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fflush(stdout);
}

void printRecords(const std::vector<ArchiveItem>& items, bool withTree) {
    for (const ArchiveItem& item : items)
        printRecord(item, withTree);
}

} // namespace packshelf::cli
