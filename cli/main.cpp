#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "cli/AnalyzeCommand.h"
#include "cli/CommandSupport.h"
#include "cli/ExitCode.h"
#include "cli/FolderArguments.h"
#include "cli/InstallCommand.h"
#include "cli/Interrupts.h"
#include "cli/LibraryCommands.h"
#include "cli/Terminal.h"
#include "cli/VerifyCommands.h"
#include "core/Executor.h"
#include "readers/ReaderZygote.h"

namespace {
const char* const Usage =
    "Usage: packshelf-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  analyze SOURCE [--work DIR] [--ignore-data] [--tree]\n"
    "          [--password-file FILE] [--password-stdin]\n"
    "      classify every zip, 7z and RAR archive of SOURCE and show each one's\n"
    "      verdict\n"
    "  install SOURCE DEST [--work DIR] [--ignore-data] [--dry-run]\n"
    "          [--runtime NAME=PATH] [--data NAME=PATH] [--force NAME=PATH]\n"
    "          [--password-file FILE] [--password-stdin]\n"
    "      analyse, apply the manual choices, install every ready archive into\n"
    "      the content library DEST and show the records afterwards\n"
    "  installed DEST\n"
    "      list the packages installed in DEST\n"
    "  uninstall DEST NAME... [--allow-outside DIR]\n"
    "      take the packages installed from the archives NAME out of DEST\n"
    "  verify DEST [NAME...] [--full] [--foreign]\n"
    "      tell which installed files are changed, missing or not files any more\n"
    "  repair DEST NAME... --source DIR [--work DIR] [--allow-outside DIR]\n"
    "      write such files again from their archives, keeping the changed ones\n"
    "  undo DEST [--dry-run] [--allow-outside DIR]\n"
    "      take back the last install into DEST, naming it first\n"
    "  recover DEST [--allow-outside DIR]\n"
    "      finish or take back a change a run that ended too soon left, and set\n"
    "      aside one that cannot be read, losing nothing\n"
    "\n"
    "Every command takes --json (JSON lines also on a terminal; they are the\n"
    "output whenever stdout is not a terminal), -q/--quiet, --version and -h/--help.\n"
    "Run 'packshelf-cli COMMAND --help' for a command's options.\n";
}

int main(int argc, char* argv[]) {
    // SIGINT and SIGTERM are heard from the first instruction, before any
    // command writes anything (its temporary folder included): they end a
    // command at its next safe point, never in the middle of a change.
    packshelf::cli::Interrupts interrupts;
    // The commands that analyse fork their readers from a zygote, forked
    // here while this process has one thread and nothing open of its own.
    if (argc > 1 && (std::strcmp(argv[1], "analyze") == 0 || std::strcmp(argv[1], "install") == 0))
        packshelf::ReaderZygote::startEarly();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("packshelf-cli"));
    // Warnings of the engine (a failed install, a nested archive left out)
    // carry the program's name like every other message on stderr.
    qSetMessagePattern(QStringLiteral(
        "packshelf-cli: %{if-warning}warning: %{endif}%{if-critical}error: %{endif}%{message}"));
    packshelf::cli::showFoldersInLogMessages();
    // From argv itself: QCoreApplication::arguments() would turn the bytes
    // of a folder name that are not UTF-8 into U+FFFD.
    QStringList arguments = packshelf::cli::commandLineArguments(argc, argv);
    const QString command = arguments.value(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(Usage, stdout);
        return packshelf::cli::ExitOk;
    }
    if (command == QLatin1String("--version")) {
        std::puts(qPrintable(packshelf::cli::versionLine()));
        return packshelf::cli::ExitOk;
    }
    arguments.removeAt(1 < arguments.size() ? 1 : 0);
    // The program's one executor: analysis, installs and the library's
    // side-by-side reads run on it.
    packshelf::Executor executor;
    if (command == QLatin1String("analyze"))
        return packshelf::cli::runAnalyze(arguments, executor);
    if (command == QLatin1String("install"))
        return packshelf::cli::runInstall(arguments, executor, interrupts);
    if (command == QLatin1String("installed"))
        return packshelf::cli::runInstalled(arguments, executor);
    if (command == QLatin1String("uninstall"))
        return packshelf::cli::runUninstall(arguments, executor, interrupts);
    if (command == QLatin1String("recover"))
        return packshelf::cli::runRecover(arguments, executor, interrupts);
    if (command == QLatin1String("verify"))
        return packshelf::cli::runVerify(arguments, executor);
    if (command == QLatin1String("repair"))
        return packshelf::cli::runRepair(arguments, executor, interrupts);
    if (command == QLatin1String("undo"))
        return packshelf::cli::runUndo(arguments, executor, interrupts);
    packshelf::cli::printError(
        command.isEmpty() ? QStringLiteral("no command given (see --help)")
                          : QStringLiteral("unknown command '%1' (see --help)").arg(command));
    return packshelf::cli::ExitUsage;
}
