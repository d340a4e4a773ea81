#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/Result.h"

namespace packshelf {

// One entry of a folder: its name as text, and the bytes the file system
// gave, which alone open it again when they are not valid in the locale's
// encoding.
struct ListedName {
    QString name;
    QByteArray native;
};

// The listing order, the same on every machine whatever its locale: names
// sorted as a person expects (one fixed locale's collation, letter case
// ignored, accents beside their base letter, numbers by value: "Pack 2"
// before "Pack 10"), ties broken by the names' bytes. The tree of an
// archive, every first match found in it, the source scan and so the
// install order all follow it.
bool listingOrderLess(const QString& a, const QString& b);

// The positions of `names` in listing order; names that compare equal
// keep their order.
std::vector<std::size_t> listingOrder(const QStringList& names);

// The order of the files of a folder, and so of the archives of the source
// folder and of an install: listing order of the names without their
// extension first, so that "Pack.zip" comes before "Pack Update.zip" (as
// "Pack" before "Pack Update"), then of the whole names.
bool fileNameOrderLess(const QString& a, const QString& b);
std::vector<std::size_t> fileNameOrder(const QStringList& names);

// The entries of one folder (hidden ones included, no recursion), in
// listing order. Fails with the system's description when the folder
// cannot be read.
Result<std::vector<ListedName>> listFolder(const QString& folder);

// The names alone.
Result<QStringList> sortedEntryNames(const QString& folder);

} // namespace packshelf
