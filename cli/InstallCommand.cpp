#include "cli/InstallCommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <map>

#include "analysis/ManualChoice.h"
#include "analysis/SourceScan.h"
#include "cli/AnalysisRun.h"
#include "cli/CommandSupport.h"
#include "cli/ExitCode.h"
#include "cli/FolderArguments.h"
#include "cli/InstallRun.h"
#include "cli/Interrupts.h"
#include "cli/ItemJson.h"
#include "cli/PasswordOptions.h"
#include "cli/Terminal.h"
#include "install/InstallPreview.h"

Q_LOGGING_CATEGORY(lcCli, "packshelf.cli")

namespace packshelf::cli {

namespace {

const char* const InstallHelp =
    "Usage: packshelf-cli install SOURCE DEST [--work DIR] [--ignore-data]\n"
    "                             [--dry-run] [--runtime NAME=PATH]\n"
    "                             [--data NAME=PATH] [--force NAME=PATH]\n"
    "                             [--password-file FILE] [--password-stdin]\n"
    "                             [--json] [--quiet]\n"
    "\n"
    "Analyses every archive of the folder SOURCE as 'analyze' does, applies\n"
    "the manual choices in command-line order, installs every archive that is\n"
    "then ready into the content library DEST, and prints one JSON object per\n"
    "archive and line (a table on a terminal), in list order, as the records\n"
    "stand afterwards\n"
    "(installed ones have STATE 9; failed ones STATE -1, INFO \"Failed!\" and\n"
    "the reason under REASON). Each archive is installed as one unit: its files\n"
    "are written and checked first, then put in place, so that a failure leaves\n"
    "the library as it was.\n"
    "\n"
    "  --work DIR          scratch folder for nested archives too large for\n"
    "                      memory (default: a private temporary folder)\n"
    "  --ignore-data       do not look for Data folders; judge by Runtime alone\n"
    "  --dry-run           write nothing: after the records, print one JSON\n"
    "                      object per file the install would write: ARCHIVE,\n"
    "                      PATH, ACTION (add, replace or same), OVERWRITTEN_BY\n"
    "                      (a later archive that writes it again) and OWNER (the\n"
    "                      installed package whose file it replaces)\n"
    "  --runtime NAME=PATH the archive NAME's Runtime folder lies in PATH\n"
    "  --data NAME=PATH    the archive NAME's Data folder lies in PATH\n"
    "  --force NAME=PATH   copy every entry of PATH of the archive NAME\n"
    "  --allow-outside DIR act in DIR, outside the library, where an earlier\n"
    "                      version of a package was installed, though its record\n"
    "                      cannot prove this user's PackShelf wrote it\n"
    "  --password-file FILE\n"
    "                      passwords for encrypted archives, one a line: each\n"
    "                      archive is opened with the first that fits it\n"
    "  --password-stdin    read one password from the first line of standard\n"
    "                      input\n"
    "  --json              JSON lines also on a terminal\n"
    "  -q, --quiet         no progress and no warnings\n"
    "  --version           show the version\n"
    "  -h, --help          show this help\n"
    "\n"
    "NAME is an archive's file name in SOURCE; PATH is the folder inside the\n"
    "archive that holds the chosen folder, folder names joined with '/', and\n"
    "empty for the archive's top level (--runtime 'Pack.zip='). A choice is\n"
    "taken only where the window offers it: --runtime and --data for an archive\n"
    "with duplicates, --force for one in which nothing was found.\n"
    "\n"
    "An encrypted archive that no password given opens is not installed: its\n"
    "record has INFO \"Needs a password\" and ERROR 4, and nothing of it is\n"
    "written. Passwords are never printed, logged or stored.\n"
    "\n"
    "Exit status: 0 when every archive taken for the install ended installed\n"
    "(with --dry-run: would), 1 when any failed (would fail) or an archive\n"
    "still needs a password, 2 for a usage error, a SOURCE or DEST that is not a\n"
    "folder, a work folder that cannot be written to, a password file that\n"
    "cannot be read, or a choice that names no archive or that the window would\n"
    "not offer; 130 or 143 when interrupted (SIGINT, SIGTERM): the archive being\n"
    "installed is rolled back, those installed stay installed.\n";

QString actionName(LibraryTransaction::Change::Kind kind) {
    switch (kind) {
    case LibraryTransaction::Change::Kind::Add:
        return QStringLiteral("add");
    case LibraryTransaction::Change::Kind::Replace:
        return QStringLiteral("replace");
    case LibraryTransaction::Change::Kind::Same:
        break;
    }
    return QStringLiteral("same");
}

struct ChoiceArgument {
    FolderChoice choice;
    QString fileName;
    QString holderPath;
    QString option;
};

std::optional<FolderChoice> choiceOfOption(const QString& option) {
    if (option == QLatin1String("runtime"))
        return FolderChoice::Runtime;
    if (option == QLatin1String("data"))
        return FolderChoice::Data;
    if (option == QLatin1String("force"))
        return FolderChoice::Forced;
    return std::nullopt;
}

// Splits NAME=PATH at the first "=" whose left side names a listed archive,
// so that names and paths may hold "=" themselves.
std::optional<ChoiceArgument> splitChoice(FolderChoice choice, const QString& option,
                                          const QString& value, const QStringList& fileNames) {
    for (qsizetype at = value.indexOf(QLatin1Char('=')); at >= 0;
         at = value.indexOf(QLatin1Char('='), at + 1)) {
        const QString name = value.left(at);
        if (fileNames.contains(name))
            return ChoiceArgument{choice, name, value.mid(at + 1), option};
    }
    return std::nullopt;
}

// The manual choices in the order they were given. Nothing, after a
// message, when one is malformed or names no archive.
std::optional<std::vector<ChoiceArgument>> choicesOf(const QCommandLineParser& parser,
                                                     const QStringList& fileNames) {
    std::vector<ChoiceArgument> choices;
    std::map<QString, qsizetype> used;
    for (const QString& option : parser.optionNames()) {
        const std::optional<FolderChoice> choice = choiceOfOption(option);
        if (!choice)
            continue;
        const QString value = parser.values(option).value(used[option]++);
        if (!value.contains(QLatin1Char('='))) {
            printError(QStringLiteral("--%1 expects NAME=PATH, not '%2'").arg(option, value));
            return std::nullopt;
        }
        std::optional<ChoiceArgument> argument = splitChoice(*choice, option, value, fileNames);
        if (!argument) {
            printError(
                QStringLiteral("--%1 %2: no archive of that name in SOURCE").arg(option, value));
            return std::nullopt;
        }
        choices.push_back(std::move(*argument));
    }
    return choices;
}

// Applies the choices as the window's buttons would; false, after a
// message, at the first one the window would refuse.
bool applyChoices(std::vector<ArchiveItem>& items, const std::vector<ChoiceArgument>& choices) {
    for (const ChoiceArgument& argument : choices) {
        for (ArchiveItem& item : items) {
            if (item.fileName() != argument.fileName)
                continue;
            if (const Status allowed =
                    checkFolderChoice(item, argument.choice, argument.holderPath);
                !allowed) {
                printError(QStringLiteral("--%1 %2=%3: %4")
                               .arg(argument.option, argument.fileName, argument.holderPath,
                                    allowed.reason()));
                return false;
            }
            recordFolderChoice(item, argument.choice, argument.holderPath);
            qCInfo(lcCli).noquote() << folderChoiceLogLine(argument.choice, argument.holderPath);
        }
    }
    return true;
}

std::vector<ArchiveItem> analyse(Executor& executor, const QString& sourceDir,
                                 const QString& workDir, bool ignoreDS, const SourceScan& scan,
                                 Interrupts& interrupts, bool quiet) {
    AnalysisRun run(executor, sourceDir, workDir, ignoreDS, scan, true);
    interrupts.watch(run.cancelFlag());
    ProgressLine progress(QStringLiteral("analysed"), quiet);
    QObject::connect(&run, &AnalysisRun::progressed, &run,
                     [&progress](int done, int total) { progress.show(done, total); });
    QEventLoop loop;
    QObject::connect(&run, &AnalysisRun::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    run.start();
    loop.exec();
    interrupts.watch(nullptr);
    return run.items();
}

std::vector<ArchiveItem> install(Executor& executor, InstallJob job, Interrupts& interrupts,
                                 bool quiet) {
    interrupts.watch(job.cancelled.get());
    InstallRun run(executor, std::move(job));
    ProgressLine progress(QStringLiteral("installed"), quiet);
    QObject::connect(
        &run, &InstallRun::stepped, &run,
        [&progress](const QString&, int done, int total) { progress.show(done, total); });
    QEventLoop loop;
    QObject::connect(&run, &InstallRun::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    run.start();
    loop.exec();
    interrupts.watch(nullptr);
    return run.items();
}

// A dry run's record ends as the install would leave it when it fails: the
// same "STATE", "ERROR", "INFO" and "REASON"; and with its "WARNING".
void markAsTheInstallWould(ArchiveItem& item, const PackagePreview& preview) {
    if (preview.unchanged)
        item.setInteger(key::Unchanged, 1);
    if (preview.nestedError != 0 && preview.problem.isEmpty()) {
        item.setInteger(key::Error, preview.nestedError);
        item.setText(key::Info, verdict::InstallFailed);
    }
    if (preview.problem.isEmpty()) {
        if (!preview.warnings.isEmpty())
            item.setText(key::Warning, preview.warnings.join(QLatin1Char('\n')));
        return;
    }
    item.setInteger(key::State, ItemState::Failed);
    item.setInteger(key::Error, preview.error);
    item.setText(key::Info, verdict::InstallFailed);
    item.setText(key::Reason, preview.problem);
}

// The plan of a dry run, one line per file; false when an archive would
// fail.
bool printPreview(const std::vector<PackagePreview>& previews, const OutputStyle& style) {
    bool allWould = true;
    TableOutput table({{QStringLiteral("ARCHIVE"), 30},
                       {QStringLiteral("ACTION"), 7},
                       {QStringLiteral("PATH"), 40},
                       {QStringLiteral("CONFLICT"), 24}},
                      style);
    if (!style.json)
        table.header();
    for (const PackagePreview& preview : previews) {
        if (!preview.problem.isEmpty()) {
            printError(QStringLiteral("%1 would fail: %2").arg(preview.archive, preview.problem));
            allWould = false;
        }
        for (const PackagePreview::File& file : preview.files) {
            if (!style.json) {
                const QString conflict =
                    !file.overwrittenBy.isEmpty()
                        ? QStringLiteral("then %1").arg(file.overwrittenBy)
                        : (file.owner.isEmpty() ? QString()
                                                : QStringLiteral("of %1").arg(file.owner));
                table.row({preview.archive, actionName(file.kind), file.path, conflict},
                          file.kind == LibraryTransaction::Change::Kind::Replace
                              ? TableOutput::Tone::Attention
                              : TableOutput::Tone::Plain);
                continue;
            }
            QList<std::pair<const char*, QString>> fields{{"ACTION", actionName(file.kind)},
                                                          {"ARCHIVE", preview.archive}};
            if (!file.overwrittenBy.isEmpty())
                fields.append({"OVERWRITTEN_BY", file.overwrittenBy});
            if (!file.owner.isEmpty())
                fields.append({"OWNER", file.owner});
            fields.append({"PATH", file.path});
            const QByteArray text = jsonLine(fields);
            std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
        }
    }
    std::fflush(stdout);
    return allWould;
}

int interruptedExit(int signal) {
    return 128 + signal;
}

} // namespace

int runInstall(const QStringList& arguments, Executor& executor, Interrupts& interrupts) {
    QCommandLineParser parser;
    const QCommandLineOption workOption(QStringLiteral("work"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption ignoreOption(QStringLiteral("ignore-data"));
    const QCommandLineOption dryRunOption(QStringLiteral("dry-run"));
    const QCommandLineOption runtimeOption(QStringLiteral("runtime"), QString(),
                                           QStringLiteral("NAME=PATH"));
    const QCommandLineOption dataOption(QStringLiteral("data"), QString(),
                                        QStringLiteral("NAME=PATH"));
    const QCommandLineOption forceOption(QStringLiteral("force"), QString(),
                                         QStringLiteral("NAME=PATH"));
    const QCommandLineOption outsideOption(QStringLiteral("allow-outside"), QString(),
                                           QStringLiteral("DIR"));
    parser.addOptions({workOption, ignoreOption, dryRunOption, runtimeOption, dataOption,
                       forceOption, outsideOption});
    const PasswordOptions passwords(parser);
    CommonOptions common(parser);
    if (const std::optional<int> ended = common.parse(arguments, InstallHelp))
        return *ended;
    const OutputStyle style = common.style();
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        printError(QStringLiteral("install takes a SOURCE and a DEST folder (see --help)"));
        return ExitUsage;
    }
    const std::optional<SourceScan> scan = scanSourceArgument(positional[0]);
    if (!scan)
        return ExitUsage;
    const QString& sourceDir = scan->folder;
    const std::optional<QString> dest = folderForArgument(positional[1], MissingFolder::Refused);
    // A library that is not there is never made: it may be a drive that is
    // not mounted.
    if (!dest || !QFileInfo(*dest).isDir()) {
        printError(QStringLiteral("%1 is not a folder").arg(positional[1]));
        return ExitUsage;
    }
    const QString destDir = *dest;
    const std::optional<std::vector<ChoiceArgument>> choices = choicesOf(parser, scan->fileNames);
    if (!choices)
        return ExitUsage;

    if (interrupts.received() != 0)
        return interruptedExit(interrupts.received());
    std::optional<QTemporaryDir> privateWork;
    const std::optional<QString> workDir = workFolderFor(parser, workOption, privateWork);
    if (!workDir || !passwords.apply())
        return ExitUsage;

    // The per-archive log lines stay quiet here (QT_LOGGING_RULES can turn
    // them on); failures, with the path that failed, are warnings and show.
    QLoggingCategory::setFilterRules(style.quiet ? QStringLiteral("packshelf.*.info=false\n"
                                                                  "packshelf.*.warning=false")
                                                 : QStringLiteral("packshelf.*.info=false"));

    std::vector<ArchiveItem> items = analyse(
        executor, sourceDir, *workDir, parser.isSet(ignoreOption), *scan, interrupts, style.quiet);
    if (interrupts.received() != 0)
        return interruptedExit(interrupts.received());
    if (!applyChoices(items, *choices))
        return ExitUsage;

    InstallJob job{sourceDir, destDir, *workDir, {}};
    for (const QString& folder : parser.values(outsideOption))
        job.allowedOutside << QDir::cleanPath(QDir(folder).absolutePath());
    std::vector<std::size_t> taken;
    bool passwordsMissing = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        passwordsMissing =
            passwordsMissing || items[i].integer(key::Error) == ItemError::ErrorPassword;
        if (items[i].state() == ItemState::Ready) {
            job.items.push_back(items[i].isolatedCopy());
            taken.push_back(i);
        }
    }
    RecordPrinter printer(style, false);
    if (parser.isSet(dryRunOption)) {
        interrupts.watch(job.cancelled.get());
        const std::vector<PackagePreview> previews = previewInstall(job, executor);
        interrupts.watch(nullptr);
        if (interrupts.received() != 0)
            return interruptedExit(interrupts.received());
        for (std::size_t i = 0; i < taken.size() && i < previews.size(); ++i)
            markAsTheInstallWould(items[taken[i]], previews[i]);
        printer.printAll(items);
        return printPreview(previews, style) && !passwordsMissing ? ExitOk : ExitFailed;
    }
    const std::vector<ArchiveItem> done =
        install(executor, std::move(job), interrupts, style.quiet);

    bool allInstalled = true;
    for (std::size_t i = 0; i < taken.size() && i < done.size(); ++i) {
        items[taken[i]] = done[i];
        allInstalled = allInstalled && done[i].state() == ItemState::Installed;
    }
    printer.printAll(items);
    if (interrupts.received() != 0)
        return interruptedExit(interrupts.received());
    return allInstalled && !passwordsMissing ? ExitOk : ExitFailed;
}

} // namespace packshelf::cli
