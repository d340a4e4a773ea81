#pragma once

#include <QString>

// The keys of an archive's record and the verdict texts it shows.
namespace packshelf::key {
inline const QString FileName = QStringLiteral("FILENAME");
inline const QString State = QStringLiteral("STATE");
inline const QString Info = QStringLiteral("INFO");
inline const QString Error = QStringLiteral("ERROR");
inline const QString Zip = QStringLiteral("ZIP");
inline const QString Folders = QStringLiteral("FOLDERS");
inline const QString Files = QStringLiteral("FILES");
inline const QString IgnoreDS = QStringLiteral("IGNORE_DS");
inline const QString RuntimePath = QStringLiteral("RUNTIMEPATH");
inline const QString HasRuntime = QStringLiteral("HASRUNTIME");
inline const QString DataPath = QStringLiteral("DATAPATH");
inline const QString HasData = QStringLiteral("HASDATA");
inline const QString ForcedPath = QStringLiteral("FORCEDPATH");
inline const QString HasForced = QStringLiteral("HASFORCED");
inline const QString DirectPath = QStringLiteral("DIRECTPATH");
inline const QString DirectPathSrc = QStringLiteral("DIRECTPATHSRC");
inline const QString HasDirect = QStringLiteral("HASDIRECT");
// Why the record failed ("Unzip error", "Failed!"), in a sentence.
inline const QString Reason = QStringLiteral("REASON");
// What went wrong without failing the record: parts of the archive that
// the tree does not show, or nested archives an install could not take.
inline const QString Warning = QStringLiteral("WARNING");
// 1 when an install found the package installed from this very archive and
// every file it wrote still as it wrote it: nothing was written.
inline const QString Unchanged = QStringLiteral("UNCHANGED");
// "7z" or "RAR" for an archive of those formats; absent for zip.
inline const QString Format = QStringLiteral("FORMAT");
} // namespace packshelf::key

namespace packshelf::verdict {
inline const QString Ok = QStringLiteral("OK");
inline const QString ManuallySet = QStringLiteral("Manually set");
inline const QString Duplicates = QStringLiteral("Duplicates");
inline const QString UnzipError = QStringLiteral("Unzip error");
inline const QString NoRuntime = QStringLiteral("No Runtime");
inline const QString NoRuntimeOrData = QStringLiteral("No Runtime or data");
inline const QString InstallFailed = QStringLiteral("Failed!");
inline const QString NeedsPassword = QStringLiteral("Needs a password");
} // namespace packshelf::verdict

// The library folders the classification looks for, upper-cased.
namespace packshelf::folder {
inline const QString Runtime = QStringLiteral("RUNTIME");
inline const QString Data = QStringLiteral("DATA");
} // namespace packshelf::folder
