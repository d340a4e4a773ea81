#include "cli/LibraryCommands.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <optional>

#include "cli/CommandSupport.h"
#include "cli/ExitCode.h"
#include "cli/FolderArguments.h"
#include "cli/Interrupts.h"
#include "cli/ItemJson.h"
#include "cli/Terminal.h"
#include "install/InstalledPackages.h"
#include "install/records/RecordInterest.h"

namespace packshelf::cli {

namespace {

const char* const InstalledHelp =
    "Usage: packshelf-cli installed DEST [--json] [--quiet]\n"
    "\n"
    "Shows the packages installed in the content library DEST, in the order they\n"
    "were installed: on a terminal as a table, otherwise (or with --json) as one\n"
    "JSON object per package: ARCHIVE, INSTALLED (ISO 8601), FILES (the\n"
    "files it brought), REPLACED (of those, the ones that replaced a file, whose\n"
    "earlier version the library keeps for its uninstall) and SHA256 (a digest\n"
    "of the archive's listing). A record that cannot be read is named on stderr\n"
    "and its package left out. It only reads: it waits while another process\n"
    "changes the library (and says so), and names on stderr a change that was\n"
    "interrupted or a journal that cannot be read (see packshelf-cli recover).\n"
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
    "Usage: packshelf-cli uninstall DEST NAME... [--allow-outside DIR] [--json] [--quiet]\n"
    "\n"
    "Takes the packages installed from the archives NAME out of the content\n"
    "library DEST, each as one change that is made whole or not at all: removes\n"
    "every file a package wrote that is still as it wrote it, puts back what\n"
    "stood there before it (the user's own file, or an earlier package's), and\n"
    "removes the folders it made that are left empty. A file changed since the\n"
    "install is kept (and named on stderr); when the package had replaced a\n"
    "file of the user's, that earlier version comes back beside it as\n"
    "\"NAME (original).EXT\". A file a later package wrote over stays that\n"
    "package's, which then stands on what stood before. A file whose earlier\n"
    "version the library no longer holds is kept as it is, named with the\n"
    "reason, and stays in the package's record. Shows, per package, what\n"
    "happened on disk (as JSON: ARCHIVE, REMOVED, RESTORED, HANDED_ON (files\n"
    "left to a later package), KEPT (the paths kept) and ORIGINALS (PATH and\n"
    "KEPT_AS of each earlier version put back beside a kept file)).\n"
    "\n"
    "  --allow-outside DIR  act in DIR, a folder outside the library a package\n"
    "                  was installed into, though its record cannot prove that\n"
    "                  this user's PackShelf wrote it\n"
    "  --json          JSON lines also on a terminal\n"
    "  -q, --quiet     no warnings\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 when every file was removed or restored, 1 when some were\n"
    "kept, a change failed (the library is then as it was), a folder outside\n"
    "the library needs --allow-outside or the library needs attention, 2 for a\n"
    "usage error or a NAME that is not installed in DEST; 130 or 143 when\n"
    "interrupted (SIGINT, SIGTERM) before the last package.\n";

const char* const RecoverHelp =
    "Usage: packshelf-cli recover DEST [--allow-outside DIR] [--json] [--quiet]\n"
    "\n"
    "Finishes or takes back each change to the content library DEST that a run\n"
    "which ended too soon left (and says which), clears what it had staged, and\n"
    "lets the store go of versions no record names. A journal that cannot be\n"
    "read or carried out, which every command that would change the library\n"
    "refuses to touch, is moved with the staged files of its change into\n"
    "DEST/.packshelf/recovered-TIME-…/, where they stay for you, and listed, so\n"
    "that nothing is lost. The library's files and records are left as they are.\n"
    "\n"
    "  --allow-outside DIR  carry out a journal's steps in DIR, outside the\n"
    "                  library, though it cannot prove this user's PackShelf wrote it\n"
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
    QStringList allowedOutside;
    OutputStyle style;
};

LibraryArguments parseLibraryArguments(const QStringList& arguments, const char* help,
                                       bool takesNames, bool allowsOutside) {
    QCommandLineParser parser;
    CommonOptions common(parser);
    const QCommandLineOption outside(QStringLiteral("allow-outside"), QString(),
                                     QStringLiteral("DIR"));
    if (allowsOutside)
        parser.addOption(outside);
    LibraryArguments parsed;
    if ((parsed.ended = common.parse(arguments, help)))
        return parsed;
    parsed.style = common.style();
    parsed.positional = parser.positionalArguments();
    if (allowsOutside) {
        for (const QString& folder : parser.values(outside))
            parsed.allowedOutside << QDir::cleanPath(QDir(folder).absolutePath());
    }
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

const auto waiting = [](const QString& line) { printError(line); };

// Says what opening the library to change it finished or took back.
void printRecovered(const LibraryRecovery::Report& report) {
    for (const QString& path : report.finished)
        printError(QStringLiteral("finished an interrupted change: %1").arg(path));
    for (const QString& path : report.undone)
        printError(QStringLiteral("took back an interrupted change: %1").arg(path));
}

} // namespace

RemovalPrinter::RemovalPrinter(const OutputStyle& style, QString library)
    : m_style(style)
    , m_library(std::move(library))
    , m_table({{QStringLiteral("ARCHIVE"), 40},
               {QStringLiteral("REMOVED"), 7, true},
               {QStringLiteral("RESTORED"), 8, true},
               {QStringLiteral("KEPT"), 5, true}},
              style) {}

void RemovalPrinter::print(const QString& archive, const RemovalOutcome& outcome) {
    for (qsizetype i = 0; i < outcome.kept.size() && !m_style.quiet; ++i)
        printError(QStringLiteral("kept %1: %2").arg(outcome.kept[i], outcome.keptReasons[i]));
    QJsonArray originals;
    for (qsizetype i = 0; i < outcome.originalsOf.size(); ++i) {
        // Always said: it is where the user's own file now is.
        printError(QStringLiteral("your earlier version of %1 is beside it: %2")
                       .arg(outcome.originalsOf[i], outcome.originalsAt[i]));
        originals.append(
            QJsonObject{{QStringLiteral("PATH"), jsonPath(m_library, outcome.originalsOf[i])},
                        {QStringLiteral("KEPT_AS"), jsonPath(m_library, outcome.originalsAt[i])}});
    }
    for (const QString& warning : outcome.warnings)
        printError(warning);
    if (!m_style.json) {
        if (!m_headerShown)
            m_table.header();
        m_headerShown = true;
        m_table.row({archive, QString::number(outcome.removed), QString::number(outcome.restored),
                     QString::number(outcome.kept.size())});
        return;
    }
    QStringList keptPaths;
    for (const QString& kept : outcome.kept)
        keptPaths << jsonPath(m_library, kept);
    printLine({{QStringLiteral("ARCHIVE"), archive},
               {QStringLiteral("REMOVED"), outcome.removed},
               {QStringLiteral("RESTORED"), outcome.restored},
               {QStringLiteral("HANDED_ON"), outcome.handedOn},
               {QStringLiteral("KEPT"), QJsonArray::fromStringList(keptPaths)},
               {QStringLiteral("ORIGINALS"), originals}});
}

int runInstalled(const QStringList& arguments, Executor& executor) {
    const LibraryArguments parsed = parseLibraryArguments(arguments, InstalledHelp, false, false);
    if (parsed.ended)
        return *parsed.ended;
    InstalledPackages packages(parsed.positional.first(), executor);
    const Status opened = packages.openForListing(waiting);
    for (const QString& broken : packages.problems())
        printError(broken);
    if (!opened) {
        printError(opened.reason());
        return ExitFailed;
    }
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

int runUninstall(const QStringList& arguments, Executor& executor, Interrupts& interrupts) {
    const LibraryArguments parsed = parseLibraryArguments(arguments, UninstallHelp, true, true);
    if (parsed.ended)
        return *parsed.ended;
    const QString library = parsed.positional.first();
    const QStringList names = parsed.positional.mid(1);
    // Only the records the removals touch are read whole.
    RecordInterest interest;
    for (const QString& name : names)
        interest.addArchive(name);
    InstalledPackages packages(library, executor, DestinationTrust(parsed.allowedOutside));
    const Status opened = packages.open(LibraryLock::Access::Change, waiting, &interest);
    printRecovered(packages.recovered());
    for (const QString& broken : packages.problems())
        printError(broken);
    if (!opened) {
        printError(opened.reason());
        return ExitFailed;
    }
    for (const QString& name : names) {
        if (packages.recordUnreadable(name)) {
            printError(QStringLiteral("%1: its record in %2 cannot be read").arg(name, library));
            return ExitFailed;
        }
        if (!packages.contains(name)) {
            printError(QStringLiteral("%1 is not installed in %2").arg(name, library));
            return ExitUsage;
        }
    }
    RemovalPrinter printer(parsed.style, library);
    bool allGone = true;
    for (const QString& name : names) {
        if (const int signal = interrupts.received())
            return interruptedExit(signal);
        const Result<RemovalOutcome> outcome = packages.uninstall(name);
        if (!outcome) {
            printError(QStringLiteral("%1 not uninstalled: %2").arg(name, outcome.reason()));
            allGone = false;
            continue;
        }
        if (!outcome->needsConfirmation.isEmpty()) {
            printError(QStringLiteral("%1 not uninstalled: %2; run again with --allow-outside %3")
                           .arg(name, needsConfirmationReason(outcome->needsConfirmation),
                                outcome->needsConfirmation));
            allGone = false;
            continue;
        }
        printer.print(name, *outcome);
        allGone = allGone && outcome->complete();
    }
    std::fflush(stdout);
    if (const int signal = interrupts.received())
        return interruptedExit(signal);
    return allGone ? ExitOk : ExitFailed;
}

int runRecover(const QStringList& arguments, Executor& executor, Interrupts& interrupts) {
    const LibraryArguments parsed = parseLibraryArguments(arguments, RecoverHelp, false, true);
    if (parsed.ended)
        return *parsed.ended;
    const QString library = parsed.positional.first();
    LibraryLock lock(library);
    if (const Status locked = lock.acquire(LibraryLock::Access::Change, waiting); !locked) {
        printError(locked.reason());
        return ExitFailed;
    }
    LibraryRecords records(library, executor);
    records.maintainIndex();
    VersionStore store(library);
    const DestinationTrust trust(parsed.allowedOutside);
    LibraryRecovery recovery(library, records, store, trust);
    const auto show = [&](const char* key, const char* words, const QString& path) {
        if (!parsed.style.json)
            std::printf("%s %s\n", words, qPrintable(shownText(path)));
        else
            printLine({{QLatin1String(key), jsonPath(library, path)}});
    };
    Result<LibraryRecovery::Report> recovered = recovery.recover(true);
    if (!recovered) {
        printError(recovered.reason());
        const Result<QStringList> setAside = recovery.setAside();
        for (const QString& path : setAside ? *setAside : QStringList())
            show("SET_ASIDE", "set aside:", path);
        if (!setAside) {
            printError(setAside.reason());
            return ExitFailed;
        }
        recovered = recovery.recover(true);
        if (!recovered) {
            printError(recovered.reason());
            return ExitFailed;
        }
    }
    for (const QString& path : recovered->finished)
        show("FINISHED", "finished:", path);
    for (const QString& path : recovered->undone)
        show("UNDONE", "took back:", path);
    for (const QString& path : recovered->cleared)
        show("CLEARED", "cleared:", path);
    for (const QString& why : recovered->storeKeptFor)
        printError(QStringLiteral("every set-aside version stays, as a record cannot be read: %1")
                       .arg(why));
    std::fflush(stdout);
    if (const int signal = interrupts.received())
        return interruptedExit(signal);
    return ExitOk;
}

} // namespace packshelf::cli
