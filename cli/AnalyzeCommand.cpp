#include "cli/AnalyzeCommand.h"
#include "cli/ExitCode.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "analysis/SourceScan.h"
#include "cli/AnalysisRun.h"
#include "cli/CommandSupport.h"
#include "cli/PasswordOptions.h"
#include "cli/Terminal.h"

namespace packshelf::cli {

namespace {

const char* const AnalyzeHelp =
    "Usage: packshelf-cli analyze SOURCE [--work DIR] [--ignore-data] [--tree]\n"
    "                             [--password-file FILE] [--password-stdin]\n"
    "                             [--json] [--quiet]\n"
    "\n"
    "Analyses every zip, 7z and RAR archive of the folder SOURCE from its index\n"
    "(a zip's central directory), at most four at a time, in reader processes,\n"
    "and shows them in list order: on a terminal as a table (archive, verdict,\n"
    "Runtime and Data folders, files), otherwise (or with --json) as one JSON\n"
    "object per archive and line with the keys of its record (STATE, INFO,\n"
    "RUNTIMEPATH, REASON, ...).\n"
    "\n"
    "  --work DIR      scratch folder for nested archives too large for memory\n"
    "                  (default: a private temporary folder, removed at the end)\n"
    "  --ignore-data   do not look for Data folders; judge by Runtime alone\n"
    "  --tree          include each archive's content tree under \"ZIP\" (JSON)\n"
    "  --password-file FILE\n"
    "                  passwords for encrypted archives, one a line: each\n"
    "                  archive is opened with the first that fits it\n"
    "  --password-stdin\n"
    "                  read one password from the first line of standard input\n"
    "  --json          JSON lines also on a terminal\n"
    "  -q, --quiet     no progress and no warnings\n"
    "  --version       show the version\n"
    "  -h, --help      show this help\n"
    "\n"
    "An encrypted archive that no password given opens has STATE -1, ERROR 4,\n"
    "INFO \"Needs a password\" and the reason (none given, or the wrong one)\n"
    "under REASON. Passwords are never printed, logged or stored.\n"
    "\n"
    "Exit status: 0 when the analysis ran, 2 for a usage error, a SOURCE that\n"
    "is not a readable folder, a work folder that cannot be written to or a\n"
    "password file that cannot be read.\n";

} // namespace

int runAnalyze(const QStringList& arguments, Executor& executor) {
    QCommandLineParser parser;
    const QCommandLineOption workOption(QStringLiteral("work"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption ignoreOption(QStringLiteral("ignore-data"));
    const QCommandLineOption treeOption(QStringLiteral("tree"));
    parser.addOptions({workOption, ignoreOption, treeOption});
    const PasswordOptions passwords(parser);
    CommonOptions common(parser);
    if (const std::optional<int> ended = common.parse(arguments, AnalyzeHelp))
        return *ended;
    const OutputStyle style = common.style();
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        printError(QStringLiteral("analyze takes one SOURCE folder (see --help)"));
        return ExitUsage;
    }
    const std::optional<SourceScan> scan = scanSourceArgument(positional.first());
    if (!scan)
        return ExitUsage;
    const QString& sourceDir = scan->folder;
    std::optional<QTemporaryDir> privateWork;
    const std::optional<QString> workDir = workFolderFor(parser, workOption, privateWork);
    if (!workDir || !passwords.apply())
        return ExitUsage;

    // Records are printed as they come in, in list order, and then let go:
    // memory stays flat however many archives the folder holds.
    AnalysisRun run(executor, sourceDir, *workDir, parser.isSet(ignoreOption), *scan, false);
    ProgressLine progress(QStringLiteral("analysed"), style.quiet);
    RecordPrinter printer(style, parser.isSet(treeOption));
    QObject::connect(&run, &AnalysisRun::recordReady, &run,
                     [&progress, &printer](const ArchiveItem& item) {
                         progress.clear();
                         printer.print(item);
                     });
    QObject::connect(&run, &AnalysisRun::progressed, &run,
                     [&progress](int done, int total) { progress.show(done, total); });
    QObject::connect(&run, &AnalysisRun::finished, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    run.start();
    QCoreApplication::exec();
    return ExitOk;
}

} // namespace packshelf::cli
