#include "cli/VerifyCommands.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

#include "cli/CommandSupport.h"
#include "cli/ExitCode.h"
#include "cli/FolderArguments.h"
#include "cli/Interrupts.h"
#include "cli/ItemJson.h"
#include "cli/LibraryCommands.h"
#include "cli/Terminal.h"
#include "install/InstallUndo.h"
#include "install/LibraryVerify.h"
#include "install/PackageRepair.h"
#include "install/records/DestinationTrust.h"

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
    "Usage: packshelf-cli repair DEST NAME... --source DIR [--work DIR]\n"
    "                            [--allow-outside DIR] [--json] [--quiet]\n"
    "\n"
    "Writes the files of each package installed from an archive NAME that are\n"
    "changed, missing or not a file any more again from that archive in the\n"
    "folder DIR, only when it is the archive the record names (the same name,\n"
    "size and listing digest). The files are staged, checked against their\n"
    "CRC-32 and put in place together, as one change; what stood in a file's\n"
    "place is first kept in DEST/.packshelf/repaired-TIME-…/ and named (\"kept\n"
    "PATH as PATH\" on stderr; as JSON: ARCHIVE, REWRITTEN, KEPT with PATH and\n"
    "KEPT_AS, REMAINING, and REASON when the package could not be repaired,\n"
    "which leaves it as it was).\n"
    "\n"
    "  --source DIR    the folder that holds the archives\n"
    "  --work DIR      where a nested archive too large for memory goes\n"
    "  --allow-outside DIR  act in DIR, a folder outside the library a package\n"
    "                  was installed into, though its record cannot prove that\n"
    "                  this user's PackShelf wrote it\n"
    "  --json          JSON lines also on a terminal\n"
    "  -q, --quiet     no warnings\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 when every package named is as installed afterwards; 1 when\n"
    "one is not or the library needs attention; 2 for a usage error, a DEST or\n"
    "DIR that is not a folder or a NAME that is not installed.\n";

const char* const UndoHelp =
    "Usage: packshelf-cli undo DEST [--dry-run] [--allow-outside DIR] [--json] [--quiet]\n"
    "\n"
    "Takes back the last install run into the content library DEST (of the\n"
    "window or of packshelf-cli install). First it shows which run that is:\n"
    "when it was installed, how many packages and which (as JSON: RUN,\n"
    "INSTALLED, COUNT, PACKAGES). Then it takes out the packages the run\n"
    "installed, latest first, exactly as uninstall does (what they replaced\n"
    "comes back, a file changed since is kept and named on stderr, with the\n"
    "user's earlier version beside it), and shows what happened as uninstall\n"
    "does (ARCHIVE, REMOVED, RESTORED, HANDED_ON, KEPT, ORIGINALS).\n"
    "\n"
    "  --dry-run       only show which run would be taken back\n"
    "  --allow-outside DIR  act in DIR, outside the library (see uninstall)\n"
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
                       {QStringLiteral("PATH"), jsonPath(library, path)},
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
            printLine({{QStringLiteral("PATH"), relative}, {QStringLiteral("STATE"), "foreign"}},
                      false);
    }
    std::fflush(stdout);
}

} // namespace

int runVerify(const QStringList& arguments, Executor& executor) {
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
                                        parser.isSet(foreign), executor, &report, waiting);
    printAll(report.problems);
    if (!locked) {
        printError(locked.reason());
        return ExitFailed;
    }
    for (const QString& name : report.unreadable)
        printError(QStringLiteral("%1: its record in %2 cannot be read").arg(name, *library));
    if (!report.notInstalled.isEmpty())
        return notInstalled(report.notInstalled, *library);
    showVerifyReport(report, *library, common.style());
    return report.asInstalled() ? ExitOk : ExitFailed;
}

namespace {

QStringList allowedOutside(const QCommandLineParser& parser, const QCommandLineOption& option) {
    QStringList folders;
    for (const QString& folder : parser.values(option))
        folders << QDir::cleanPath(QDir(folder).absolutePath());
    return folders;
}

} // namespace

int runRepair(const QStringList& arguments, Executor& executor, Interrupts& interrupts) {
    QCommandLineParser parser;
    CommonOptions common(parser);
    const QCommandLineOption source(QStringLiteral("source"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption work(QStringLiteral("work"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption outside(QStringLiteral("allow-outside"), QString(),
                                     QStringLiteral("DIR"));
    parser.addOptions({source, work, outside});
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
    if (interrupts.received() != 0)
        return interruptedExit(interrupts.received());
    std::optional<QTemporaryDir> privateWork;
    const std::optional<QString> workDir = workFolderFor(parser, work, privateWork);
    if (!workDir)
        return ExitUsage;
    RepairReport report;
    RepairOptions options;
    options.allowedOutside = allowedOutside(parser, outside);
    options.waiting = waiting;
    const Status changed = repairPackages(*library, positional.mid(1), *sourceDir, *workDir,
                                          executor, &report, options);
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
    bool allRepaired = report.notInstalled.isEmpty() && report.unreadable.isEmpty();
    for (const QString& name : report.unreadable)
        printError(QStringLiteral("%1: its record in %2 cannot be read").arg(name, *library));
    for (const RepairOutcome& outcome : report.packages) {
        allRepaired = allRepaired && outcome.repaired();
        if (!outcome.needsConfirmation.isEmpty())
            printError(QStringLiteral("%1 not repaired: %2; run again with --allow-outside %3")
                           .arg(outcome.archive, outcome.problem, outcome.needsConfirmation));
        else if (!outcome.problem.isEmpty())
            printError(QStringLiteral("%1 not repaired: %2").arg(outcome.archive, outcome.problem));
        for (const QString& unfinished : outcome.unfinished)
            printError(QStringLiteral("%1: not finished: %2").arg(outcome.archive, unfinished));
        QJsonArray kept;
        for (qsizetype i = 0; i < outcome.keptFrom.size(); ++i) {
            if (!style.quiet)
                printError(
                    QStringLiteral("kept %1 as %2").arg(outcome.keptFrom[i], outcome.keptAs[i]));
            kept.append(
                QJsonObject{{QStringLiteral("PATH"), jsonPath(*library, outcome.keptFrom[i])},
                            {QStringLiteral("KEPT_AS"), jsonPath(*library, outcome.keptAs[i])}});
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
    if (interrupts.received() != 0)
        return interruptedExit(interrupts.received());
    return allRepaired ? ExitOk : ExitFailed;
}

namespace {

// Says which run an undo takes back, before it acts.
void showRun(const InstallRunSummary& run, const OutputStyle& style, bool wouldOnly) {
    if (style.json) {
        printLine({{QStringLiteral("RUN"), run.run},
                   {QStringLiteral("INSTALLED"), run.installed},
                   {QStringLiteral("COUNT"), qint64(run.packages.size())},
                   {QStringLiteral("PACKAGES"), QJsonArray::fromStringList(run.packages)}});
        return;
    }
    const QString line =
        QStringLiteral("%1 the install run of %2: %3 %4: %5")
            .arg(wouldOnly ? QStringLiteral("Would take back") : QStringLiteral("Taking back"),
                 run.installed, QString::number(run.packages.size()),
                 run.packages.size() == 1 ? QStringLiteral("package") : QStringLiteral("packages"),
                 run.packages.join(QStringLiteral(", ")));
    std::printf("%s\n", qPrintable(shownText(line)));
    std::fflush(stdout);
}

} // namespace

int runUndo(const QStringList& arguments, Executor& executor, Interrupts& interrupts) {
    QCommandLineParser parser;
    CommonOptions common(parser);
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption outside(QStringLiteral("allow-outside"), QString(),
                                     QStringLiteral("DIR"));
    parser.addOptions({dryRun, outside});
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
    const OutputStyle style = common.style();
    // Which run is last is read first and shown; the undo then takes back
    // that run, or nothing when another has come meanwhile.
    UndoReport shown;
    UndoOptions look;
    look.dryRun = true;
    look.waiting = waiting;
    if (const Status read = undoLastInstall(*library, executor, &shown, look); !read) {
        printAll(shown.problems);
        printError(read.reason());
        return ExitFailed;
    }
    if (!shown.run) {
        printAll(shown.problems);
        printError(
            QStringLiteral("nothing to undo: no install run is recorded in %1").arg(*library));
        return ExitFailed;
    }
    showRun(*shown.run, style, parser.isSet(dryRun));
    if (parser.isSet(dryRun))
        return ExitOk;
    if (interrupts.received() != 0)
        return interruptedExit(interrupts.received());
    UndoReport report;
    UndoOptions options;
    options.expectedRun = shown.run->run;
    options.allowedOutside = allowedOutside(parser, outside);
    options.waiting = waiting;
    const Status changed = undoLastInstall(*library, executor, &report, options);
    printAll(report.problems);
    if (!changed) {
        printError(changed.reason());
        return ExitFailed;
    }
    RemovalPrinter printer(style, *library);
    for (const UndoReport::Package& package : report.packages) {
        if (!package.problem.isEmpty()) {
            printError(
                QStringLiteral("%1 not taken back: %2").arg(package.archive, package.problem));
            continue;
        }
        if (!package.removal.needsConfirmation.isEmpty()) {
            printError(QStringLiteral("%1 not taken back: %2; run again with --allow-outside %3")
                           .arg(package.archive,
                                needsConfirmationReason(package.removal.needsConfirmation),
                                package.removal.needsConfirmation));
            continue;
        }
        printer.print(package.archive, package.removal);
    }
    std::fflush(stdout);
    if (interrupts.received() != 0)
        return interruptedExit(interrupts.received());
    return report.complete() ? ExitOk : ExitFailed;
}

} // namespace packshelf::cli
