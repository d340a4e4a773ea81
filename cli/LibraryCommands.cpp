#include "cli/LibraryCommands.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <optional>

#include "cli/AnalyzeCommand.h"
#include "cli/CommandSupport.h"
#include "cli/FolderArguments.h"
#include "cli/ItemJson.h"
#include "cli/Terminal.h"
#include "install/InstalledPackages.h"
#include "install/records/LibraryRecords.h"
#include "install/records/RecordInterest.h"

namespace packshelf::cli {

namespace {

const char* const InstalledHelp =
    "Usage: packshelf-cli installed DEST [--json] [--quiet]\n"
    "\n"
    "Shows the packages installed in the content library DEST, in the order they\n"
    "were installed: on a terminal as a table, otherwise (or with --json) as one\n"
    "JSON object per package: ARCHIVE, INSTALLED (ISO 8601), FILES (the\n"
    "files it brought), REPLACED (of those, the ones that replaced a file, which\n"
    "is kept for its uninstall) and SHA256 (a digest of the archive's listing).\n"
    "A record that cannot be read is named on stderr and its package left out.\n"
    "It only reads: it waits while another process changes the library (and\n"
    "says so), and names on stderr a change that was interrupted or a journal\n"
    "that cannot be read (see packshelf-cli recover).\n"
    "\n"
    "  --json          JSON lines also on a terminal\n"
    "  -q, --quiet     no warnings\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 (also when a record or a journal is named on stderr); 1 when\n"
    "the library cannot be locked; 2 for a usage error or a DEST that is not a\n"
    "folder.\n";

const char* const UninstallHelp =
    "Usage: packshelf-cli uninstall DEST NAME... [--json] [--quiet]\n"
    "\n"
    "Takes the packages installed from the archives NAME out of the content\n"
    "library DEST: removes every file a package wrote that is still as it wrote\n"
    "it, puts back each file it had replaced, removes the folders it made that\n"
    "are left empty, and forgets the package. A file changed since the install\n"
    "is kept (and named on stderr); a file a later package wrote over stays that\n"
    "package's. A file whose backup is missing, or that cannot be removed, is\n"
    "kept as it is, named with the reason, and stays in the package's record.\n"
    "Shows, per package, what happened on disk (as JSON: ARCHIVE, REMOVED,\n"
    "RESTORED, HANDED_ON, the files left to a later package, and KEPT, the\n"
    "paths kept).\n"
    "\n"
    "  --json          JSON lines also on a terminal\n"
    "  -q, --quiet     no warnings\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 when every file was removed or restored, 1 when some were\n"
    "kept or the library needs attention, 2 for a usage error or a NAME that is\n"
    "not installed in DEST.\n";

const char* const RecoverHelp =
    "Usage: packshelf-cli recover DEST [--json] [--quiet]\n"
    "\n"
    "Mends a library whose journal cannot be read or carried out, which every\n"
    "command that would change the library refuses to touch. Finishes what can\n"
    "be finished; moves each journal that cannot be, with the backups and the\n"
    "logs of the change it describes, into DEST/.packshelf/recovered-TIME/,\n"
    "where they stay; and lists what it moved and the staged files\n"
    "(.packshelf-partial-…) it leaves in place, so that nothing is lost. The\n"
    "library's files and records are left as they are.\n"
    "\n"
    "  --json          JSON lines also on a terminal\n"
    "  -q, --quiet     no warnings\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 when the library can be changed again, 1 when it cannot,\n"
    "2 for a usage error.\n";

// A library command's arguments: DEST (absolute) and the names after it.
struct LibraryArguments {
    std::optional<int> ended; // the exit status when the command ends here
    QStringList positional;
    OutputStyle style;
};

LibraryArguments parseLibraryArguments(const QStringList& arguments, const char* help,
                                       bool takesNames) {
    QCommandLineParser parser;
    CommonOptions common(parser);
    LibraryArguments parsed;
    if ((parsed.ended = common.parse(arguments, help)))
        return parsed;
    parsed.style = common.style();
    parsed.positional = parser.positionalArguments();
    const qsizetype count = parsed.positional.size();
    if (count == 0 || (takesNames ? count < 2 : count != 1)) {
        printError(QStringLiteral("expected %1 (see --help)")
                       .arg(takesNames ? QStringLiteral("DEST and at least one NAME")
                                       : QStringLiteral("one DEST folder")));
        parsed.ended = ExitUsage;
    } else if (const std::optional<QString> library =
                   folderForArgument(parsed.positional.first(), MissingFolder::Refused);
               !library || !QFileInfo(*library).isDir()) {
        printError(QStringLiteral("%1 is not a folder").arg(parsed.positional.first()));
        parsed.ended = ExitUsage;
    } else {
        parsed.positional[0] = *library;
    }
    return parsed;
}

// Opens the library's records, naming those that cannot be read; false
// when the library cannot be opened for `access`.
// Opens the library to Change, to Read, or (no access) to list it.
bool openPackages(InstalledPackages& packages, std::optional<LibraryRecords::Access> access,
                  const RecordInterest* interest = nullptr) {
    const auto waiting = [](const QString& line) { printError(line); };
    const Status opened =
        access ? packages.open(*access, waiting, interest) : packages.openForListing(waiting);
    for (const QString& broken : packages.problems())
        printError(broken);
    if (!opened)
        printError(opened.reason());
    return opened.ok();
}

} // namespace

int runInstalled(const QStringList& arguments) {
    const LibraryArguments parsed = parseLibraryArguments(arguments, InstalledHelp, false);
    if (parsed.ended)
        return *parsed.ended;
    InstalledPackages packages(parsed.positional.first());
    if (!openPackages(packages, std::nullopt))
        return ExitFailed;
    TableOutput table({{QStringLiteral("ARCHIVE"), 40},
                       {QStringLiteral("INSTALLED"), 20},
                       {QStringLiteral("FILES"), 7, true},
                       {QStringLiteral("REPLACED"), 8, true}},
                      parsed.style);
    if (!parsed.style.json)
        table.header();
    for (const PackageListing& manifest : packages.listings()) {
        const int files = manifest.count(Manifest::File::Action::New) +
                          manifest.count(Manifest::File::Action::Replaced);
        const int replaced = manifest.count(Manifest::File::Action::Replaced);
        if (!parsed.style.json) {
            table.row({manifest.archive, manifest.installed, QString::number(files),
                       QString::number(replaced)});
            continue;
        }
        printLine({{QStringLiteral("ARCHIVE"), manifest.archive},
                   {QStringLiteral("INSTALLED"), manifest.installed},
                   {QStringLiteral("FILES"), files},
                   {QStringLiteral("REPLACED"), replaced},
                   {QStringLiteral("SHA256"), manifest.sha256}},
                  false);
    }
    std::fflush(stdout);
    return ExitOk;
}

int runUninstall(const QStringList& arguments) {
    const LibraryArguments parsed = parseLibraryArguments(arguments, UninstallHelp, true);
    if (parsed.ended)
        return *parsed.ended;
    const QString library = parsed.positional.first();
    const QStringList names = parsed.positional.mid(1);
    // Only the records the removals touch are read whole.
    RecordInterest interest;
    for (const QString& name : names)
        interest.addArchive(name);
    InstalledPackages packages(library);
    if (!openPackages(packages, LibraryRecords::Access::Change, &interest))
        return ExitFailed;
    for (const QString& name : names) {
        if (!packages.contains(name)) {
            printError(QStringLiteral("%1 is not installed in %2").arg(name, library));
            return ExitUsage;
        }
    }
    TableOutput table({{QStringLiteral("ARCHIVE"), 40},
                       {QStringLiteral("REMOVED"), 7, true},
                       {QStringLiteral("RESTORED"), 8, true},
                       {QStringLiteral("KEPT"), 5, true}},
                      parsed.style);
    if (!parsed.style.json)
        table.header();
    bool allGone = true;
    for (const QString& name : names) {
        QStringList problems;
        const RemovalOutcome outcome = packages.uninstall(name, &problems);
        for (const QString& problem : problems)
            printError(problem);
        for (qsizetype i = 0; i < outcome.kept.size(); ++i) {
            if (!parsed.style.quiet)
                printError(
                    QStringLiteral("kept %1: %2").arg(outcome.kept[i], outcome.keptReasons[i]));
        }
        allGone = allGone && outcome.kept.isEmpty() && problems.isEmpty();
        if (!parsed.style.json) {
            table.row({name, QString::number(outcome.removed), QString::number(outcome.restored),
                       QString::number(outcome.kept.size())});
            continue;
        }
        printLine({{QStringLiteral("ARCHIVE"), name},
                   {QStringLiteral("REMOVED"), outcome.removed},
                   {QStringLiteral("RESTORED"), outcome.restored},
                   {QStringLiteral("HANDED_ON"), outcome.handedOn},
                   {QStringLiteral("KEPT"), QJsonArray::fromStringList(outcome.kept)}});
    }
    return allGone ? ExitOk : ExitFailed;
}

int runRecover(const QStringList& arguments) {
    const LibraryArguments parsed = parseLibraryArguments(arguments, RecoverHelp, false);
    if (parsed.ended)
        return *parsed.ended;
    const QString library = parsed.positional.first();
    LibraryRecords records(library);
    const Status locked =
        records.lock(LibraryRecords::Access::Change, [](const QString& line) { printError(line); });
    if (!locked) {
        printError(locked.reason());
        return ExitFailed;
    }
    QStringList problems;
    if (records.recover(&problems)) {
        for (const QString& note : problems)
            printError(note);
        return ExitOk;
    }
    QStringList moved;
    const Status setAside = records.setAside(&moved);
    for (const QString& path : moved) {
        const bool staged = !path.startsWith(records.folder() + QLatin1Char('/'));
        if (!parsed.style.json) {
            std::printf("%s %s\n",
                        staged ? "left in place:" : "set aside:", qPrintable(shownText(path)));
            continue;
        }
        printLine({{staged ? QStringLiteral("LEFT") : QStringLiteral("SET_ASIDE"), path}});
    }
    if (!setAside) {
        printError(setAside.reason());
        return ExitFailed;
    }
    problems.clear();
    if (!records.recover(&problems)) {
        for (const QString& left : problems)
            printError(left);
        return ExitFailed;
    }
    return ExitOk;
}

} // namespace packshelf::cli
