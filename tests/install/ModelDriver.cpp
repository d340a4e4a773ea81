#include "tests/install/ModelDriver.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "install/InstallUndo.h"
#include "install/InstalledPackages.h"
#include "install/Installer.h"
#include "install/PackageRepair.h"
#include "install/disk/LibraryFiles.h"
#include "install/journal/LibraryRecovery.h"
#include "install/records/LibraryRecords.h"
#include "install/store/VersionStore.h"
#include "install/transaction/LibraryTransaction.h"
#include "tests/install/InstallFixtures.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

namespace packshelf::test {

namespace {

std::atomic<int> g_seen{0};
int g_failAt = 0;
bool g_kill = false;

int countedFault(library::FileOp) {
    const int seen = ++g_seen;
    if (g_failAt == 0 || seen != g_failAt)
        return 0;
    if (g_kill)
        ::raise(SIGKILL);
    return EIO;
}

} // namespace

ModelDriver::ModelDriver()
    : m_dir(fastScratch())
    , m_dest(m_dir.filePath("dest"))
    , m_work(m_dir.filePath("work")) {
    QDir().mkpath(m_dest);
    QDir().mkpath(m_work);
}

QString
ModelDriver::writeRun(const std::vector<std::pair<QString, LibraryModel::Files>>& archives) {
    const QString folder = m_dir.filePath(QStringLiteral("runs/%1").arg(++m_runs));
    QDir().mkpath(folder);
    for (const auto& [package, files] : archives) {
        ZipWriter zip;
        for (const auto& [path, content] : files)
            zip.addFile(path.toUtf8(), content);
        zip.writeTo(folder + "/" + package + ".zip");
    }
    return folder;
}

std::vector<ModelDriver::Outcome> ModelDriver::install(const QString& runFolder,
                                                       const QStringList& packages) {
    std::vector<ArchiveItem> items;
    for (const QString& package : packages)
        items.push_back(analysedItem(runFolder, package + ".zip", m_work));
    InstallRecording run;
    InstallCallbacks callbacks;
    callbacks.copyDone = [&run](std::vector<ArchiveItem> done) { run.items = std::move(done); };
    installerThread(InstallJob{runFolder, m_dest, m_work, items}, callbacks, executor());
    std::vector<Outcome> outcomes;
    for (const ArchiveItem& item : run.items) {
        Outcome outcome;
        outcome.package = item.fileName().chopped(4);
        outcome.done = item.state() == ItemState::Installed;
        outcome.problem = item.text(key::Reason).value_or(QString()) +
                          item.text(key::Warning).value_or(QString());
        outcomes.push_back(outcome);
    }
    return outcomes;
}

std::vector<ModelDriver::Outcome> ModelDriver::uninstall(const QStringList& packages) {
    std::vector<Outcome> outcomes;
    InstalledPackages installed(m_dest, executor());
    const Status opened = installed.open(LibraryLock::Access::Change);
    for (const QString& package : packages) {
        Outcome outcome;
        outcome.package = package;
        if (!opened) {
            outcome.problem = opened.reason();
            outcomes.push_back(outcome);
            continue;
        }
        const Result<RemovalOutcome> removal = installed.uninstall(package + ".zip");
        outcome.done = removal.ok();
        outcome.kept = removal ? int(removal->kept.size()) : 0;
        outcome.problem = removal ? removal->warnings.join('\n') : removal.reason();
        if (removal && !removal->complete() && removal->kept.isEmpty())
            outcome.problem += " (incomplete)";
        outcomes.push_back(outcome);
    }
    return outcomes;
}

ModelDriver::Outcome ModelDriver::repair(const QString& package, const QString& sourceFolder) {
    RepairReport report;
    const Status changed =
        repairPackages(m_dest, {package + ".zip"}, sourceFolder, m_work, executor(), &report);
    Outcome outcome;
    outcome.package = package;
    if (!changed || report.packages.empty()) {
        outcome.problem = changed.reason();
        return outcome;
    }
    const RepairOutcome& repaired = report.packages.front();
    outcome.done = repaired.problem.isEmpty();
    outcome.problem = repaired.problem;
    return outcome;
}

std::vector<ModelDriver::Outcome> ModelDriver::undo() {
    UndoReport report;
    const Status changed = undoLastInstall(m_dest, executor(), &report);
    std::vector<Outcome> outcomes;
    for (const UndoReport::Package& package : report.packages) {
        Outcome outcome;
        outcome.package = package.archive.chopped(4);
        outcome.done = package.problem.isEmpty();
        outcome.kept = int(package.removal.kept.size());
        outcome.problem = package.problem;
        outcomes.push_back(outcome);
    }
    if (!changed && outcomes.empty())
        outcomes.push_back({QString(), false, 0, changed.reason()});
    return outcomes;
}

bool ModelDriver::recover(QString* problem) {
    LibraryLock lock(m_dest);
    if (const Status locked = lock.acquire(LibraryLock::Access::Change); !locked) {
        *problem = locked.reason();
        return false;
    }
    LibraryRecords records(m_dest, executor());
    records.maintainIndex();
    VersionStore store(m_dest);
    const DestinationTrust trust;
    LibraryRecovery recovery(m_dest, records, store, trust);
    const Result<LibraryRecovery::Report> recovered = recovery.recover(true);
    *problem = recovered.reason();
    return recovered.ok();
}

void ModelDriver::injectAt(int failAt, bool kill) {
    g_seen = 0;
    g_failAt = failAt;
    g_kill = kill;
    library::setFaultInjection(failAt > 0 ? countedFault : std::function<int(library::FileOp)>());
}

int ModelDriver::operationsSeen() const {
    return g_seen;
}

bool ModelDriver::runKilled(const std::function<void()>& command, int killAt) {
    const pid_t child = ::fork();
    if (child == 0) {
        m_childExecutor = std::make_unique<Executor>();
        injectAt(killAt, true);
        command();
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

ModelDriver::State ModelDriver::read() {
    State state;
    QDirIterator it(m_dest, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(m_dest);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = base.relativeFilePath(path);
        const QFileInfo info = it.fileInfo();
        if (isStagingName(info.fileName()))
            state.leftovers << relative;
        if (relative.startsWith(".packshelf/journal-"))
            state.journalLeft = true;
        if (!info.isFile() || info.isSymLink())
            continue;
        if (relative.startsWith(".packshelf/repaired-"))
            state.keptAside.insert(readFile(path));
        else if (!relative.startsWith(".packshelf/") && !isStagingName(info.fileName()))
            state.disk[relative] = readFile(path);
    }
    InstalledPackages installed(m_dest, m_executor);
    QSet<QString> named;
    if (installed.open(LibraryLock::Access::Read)) {
        for (const Manifest& manifest : installed.manifests()) {
            const QString package = manifest.archive.chopped(4);
            state.written[package];
            for (const Manifest::File& file : manifest.files) {
                if (!file.written()) {
                    state.same[package].insert(file.path);
                    continue;
                }
                state.written[package][file.path] = file.crc;
                std::optional<QByteArray>& before = state.before[package][file.path];
                if (const std::optional<Version> version = Version::fromKey(file.before)) {
                    named.insert(file.before);
                    const QString stored = m_dest + "/" + VersionStore::relativePathOf(*version);
                    before = QFile::exists(stored) ? readFile(stored) : QByteArray("?");
                }
            }
        }
    }
    QDirIterator store(m_dest + "/.packshelf/store", QDir::Files | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (store.hasNext()) {
        store.next();
        if (!named.contains(store.fileName()))
            state.unnamedVersions << store.fileName();
    }
    state.unreadable = installed.problems();
    return state;
}

} // namespace packshelf::test
