#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "analysis/ArchiveItem.h"
#include "analysis/SourceScan.h"

class QCommandLineOption;
class QCommandLineParser;
class QTemporaryDir;

// What the commands share: reading their folder arguments and printing
// records.
namespace packshelf::cli {

// Lists the archives of the SOURCE argument (made absolute into
// `sourceDir`). When it is not a readable folder, prints the one-line
// message and answers nothing.
std::optional<SourceScan> scanSourceArgument(const QString& argument, QString* sourceDir);

// The work folder: the value of `workOption` when given, else the private
// temporary folder `privateWork`. Prints a message and answers nothing when
// there is none.
std::optional<QString> workFolderFor(const QCommandLineParser& parser,
                                     const QCommandLineOption& workOption,
                                     const QTemporaryDir& privateWork);

// Prints a record as one JSON line on stdout.
void printRecord(const ArchiveItem& item, bool withTree);
// Prints every record, in order.
void printRecords(const std::vector<ArchiveItem>& items, bool withTree);

} // namespace packshelf::cli
