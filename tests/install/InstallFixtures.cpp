#include "tests/install/InstallFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "analysis/Analyzer.h"
#include "install/Installer.h"
#include "install/transaction/LibraryTransaction.h"
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
    installerThread(std::move(job), callbacks);
    qInstallMessageHandler(g_previousHandler);
    g_capturedLog = nullptr;
    return recording;
}

QStringList partialFilesUnder(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isStagingName(QFileInfo(path).fileName()))
            found << path;
    }
    return found;
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
