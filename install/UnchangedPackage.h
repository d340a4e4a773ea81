#pragma once

#include <QByteArray>
#include <QString>

#include "install/plan/CopyPlan.h"
#include "install/records/Manifest.h"

namespace packshelf {

class VersionHistory;

// The one decision, for the install and its dry run, that installing an
// archive again would change nothing: the record of its package names this
// very archive (name, size and listing digest) with the same copy plan,
// and every file the package still owns (no package installed after it
// wrote there) is as it recorded it. Only the archive's directory is read
// to tell. `history` must know the records of the packages over its files.
bool isInstalledUnchanged(const Manifest& previous, const QString& fileName,
                          const QByteArray& nativePath, const CopyPlan& plan,
                          const VersionHistory& history);

} // namespace packshelf
