#pragma once

#include <QLoggingCategory>

#include "analysis/ArchiveItem.h"

namespace packshelf {

// The installer's log: one info line per archive and a warning for every
// failure, naming the path that failed.
Q_DECLARE_LOGGING_CATEGORY(lcInstall)

// Stands in the log for a key the record does not hold.
inline constexpr char AbsentLogValue[] = "(null)";

// "File:%@, Runtime:%@, Data:%@" with the record's "FILENAME",
// "RUNTIMEPATH" and "DATAPATH"; an absent value shows as "(null)".
QString installLogLine(const ArchiveItem& item);

// "Install of %1 failed at %2: %3": the archive, the path that failed and
// the reason.
QString installFailureLine(const QString& fileName, const QString& path, const QString& reason);

} // namespace packshelf
