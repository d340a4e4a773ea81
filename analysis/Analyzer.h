#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/ArchiveItem.h"
#include "archive/Password.h"

namespace packshelf {

// What an analyzer worker is given. The record is the worker's own copy
// until it hands it back in its report.
struct AnalyzerJob {
    QString sourceDir;              // "SOURCEDIR"
    std::optional<QString> workDir; // "WORKDIR", absent when no work folder is set
    qint64 index = 0;               // "INDEX": the record's position in the list
    qint64 batchId = 0;             // "BATCHID": the scan that made the job
    ArchiveItem data;               // "DATA"
    bool ignoreDS = false;          // "IGNORE_DS"
    // For a job run in a reader process: the passwords the application
    // holds, which the reader's keyring tries on every encrypted archive.
    std::vector<SharedPassword> passwords;
    // Set by whoever made the job when its result is no longer wanted (a
    // newer scan began): the worker then stops early, and still reports.
    std::shared_ptr<const std::atomic<bool>> cancelled;
};

// What a worker hands back, exactly once.
struct AnalyzerReport {
    ArchiveItem data;   // "DATA"
    qint64 index = 0;   // "INDEX"
    qint64 batchId = 0; // "BATCHID"
};

using ReportCallback = std::function<void(AnalyzerReport)>;

// The body of an analyzer worker: describes the job's archive from its
// index, classifies it, writes the verdict into the job's record (with
// "REASON" when it cannot be read, "WARNING" when the tree leaves something
// out) and calls `reportAnalyze` once with it. Without a work folder, a
// nested archive too large for memory goes to the system's temporary
// location.
void analyzerThread(AnalyzerJob job, const ReportCallback& reportAnalyze);

// The keys analyzerThread() writes in a record (or removes from it): the
// verdict, the tree, the counts, flags and paths, "REASON", "WARNING" and
// "FORMAT". It leaves every other key as it was.
const QStringList& analysisKeys();

// The classification alone: writes state, verdict, counts, flags, paths and
// the (marked) tree into `item`. No tree means the archive could not be
// expanded.
void classifyArchive(ArchiveItem& item, std::optional<ContentTree> tree, bool ignoreDS);

} // namespace packshelf
