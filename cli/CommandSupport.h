#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "analysis/ArchiveItem.h"
#include "analysis/SourceScan.h"
#include "cli/TableOutput.h"

#include <QCommandLineOption>

class QCommandLineOption;
class QCommandLineParser;
class QTemporaryDir;

// What the commands share: reading their folder arguments and printing
// records.
namespace packshelf::cli {

// Lists the archives of the SOURCE argument, made absolute (the scan's
// folder). When it is not a readable folder, prints the one-line message
// and answers nothing.
std::optional<SourceScan> scanSourceArgument(const QString& argument);

// The work folder: the value of `workOption` when given (made when
// missing), else a private temporary folder made into `privateWork`, in
// the system's temporary folder, after those that killed runs left there
// are removed. Prints a message and answers nothing when there is none to
// write to.
std::optional<QString> workFolderFor(const QCommandLineParser& parser,
                                     const QCommandLineOption& workOption,
                                     std::optional<QTemporaryDir>& privateWork);

// The options every command takes: -h/--help, --version, --json and
// --quiet.
class CommonOptions {
public:
    explicit CommonOptions(QCommandLineParser& parser);
    // Parses the command's arguments. Nothing when the command goes on;
    // else its exit status, after the help, the version or the error.
    std::optional<int> parse(const QStringList& arguments, const char* help);
    OutputStyle style() const;

private:
    QCommandLineParser& m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QCommandLineOption m_json;
    QCommandLineOption m_quiet;
};

// Shows records of archives as they come in: JSON lines, or table rows
// with the reason or warning under a row.
class RecordPrinter {
public:
    RecordPrinter(const OutputStyle& style, bool withTree);
    void print(const ArchiveItem& item);
    void printAll(const std::vector<ArchiveItem>& items);

private:
    OutputStyle m_style;
    bool m_withTree;
    TableOutput m_table;
    bool m_headerShown = false;
};

// A path as the JSON lines name it: relative to the library when it lies
// in it, whole when it does not (a package installed into a destination of
// its own, outside the library). Messages for people name it whole.
QString jsonPath(const QString& library, const QString& path);

// The version line of `--version`.
QString versionLine();

} // namespace packshelf::cli
