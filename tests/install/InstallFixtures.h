#pragma once

#include <QString>
#include <QStringList>
#include <ostream>
#include <vector>

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>

#include "analysis/ArchiveItem.h"
#include "core/Result.h"
#include "install/InstallJob.h"
#include "install/InstalledPackages.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestFolders.h"

namespace packshelf {
class Executor;
}

namespace packshelf::test {

class ZipWriter;

// A source folder, a library and a work folder side by side, with a
// bystander folder that no install may touch.
struct Library {
    QTemporaryDir dir;
    QString source = dir.filePath("source");
    QString dest = dir.filePath("dest");
    QString work = dir.filePath("work");

    Library();
    // In a folder made from `scratchTemplate` (see fastScratch()).
    explicit Library(const QString& scratchTemplate);
    void add(const QString& fileName, const QByteArray& bytes) const;
    void add(const QString& fileName, const ZipWriter& zip) const;
    ArchiveItem analysed(const QString& fileName) const;
    InstallJob job(std::vector<ArchiveItem> items) const;
    // Everything but the library, which installs may change.
    FolderSnapshot surroundings() const;
};

// The record of `fileName` in `sourceDir` as a real analyzer worker leaves it.
ArchiveItem analysedItem(const QString& sourceDir, const QString& fileName, const QString& workDir);

// What one run of the installer worker reported, and what it logged.
struct InstallRecording {
    QStringList steps;              // copyStep file names, in order
    std::vector<ArchiveItem> items; // handed back by copyDone
    int completions = 0;            // how often copyDone ran
    QStringList log;                // lines of the "packshelf.install" category
    QString logText() const { return log.join(QLatin1Char('\n')); }
};

// Installs the archive `name` of the box's source folder alone, with the
// command line, into `dest` (the box's library when empty).
CliResult installOne(const Library& box, const QString& name, const QString& dest = QString());

// Writes a zip archive `name` of `files` (path, content) into the box's
// source folder and installs it alone with the installer worker; fails the
// test unless it is installed.
void installFiles(const Library& box, const QString& name,
                  const std::map<QString, QByteArray>& files);

// Uninstalls `archive` from `library` as the engine does, its lock taken.
Result<RemovalOutcome> uninstallFrom(const QString& library, const QString& archive);

// The record file of `archive` in the library `dest`.
QString recordOf(const QString& dest, const QString& archive);
void editRecord(const QString& dest, const QString& archive,
                const std::function<void(QJsonObject&)>& edit);

// A journal as the program writes it: its steps, then its digest.
QByteArray journalBytes(const QJsonArray& steps);

// Every staged name below a folder, the records folder included.
QStringList stagedUnder(const QString& folder);

// A library holding A (one new file) and C (a new file, and one that
// replaced the user's own), with a folder outside it that holds files of
// the same names and content.
struct TwoPackages : Library {
    QString outside = dir.filePath("outside");

    TwoPackages();
};

// A template for a temporary folder where syncing costs nothing, for tests
// that change thousands of libraries: on the memory file system when the
// system has one, else in the temporary folder.
QString fastScratch();

// The executor the tests hand the engine.
Executor& testExecutor();

// Runs the installer worker's body on the calling thread.
InstallRecording runInstaller(InstallJob job);

// While it lives, the calling thread (and every thread it starts) is
// subject to file permissions even when it runs as root, so that a folder
// without write permission really refuses writes.
class PermissionsEnforced {
public:
    PermissionsEnforced();
    ~PermissionsEnforced();
    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

private:
    quint32 m_savedEffective = 0;
};

} // namespace packshelf::test
