#include "cli/CommandSupport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

#include "cli/ExitCode.h"
#include "cli/FolderArguments.h"
#include "cli/ItemJson.h"
#include "cli/Terminal.h"

namespace packshelf::cli {

std::optional<SourceScan> scanSourceArgument(const QString& argument) {
    const std::optional<QString> folder = folderForArgument(argument, MissingFolder::Refused);
    if (!folder) {
        printError(QStringLiteral("%1 is not a readable folder").arg(argument));
        return std::nullopt;
    }
    Result<SourceScan> scan = scanSourceFolder(*folder);
    if (!scan) {
        printError(QStringLiteral("%1 is not a readable folder: %2").arg(argument, scan.reason()));
        return std::nullopt;
    }
    return std::move(*scan);
}

namespace {

constexpr char PrivateWorkPrefix[] = "packshelf-cli-";

// Removes the private work folders of runs that were killed: named after
// their process, which has ended.
void removePrivateFoldersOfEndedRuns() {
    const QDir temporary(QDir::tempPath());
    for (const QString& name : temporary.entryList({QLatin1String(PrivateWorkPrefix) + "*"},
                                                   QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = name.mid(qsizetype(std::strlen(PrivateWorkPrefix)))
                               .section(QLatin1Char('-'), 0, 0)
                               .toLongLong(&numeric);
        if (!numeric || pid <= 0 || pid == QCoreApplication::applicationPid() ||
            QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
            continue;
        QDir(temporary.filePath(name)).removeRecursively();
    }
}

} // namespace

std::optional<QString> workFolderFor(const QCommandLineParser& parser,
                                     const QCommandLineOption& workOption,
                                     std::optional<QTemporaryDir>& privateWork) {
    if (parser.isSet(workOption)) {
        const std::optional<QString> folder =
            folderForArgument(parser.value(workOption), MissingFolder::Made);
        if (folder && QDir().mkpath(*folder) && QFileInfo(*folder).isWritable())
            return folder;
        printError(QStringLiteral("%1 is not a folder that can be written to")
                       .arg(parser.value(workOption)));
        return std::nullopt;
    }
    removePrivateFoldersOfEndedRuns();
    privateWork.emplace(QDir::tempPath() + QLatin1Char('/') + QLatin1String(PrivateWorkPrefix) +
                        QString::number(QCoreApplication::applicationPid()) +
                        QStringLiteral("-XXXXXX"));
    if (privateWork->isValid())
        return privateWork->path();
    printError(QStringLiteral("cannot create a temporary work folder"));
    return std::nullopt;
}

namespace {

QString holderShown(const ArchiveItem& item, const QString& flag, const QString& path) {
    if (!item.flag(flag))
        return QStringLiteral("-");
    const std::optional<QString> holder = item.text(path);
    if (!holder)
        return QStringLiteral("(to choose)");
    return holder->isEmpty() ? QStringLiteral("/") : *holder;
}

std::pair<QString, TableOutput::Tone> verdictOf(const ArchiveItem& item) {
    const QString info = item.text(key::Info).value_or(QString());
    switch (item.state()) {
    case ItemState::Installed:
        if (lostNestedArchive(item))
            return {QStringLiteral("Installed*"), TableOutput::Tone::Attention};
        return {QStringLiteral("Installed"), TableOutput::Tone::Good};
    case ItemState::Ready:
        return {info, TableOutput::Tone::Good};
    case ItemState::NeedsHelp:
        return {info, TableOutput::Tone::Attention};
    case ItemState::Failed:
        return {info, TableOutput::Tone::Bad};
    default:
        return {info, TableOutput::Tone::Plain};
    }
}

} // namespace

CommonOptions::CommonOptions(QCommandLineParser& parser)
    : m_parser(parser)
    , m_help(QStringList{QStringLiteral("h"), QStringLiteral("help")})
    , m_version(QStringLiteral("version"))
    , m_json(QStringLiteral("json"))
    , m_quiet(QStringList{QStringLiteral("q"), QStringLiteral("quiet")}) {
    m_parser.addOptions({m_help, m_version, m_json, m_quiet});
}

std::optional<int> CommonOptions::parse(const QStringList& arguments, const char* help) {
    if (!m_parser.parse(arguments)) {
        printError(m_parser.errorText());
        return ExitUsage;
    }
    if (m_parser.isSet(m_help)) {
        std::fputs(help, stdout);
        return ExitOk;
    }
    if (m_parser.isSet(m_version)) {
        std::fputs(qPrintable(versionLine() + QLatin1Char('\n')), stdout);
        return ExitOk;
    }
    if (m_parser.isSet(m_quiet))
        QLoggingCategory::setFilterRules(QStringLiteral("packshelf.*.warning=false"));
    return std::nullopt;
}

OutputStyle CommonOptions::style() const {
    return OutputStyle::forStdout(m_parser.isSet(m_json), m_parser.isSet(m_quiet));
}

RecordPrinter::RecordPrinter(const OutputStyle& style, bool withTree)
    : m_style(style)
    , m_withTree(withTree)
    , m_table({{QStringLiteral("ARCHIVE"), 34},
               {QStringLiteral("VERDICT"), 18},
               {QStringLiteral("RUNTIME"), 16},
               {QStringLiteral("DATA"), 16},
               {QStringLiteral("FILES"), 6, true}},
              style) {}

void RecordPrinter::print(const ArchiveItem& item) {
    if (m_style.json) {
        const QByteArray line = jsonLine(itemToJson(item, m_withTree));
        std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
        std::fflush(stdout);
        return;
    }
    if (!m_headerShown) {
        m_table.header();
        m_headerShown = true;
    }
    const auto [verdict, tone] = verdictOf(item);
    m_table.row({item.fileName(), verdict, holderShown(item, key::HasRuntime, key::RuntimePath),
                 holderShown(item, key::HasData, key::DataPath),
                 item.contains(key::Files) ? QString::number(item.integer(key::Files)) : QString()},
                tone);
    if (const std::optional<QString> reason = item.text(key::Reason))
        m_table.note(*reason);
    if (const std::optional<QString> warning = item.text(key::Warning); warning && !m_style.quiet) {
        for (const QString& line : warning->split(QLatin1Char('\n')))
            m_table.note(line);
    }
}

void RecordPrinter::printAll(const std::vector<ArchiveItem>& items) {
    for (const ArchiveItem& item : items)
        print(item);
}

QString versionLine() {
    return QStringLiteral("%1 %2").arg(QCoreApplication::applicationName(),
                                       QStringLiteral(PACKSHELF_VERSION));
}

QString jsonPath(const QString& library, const QString& path) {
    const QString prefix =
        library.endsWith(QLatin1Char('/')) ? library : library + QLatin1Char('/');
    return path.startsWith(prefix) && path.size() > prefix.size() ? path.mid(prefix.size()) : path;
}

} // namespace packshelf::cli
