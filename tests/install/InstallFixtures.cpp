#include "tests/install/InstallFixtures.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonDocument>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "analysis/Analyzer.h"
#include "core/Executor.h"
#include "install/Installer.h"
#include "install/transaction/LibraryTransaction.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

namespace packshelf::test {

namespace {

QStringList* g_capturedLog = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void captureInstallLog(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (g_capturedLog && context.category &&
        QByteArray(context.category).startsWith("packshelf.install"))
        g_capturedLog->append(message);
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

// The capabilities that let root ignore file permissions.
constexpr quint32 PermissionOverrides =
    (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

bool readCapabilities(__user_cap_data_struct data[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}

void writeCapabilities(__user_cap_data_struct data[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    ::syscall(SYS_capset, &header, data);
}

} // namespace

ArchiveItem analysedItem(const QString& sourceDir, const QString& fileName,
                         const QString& workDir) {
    AnalyzerJob job;
    job.sourceDir = sourceDir;
    job.workDir = workDir;
    job.data = ArchiveItem::create(fileName);
    ArchiveItem result;
    analyzerThread(std::move(job), [&result](AnalyzerReport report) { result = report.data; });
    return result;
}

Library::Library() {
    QDir().mkpath(source);
    QDir().mkpath(dest);
    QDir().mkpath(work);
    writeFile(dir.filePath("bystander/keep.txt"), "keep");
}

Library::Library(const QString& scratchTemplate)
    : dir(scratchTemplate) {
    QDir().mkpath(source);
    QDir().mkpath(dest);
    QDir().mkpath(work);
    writeFile(dir.filePath("bystander/keep.txt"), "keep");
}

QString fastScratch() {
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    return base + QStringLiteral("/packshelf-test-XXXXXX");
}

void Library::add(const QString& fileName, const QByteArray& bytes) const {
    writeFile(source + "/" + fileName, bytes);
}

void Library::add(const QString& fileName, const ZipWriter& zip) const {
    add(fileName, zip.bytes());
}

ArchiveItem Library::analysed(const QString& fileName) const {
    return analysedItem(source, fileName, work);
}

InstallJob Library::job(std::vector<ArchiveItem> items) const {
    return InstallJob{source, dest, work, std::move(items)};
}

FolderSnapshot Library::surroundings() const {
    FolderSnapshot snapshot = FolderSnapshot::of(dir.path());
    const QString library = QDir(dir.path()).relativeFilePath(dest);
    std::erase_if(snapshot.entries, [&library](const auto& entry) {
        return entry.first == library || entry.first.startsWith(library + '/');
    });
    return snapshot;
}

CliResult installOne(const Library& box, const QString& name, const QString& dest) {
    const QString single = box.dir.filePath("single");
    QDir(single).removeRecursively();
    QDir().mkpath(single);
    QFile::copy(box.source + "/" + name, single + "/" + name);
    return runCli({"install", single, dest.isEmpty() ? box.dest : dest, "--work", box.work});
}

// The record file of `archive` in the library `dest`.
void installFiles(const Library& box, const QString& name,
                  const std::map<QString, QByteArray>& files) {
    ZipWriter zip;
    for (const auto& [path, content] : files)
        zip.addFile(path.toUtf8(), content);
    box.add(name, zip);
    const InstallRecording run = runInstaller(box.job({box.analysed(name)}));
    ASSERT_EQ(run.items.at(0).state(), ItemState::Installed)
        << run.items.at(0).text(key::Reason).value_or(QString()).toStdString();
}

Result<RemovalOutcome> uninstallFrom(const QString& library, const QString& archive) {
    InstalledPackages packages(library, testExecutor());
    if (const Status opened = packages.open(LibraryLock::Access::Change); !opened)
        return opened.failure();
    return packages.uninstall(archive);
}

QString recordOf(const QString& dest, const QString& archive) {
    QDirIterator it(dest + "/.packshelf", {"*.json"}, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        if (QJsonDocument::fromJson(readFile(path))["archive"].toString() == archive)
            return path;
    }
    return {};
}

void editRecord(const QString& dest, const QString& archive,
                const std::function<void(QJsonObject&)>& edit) {
    const QString path = recordOf(dest, archive);
    QJsonObject record = QJsonDocument::fromJson(readFile(path)).object();
    edit(record);
    writeFile(path, QJsonDocument(record).toJson());
}

// A journal as the program writes it: its steps, then its digest.
QByteArray journalBytes(const QJsonArray& steps) {
    const QByteArray content =
        QJsonDocument(QJsonObject{{"format", 3}, {"steps", steps}}).toJson(QJsonDocument::Compact) +
        "\n";
    return content + "end " +
           QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex() + "\n";
}

// Every staged name below a folder, the records folder included.
QStringList stagedUnder(const QString& folder) {
    QStringList staged;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isStagingName(it.fileName()))
            staged << QDir(folder).relativeFilePath(path);
    }
    return staged;
}

// A library holding A (one new file) and C (a new file, and one that
// replaced the user's own), with a folder outside it that holds files of
// the same names and content.
TwoPackages::TwoPackages() {
    writeFile(dest + "/Runtime/shared.txt", "the user's own");
    add("A.zip", ZipWriter().addFile("Runtime/a.txt", "a"));
    add("B.zip", ZipWriter().addFile("Runtime/b.txt", "b"));
    add("C.zip", ZipWriter().addFile("Runtime/c.txt", "c").addFile("Runtime/shared.txt", "C's"));
    writeFile(outside + "/Runtime/a.txt", "a");
    writeFile(outside + "/Runtime/c.txt", "c");
    writeFile(outside + "/dir/keep.txt", "keep");
    EXPECT_EQ(installOne(*this, "A.zip").exitCode, 0);
    EXPECT_EQ(installOne(*this, "C.zip").exitCode, 0);
    QDir(dir.filePath("single")).removeRecursively();
}

Executor& testExecutor() {
    static Executor executor;
    return executor;
}

InstallRecording runInstaller(InstallJob job) {
    InstallRecording recording;
    g_capturedLog = &recording.log;
    g_previousHandler = qInstallMessageHandler(captureInstallLog);
    InstallCallbacks callbacks;
    callbacks.copyStep = [&recording](QString fileName) { recording.steps << fileName; };
    callbacks.copyDone = [&recording](std::vector<ArchiveItem> items) {
        recording.items = std::move(items);
        ++recording.completions;
    };
    installerThread(std::move(job), callbacks, testExecutor());
    qInstallMessageHandler(g_previousHandler);
    g_capturedLog = nullptr;
    return recording;
}

PermissionsEnforced::PermissionsEnforced() {
    __user_cap_data_struct data[2]{};
    if (!readCapabilities(data))
        return;
    m_savedEffective = data[0].effective & PermissionOverrides;
    data[0].effective &= ~PermissionOverrides;
    writeCapabilities(data);
}

PermissionsEnforced::~PermissionsEnforced() {
    __user_cap_data_struct data[2]{};
    if (!readCapabilities(data))
        return;
    data[0].effective |= m_savedEffective;
    writeCapabilities(data);
}

} // namespace packshelf::test
