#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "core/Executor.h"
#include "tests/install/LibraryModel.h"

namespace packshelf::test {

// Drives the real engine, in this process, the way the model-based tests
// drive the reference model: installs, uninstalls, repairs, undoes and
// recovers a library in a temporary folder, with a fault or a kill at a
// chosen file operation; and reads back what the library holds.
class ModelDriver {
public:
    // What one package's part of a command did.
    struct Outcome {
        QString package;
        bool done = false; // the package's change took effect
        int kept = 0;      // files kept because the user changed them
        QString problem;   // what was said when something failed
    };
    // What the library holds, read back from disk and records.
    struct State {
        std::map<QString, QByteArray> disk;                    // .packshelf/ aside
        std::map<QString, std::map<QString, quint32>> written; // package -> path -> CRC-32
        std::map<QString, std::set<QString>> same; // package -> paths found as they were
        // package -> path -> the version its layer stands on, read from the
        // store (nothing: no version; "?": the store does not hold it)
        std::map<QString, std::map<QString, std::optional<QByteArray>>> before;
        QStringList unnamedVersions;         // in the store, though no record names them
        std::multiset<QByteArray> keptAside; // what repairs kept
        QStringList leftovers;               // staged names anywhere
        bool journalLeft = false;
        QStringList unreadable;
    };

    ModelDriver();
    QString library() const { return m_dest; }

    // Writes the archives of one install run into a folder of their own and
    // answers it; the archive of each keeps its name, `<package>.zip`.
    QString writeRun(const std::vector<std::pair<QString, LibraryModel::Files>>& archives);
    std::vector<Outcome> install(const QString& runFolder, const QStringList& packages);
    std::vector<Outcome> uninstall(const QStringList& packages);
    Outcome repair(const QString& package, const QString& sourceFolder);
    std::vector<Outcome> undo();
    // Finishes or undoes what a killed command left; false when it cannot.
    bool recover(QString* problem);

    // Every file operation of the engine, counted from now on; the one
    // numbered `failAt` (from 1) fails with EIO, or, with `kill`, ends the
    // process as a kill would. 0: none.
    void injectAt(int failAt, bool kill);
    int operationsSeen() const;

    // Runs `command` in a forked child that is killed at file operation
    // `killAt`; true when the kill came before the command ended.
    bool runKilled(const std::function<void()>& command, int killAt);

    State read();

private:
    Executor& executor() { return m_childExecutor ? *m_childExecutor : m_executor; }

    Executor m_executor;
    // A forked child has no thread of its parent's executor: it makes its own.
    std::unique_ptr<Executor> m_childExecutor;
    QTemporaryDir m_dir;
    QString m_dest;
    QString m_work;
    int m_runs = 0;
};

} // namespace packshelf::test
