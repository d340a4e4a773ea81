#include "cli/VerifyCommands.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

#include "cli/AnalyzeCommand.h"
#include "cli/CommandSupport.h"
#include "cli/FolderArguments.h"
#include "cli/ItemJson.h"
#include "cli/Terminal.h"
#include "install/InstallUndo.h"
#include "install/LibraryVerify.h"
#include "install/PackageRepair.h"

namespace packshelf::cli {

namespace {

const char* const VerifyHelp =
    "Usage: packshelf-cli verify DEST [NAME...] [--full] [--foreign] [--json] [--quiet]\n"
    "\n"
    "Checks every file each package installed in the content library DEST (or\n"
    "each package installed from an archive NAME) wrote, and still owns, against\n"
    "its record: as installed, changed (its size or content differs), missing,\n"
    "not a file (a link or a folder stands in its place) or unreadable. A file\n"
    "of the recorded size and time is taken as recorded; the content (CRC-32) is\n"
    "read only when the time differs, or for every file with --full. Shows one\n"
    "line per file that is not as installed and one per package with its counts\n"
    "(as JSON: ARCHIVE, PATH, STATE; then ARCHIVE, FILES, AS_INSTALLED, CHANGED,\n"
    "MISSING, NOT_A_FILE, UNREADABLE). It only reads, under the shared lock.\n"
    "\n"
    "  --full          read the content of every file\n"
    "  --foreign       also list the files and folders no package recorded\n"
    "                  (STATE \"foreign\"; .packshelf/ left out)\n"
    "  --json          JSON lines also on a terminal\n"
    "  -q, --quiet     no warnings\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 when everything is as installed; 1 when anything is not\n"
    "(a file, a foreign file with --foreign, a record that cannot be read) or the\n"
    "library cannot be locked; 2 for a usage error, a DEST that is not a folder\n"
    "or a NAME that is not installed.\n";

const char* const RepairHelp =
    "Usage: packshelf-cli repair DEST NAME... --source DIR [--work DIR] [--json] [--quiet]\n"
    "\n"
    "Writes the files of each package installed from an archive NAME that are\n"
    "changed, missing or not a file any more again from that archive in the\n"
    "folder DIR, only when it is the archive the record names (the same name,\n"
    "size and listing digest). The files are staged, checked against their\n"
    "CRC-32 and renamed into place together; what stood in a file's place is\n"
    "first kept in DEST/.packshelf/repaired-TIME/ and named (\"kept PATH as\n"
    "PATH\" on stderr; as JSON: ARCHIVE, REWRITTEN, KEPT with PATH and KEPT_AS,\n"
    "REMAINING, and REASON when the package could not be repaired, which\n"
    "leaves it as it was).\n"
    "\n"
    "  --source DIR    the folder that holds the archives\n"
    "  --work DIR      where a nested archive too large for memory goes\n"
    "  --json          JSON lines also on a terminal\n"
    "  -q, --quiet     no warnings\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 when every package named is as installed afterwards; 1 when\n"
    "one is not or the library needs attention; 2 for a usage error, a DEST or\n"
    "DIR that is not a folder or a NAME that is not installed.\n";

const char* const UndoHelp =
    "Usage: packshelf-cli undo DEST [--json] [--quiet]\n"
    "\n"
    "Takes back the last install run into the content library DEST (of the\n"
    "window or of packshelf-cli install): takes out the packages it installed,\n"
    "latest first, exactly as uninstall does (what they replaced comes back,\n"
    "a file changed since is kept and named on stderr), and shows what happened\n"
    "as uninstall does (ARCHIVE, REMOVED, RESTORED, HANDED_ON, KEPT).\n"
    "\n"
    "  --json          JSON lines also on a terminal\n"
    "  -q, --quiet     no warnings\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 when every file was removed or restored; 1 when some were\n"
    "kept, there is nothing to undo or the library needs attention; 2 for a\n"
    "usage error or a DEST that is not a folder.\n";

void printAll(const QStringList& lines) {
    for (const QString& line : lines)
        printError(line);
}

const auto waiting = [](const QString& line) { printError(line); };

// The library named by the first positional argument, absolute; nothing
// (after the message) when it is not a folder.
std::optional<QString> libraryArgument(const QString& argument) {
    const std::optional<QString> library = folderForArgument(argument, MissingFolder::Refused);
    if (!library || !QFileInfo(*library).isDir()) {
        printError(QStringLiteral("%1 is not a folder").arg(argument));
        return std::nullopt;
    }
    return library;
}

// Says, for names not installed, so and answers the usage status.
int notInstalled(const QStringList& names, const QString& library) {
    for (const QString& name : names)
        printError(QStringLiteral("%1 is not installed in %2").arg(name, library));
    return ExitUsage;
}

void showVerifyReport(const VerifyReport& report, const QString& library,
                      const OutputStyle& style) {
    using State = FileCheck::State;
    TableOutput table({{QStringLiteral("ARCHIVE"), 34},
                       {QStringLiteral("STATE"), 12},
                       {QStringLiteral("FILES"), 6, true},
                       {QStringLiteral("PATH"), 48}},
                      style);
    if (!style.json)
        table.header();
    for (const PackageCheck& check : report.packages) {
        for (const FileCheck& file : check.files) {
            const QString path = check.root + QLatin1Char('/') + file.path;
            if (!style.json) {
                table.row({check.archive, fileStateName(file.state), QString(), path},
                          TableOutput::Tone::Bad);
                continue;
            }
            printLine({{QStringLiteral("ARCHIVE"), check.archive},
                       {QStringLiteral("PATH"), path},
                       {QStringLiteral("STATE"), fileStateName(file.state)}},
                      false);
        }
        if (!style.json) {
            table.row({check.archive,
                       check.asInstalled() ? fileStateName(State::AsInstalled)
                                           : QStringLiteral("not as installed"),
                       QString::number(check.checked), QString()},
                      check.asInstalled() ? TableOutput::Tone::Good : TableOutput::Tone::Bad);
            continue;
        }
        printLine({{QStringLiteral("ARCHIVE"), check.archive},
                   {QStringLiteral("FILES"), check.checked},
                   {QStringLiteral("AS_INSTALLED"), check.count(State::AsInstalled)},
                   {QStringLiteral("CHANGED"), check.count(State::Changed)},
                   {QStringLiteral("MISSING"), check.count(State::Missing)},
                   {QStringLiteral("NOT_A_FILE"), check.count(State::NotAFile)},
                   {QStringLiteral("UNREADABLE"), check.count(State::Unreadable)}},
                  false);
    }
    for (const QString& relative : report.foreign) {
        const QString path = library + QLatin1Char('/') + relative;
        if (!style.json)
            table.row({QString(), QStringLiteral("foreign"), QString(), path},
                      TableOutput::Tone::Attention);
        else
            printLine({{QStringLiteral("PATH"), path}, {QStringLiteral("STATE"), "foreign"}},
                      false);
    }
    std::fflush(stdout);
}

} // namespace

int runVerify(const QStringList& arguments) {
    QCommandLineParser parser;
    CommonOptions common(parser);
    const QCommandLineOption full(QStringLiteral("full"));
    const QCommandLineOption foreign(QStringLiteral("foreign"));
    parser.addOptions({full, foreign});
    if (const std::optional<int> ended = common.parse(arguments, VerifyHelp))
        return *ended;
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        printError(QStringLiteral("expected DEST (see --help)"));
        return ExitUsage;
    }
    const std::optional<QString> library = libraryArgument(positional.first());
    if (!library)
        return ExitUsage;
    VerifyReport report;
    const Status locked = verifyLibrary(*library, positional.mid(1),
                                        parser.isSet(full) ? VerifyDepth::Full : VerifyDepth::Quick,
                                        parser.isSet(foreign), &report, waiting);
    printAll(report.problems);
    if (!locked) {
        printError(locked.reason());
        return ExitFailed;
    }
    if (!report.notInstalled.isEmpty())
        return notInstalled(report.notInstalled, *library);
    showVerifyReport(report, *library, common.style());
    return report.asInstalled() ? ExitOk : ExitFailed;
}

int runRepair(const QStringList& arguments) {
    QCommandLineParser parser;
    CommonOptions common(parser);
    const QCommandLineOption source(QStringLiteral("source"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption work(QStringLiteral("work"), QString(), QStringLiteral("DIR"));
    parser.addOptions({source, work});
    if (const std::optional<int> ended = common.parse(arguments, RepairHelp))
        return *ended;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2 || !parser.isSet(source)) {
        printError(
            QStringLiteral("expected DEST, at least one NAME and --source DIR (see --help)"));
        return ExitUsage;
    }
    const std::optional<QString> library = libraryArgument(positional.first());
    const std::optional<QString> sourceDir =
        library ? libraryArgument(parser.value(source)) : std::nullopt;
    if (!sourceDir)
        return ExitUsage;
    std::optional<QTemporaryDir> privateWork;
    const std::optional<QString> workDir = workFolderFor(parser, work, privateWork);
    if (!workDir)
        return ExitUsage;
    RepairReport report;
    const Status changed =
        repairPackages(*library, positional.mid(1), *sourceDir, *workDir, &report, waiting);
    printAll(report.problems);
    if (!changed) {
        printError(changed.reason());
        return ExitFailed;
    }
    const OutputStyle style = common.style();
    TableOutput table({{QStringLiteral("ARCHIVE"), 40},
                       {QStringLiteral("REWRITTEN"), 9, true},
                       {QStringLiteral("KEPT"), 5, true},
                       {QStringLiteral("REMAINING"), 9, true}},
                      style);
    if (!style.json)
        table.header();
    bool allRepaired = report.notInstalled.isEmpty();
    for (const RepairOutcome& outcome : report.packages) {
        allRepaired = allRepaired && outcome.repaired();
        if (!outcome.problem.isEmpty())
            printError(QStringLiteral("%1 not repaired: %2").arg(outcome.archive, outcome.problem));
        QJsonArray kept;
        for (qsizetype i = 0; i < outcome.keptFrom.size(); ++i) {
            if (!style.quiet)
                printError(
                    QStringLiteral("kept %1 as %2").arg(outcome.keptFrom[i], outcome.keptAs[i]));
            kept.append(QJsonObject{{QStringLiteral("PATH"), outcome.keptFrom[i]},
                                    {QStringLiteral("KEPT_AS"), outcome.keptAs[i]}});
        }
        if (!style.json) {
            table.row({outcome.archive, QString::number(outcome.rewritten),
                       QString::number(outcome.keptFrom.size()),
                       QString::number(outcome.remaining.size())},
                      outcome.repaired() ? TableOutput::Tone::Good : TableOutput::Tone::Bad);
            continue;
        }
        QJsonObject line{{QStringLiteral("ARCHIVE"), outcome.archive},
                         {QStringLiteral("REWRITTEN"), outcome.rewritten},
                         {QStringLiteral("KEPT"), kept},
                         {QStringLiteral("REMAINING"), qint64(outcome.remaining.size())}};
        if (!outcome.problem.isEmpty())
            line.insert(QStringLiteral("REASON"), outcome.problem);
        printLine(line);
    }
    if (!report.notInstalled.isEmpty())
        return notInstalled(report.notInstalled, *library);
    return allRepaired ? ExitOk : ExitFailed;
}

int runUndo(const QStringList& arguments) {
    QCommandLineParser parser;
    CommonOptions common(parser);
    if (const std::optional<int> ended = common.parse(arguments, UndoHelp))
        return *ended;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        printError(QStringLiteral("expected one DEST folder (see --help)"));
        return ExitUsage;
    }
    const std::optional<QString> library = libraryArgument(positional.first());
    if (!library)
        return ExitUsage;
    UndoReport report;
    const Status changed = undoLastInstall(*library, &report, waiting);
    printAll(report.problems);
    if (!changed) {
        printError(changed.reason());
        return ExitFailed;
    }
    if (report.nothingToUndo) {
        printError(QStringLiteral("nothing to undo: no install run is recorded "
                                  "in %1")
                       .arg(*library));
        return ExitFailed;
    }
    const OutputStyle style = common.style();
    TableOutput table({{QStringLiteral("ARCHIVE"), 40},
                       {QStringLiteral("REMOVED"), 7, true},
                       {QStringLiteral("RESTORED"), 8, true},
                       {QStringLiteral("KEPT"), 5, true}},
                      style);
    if (!style.json)
        table.header();
    for (const UndoReport::Package& package : report.packages) {
        printAll(package.problems);
        const RemovalOutcome& outcome = package.removal;
        for (qsizetype i = 0; i < outcome.kept.size() && !style.quiet; ++i)
            printError(QStringLiteral("kept %1: %2").arg(outcome.kept[i], outcome.keptReasons[i]));
        if (!style.json) {
            table.row({package.archive, QString::number(outcome.removed),
                       QString::number(outcome.restored), QString::number(outcome.kept.size())});
            continue;
        }
        printLine({{QStringLiteral("ARCHIVE"), package.archive},
                   {QStringLiteral("REMOVED"), outcome.removed},
                   {QStringLiteral("RESTORED"), outcome.restored},
                   {QStringLiteral("HANDED_ON"), outcome.handedOn},
                   {QStringLiteral("KEPT"), QJsonArray::fromStringList(outcome.kept)}});
    }
    return report.complete() ? ExitOk : ExitFailed;
}

} // namespace packshelf::cli
