#pragma once

#include <functional>
#include <vector>

#include "analysis/ArchiveItem.h"
#include "install/InstallJob.h"

// How records pass between the window's list and the installer.
namespace packshelf {

// Takes the records at `rows` (ascending) out of a list: calls `eraseRow`
// for each, last first. A list shown in a view tells the view around each.
using RowRemoval = std::function<void(const std::vector<qint64>& rows,
                                      const std::function<void(qint64 row)>& eraseRow)>;

// Which of the Ready records an install takes; without one, all of them.
using ItemFilter = std::function<bool(const ArchiveItem& item)>;

// Takes every record in state Ready (5) that `chosen` (when given) lets
// through out of `list`, by state alone, through `removal` when given, and
// returns them in list order as copies that share no text with anything
// the main thread keeps; the other records keep their order.
std::vector<ArchiveItem> takeReadyItems(std::vector<ArchiveItem>& list,
                                        const RowRemoval& removal = nullptr,
                                        const ItemFilter& chosen = nullptr);

// A job of copies of the Ready records (those `chosen` lets through, when
// given) in list order, as an install would take them, that shares no text
// with `list` or the folders.
InstallJob readyItemsJob(const std::vector<ArchiveItem>& list, const QString& sourceDir,
                         const QString& destDir, const QString& workDir,
                         const ItemFilter& chosen = nullptr);

// Appends to `list`, in their order, the records of a finished install that
// did not end Installed (9); installed records are dropped.
void returnUninstalledItems(std::vector<ArchiveItem>& list, std::vector<ArchiveItem> items);

} // namespace packshelf
