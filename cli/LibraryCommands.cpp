#include "cli/LibraryCommands.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

#include "cli/AnalyzeCommand.h"
#include "cli/ItemJson.h"
#include "cli/Terminal.h"
#include "install/LibraryJournal.h"
#include "install/LibraryRecords.h"
#include "install/PackageRemoval.h"

namespace packshelf::cli {

namespace {

const char* const InstalledHelp =
    "Usage: packshelf-cli installed DEST\n"
    "\n"
    "Prints one JSON object per package installed in the content library DEST,\n"
    "in the order they were installed: ARCHIVE, INSTALLED (ISO 8601), FILES (the\n"
    "files it brought), REPLACED (of those, the ones that replaced a file, which\n"
    "is kept for its uninstall) and SHA256 (a digest of the archive's listing).\n"
    "A record that cannot be read is named on stderr and its package left out.\n"
    "\n"
    "Exit status: 0, or 2 for a usage error or a DEST that is not a folder.\n";

const char* const UninstallHelp =
    "Usage: packshelf-cli uninstall DEST NAME...\n"
    "\n"
    "Takes the packages installed from the archives NAME out of the content\n"
    "library DEST: removes every file a package wrote that is still as it wrote\n"
    "it, puts back each file it had replaced, removes the folders it made that\n"
    "are left empty, and forgets the package. A file changed since the install\n"
    "is kept (and named on stderr); a file a later package wrote over stays that\n"
    "package's. Prints one JSON object per package: ARCHIVE, REMOVED, RESTORED,\n"
    "HANDED_ON (files left to a later package) and KEPT (the paths kept).\n"
    "\n"
    "Exit status: 0 when every file was removed or restored, 1 when some were\n"
    "kept, 2 for a usage error or a NAME that is not installed in DEST.\n";

// Parses DEST (and the names after it); nothing after a message.
std::optional<QStringList> parseLibraryArguments(const QStringList& arguments, const char* help,
                                                 bool takesNames) {
    QCommandLineParser parser;
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(helpOption);
    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet(helpOption)) {
        std::fputs(help, stdout);
        return QStringList();
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty() || (takesNames ? positional.size() < 2 : positional.size() != 1)) {
        printError(QStringLiteral("expected %1 (see --help)")
                       .arg(takesNames ? QStringLiteral("DEST and at least one NAME")
                                       : QStringLiteral("one DEST folder")));
        return std::nullopt;
    }
    if (!QFileInfo(positional.first()).isDir()) {
        printError(QStringLiteral("%1 is not a folder").arg(positional.first()));
        return std::nullopt;
    }
    QStringList result = positional;
    result[0] = QDir(positional.first()).absolutePath();
    return result;
}

void printLine(const QJsonObject& object) {
    const QByteArray line = jsonLine(object);
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fflush(stdout);
}

// Finishes what a killed run left, under the library's lock, and reads the
// records.
std::vector<Manifest> openRecords(LibraryRecords& records) {
    QString problem;
    if (records.lock(&problem))
        records.recover();
    else
        printError(problem);
    QStringList problems;
    std::vector<Manifest> manifests = records.load(&problems);
    for (const QString& broken : problems)
        printError(QStringLiteral("%1 (the package is left alone)").arg(broken));
    return manifests;
}

} // namespace

int runInstalled(const QStringList& arguments) {
    const std::optional<QStringList> parsed =
        parseLibraryArguments(arguments, InstalledHelp, false);
    if (!parsed)
        return ExitUsage;
    if (parsed->isEmpty())
        return ExitOk;
    LibraryRecords records(parsed->first());
    for (const Manifest& manifest : openRecords(records)) {
        printLine({{QStringLiteral("ARCHIVE"), manifest.archive},
                   {QStringLiteral("INSTALLED"), manifest.installed},
                   {QStringLiteral("FILES"), manifest.count(Manifest::File::Action::New) +
                                                 manifest.count(Manifest::File::Action::Replaced)},
                   {QStringLiteral("REPLACED"), manifest.count(Manifest::File::Action::Replaced)},
                   {QStringLiteral("SHA256"), manifest.sha256}});
    }
    return ExitOk;
}

int runUninstall(const QStringList& arguments) {
    const std::optional<QStringList> parsed = parseLibraryArguments(arguments, UninstallHelp, true);
    if (!parsed)
        return ExitUsage;
    if (parsed->isEmpty())
        return ExitOk;
    LibraryRecords records(parsed->first());
    std::vector<Manifest> manifests = openRecords(records);
    const QStringList names = parsed->mid(1);
    for (const QString& name : names) {
        if (std::none_of(manifests.begin(), manifests.end(),
                         [&](const Manifest& manifest) { return manifest.archive == name; })) {
            printError(QStringLiteral("%1 is not installed in %2").arg(name, parsed->first()));
            return ExitUsage;
        }
    }
    bool allGone = true;
    for (const QString& name : names) {
        const auto found =
            std::find_if(manifests.begin(), manifests.end(),
                         [&](const Manifest& manifest) { return manifest.archive == name; });
        const Manifest package = *found;
        manifests.erase(found);
        LibraryJournal journal;
        const RemovalOutcome outcome = planUninstall(package, manifests, records, journal);
        QStringList problems;
        journal.commit(records, &problems);
        for (const QString& problem : problems)
            printError(problem);
        for (const QString& kept : outcome.kept)
            printError(QStringLiteral("kept %1: changed since %2 installed it").arg(kept, name));
        allGone = allGone && outcome.kept.isEmpty() && problems.isEmpty();
        printLine({{QStringLiteral("ARCHIVE"), name},
                   {QStringLiteral("REMOVED"), outcome.removed},
                   {QStringLiteral("RESTORED"), outcome.restored},
                   {QStringLiteral("HANDED_ON"), outcome.handedOn},
                   {QStringLiteral("KEPT"), QJsonArray::fromStringList(outcome.kept)}});
    }
    return allGone ? ExitOk : ExitFailed;
}

} // namespace packshelf::cli
