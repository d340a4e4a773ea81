// The library against a reference model: random, seeded sequences of
// installs, updates, uninstalls of one or several packages, repairs, undos
// and the user's own edits and deletions over a few shared paths, checked
// after every step against what the model says the library must hold and
// every version it must keep aside; the same sequences with a fault
// injected into a file operation of a command, and with the command killed
// at one, after which the next command recovers.
//
// PACKSHELF_MODEL_SEQUENCES sets how many sequences run (2,000 by default,
// a twentieth of that in a build with sanitizers, 100,000 with
// PACKSHELF_LONG_TESTS=1); PACKSHELF_MODEL_SEED runs the one sequence of
// that seed and prints its steps.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <functional>

#include "tests/install/InstallFixtures.h"
#include "tests/install/LibraryModel.h"
#include "tests/install/ModelDriver.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

const QStringList Paths = {"Runtime/a.txt", "Runtime/b.txt", "Runtime/sub/c.txt", "Data/d.txt"};
const QStringList Names = {"A", "B", "C"};

enum class Mode { Plain, Faults, Kills };

// Sanitizers make every file operation many times slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int Slowdown = 20;
#else
constexpr int Slowdown = 1;
#endif

int sequenceCount() {
    if (const QByteArray count = qgetenv("PACKSHELF_MODEL_SEQUENCES"); !count.isEmpty())
        return count.toInt();
    return (qEnvironmentVariableIntValue("PACKSHELF_LONG_TESTS") ? 100000 : 2000) / Slowdown;
}

// What the library holds against what the model says; empty when they agree.
QStringList mismatches(const LibraryModel& model, const ModelDriver::State& state) {
    QStringList found;
    for (const auto& [path, content] : model.disk) {
        const auto real = state.disk.find(path);
        if (real == state.disk.end())
            found << "missing " + path + " (" + content + ")";
        else if (real->second != content)
            found << "at " + path + ": " + real->second + " instead of " + content;
    }
    for (const auto& [path, content] : state.disk) {
        if (!model.disk.contains(path))
            found << "unexpected " + path + " (" + content + ")";
    }
    std::map<QString, std::map<QString, quint32>> written;
    for (const auto& [name, package] : model.packages)
        written[name];
    for (const auto& [path, stack] : model.stacks) {
        for (const LibraryModel::Layer& layer : stack)
            written[layer.package][path] = ZipWriter::crc32Of(layer.wrote);
    }
    const auto describe = [](const std::map<QString, std::map<QString, quint32>>& packages) {
        QStringList lines;
        for (const auto& [name, files] : packages) {
            QStringList paths;
            for (const auto& [path, crc] : files)
                paths << path + "/" + QString::number(crc, 16);
            lines << name + " {" + paths.join(", ") + "}";
        }
        return lines.join(' ');
    };
    if (written != state.written)
        found << "the records say " + describe(state.written) + ", the model " + describe(written);
    for (const auto& [name, package] : model.packages) {
        const auto real = state.same.find(name);
        const std::set<QString> same =
            real == state.same.end() ? std::set<QString>() : real->second;
        if (same != package.same)
            found << name + " records other files as found in place";
    }
    // Every layer stands on the version the model says, held by the store,
    // and the store holds nothing else.
    for (const auto& [path, stack] : model.stacks) {
        for (const LibraryModel::Layer& layer : stack) {
            const auto package = state.before.find(layer.package);
            if (package == state.before.end() || !package->second.contains(path))
                continue; // said above
            const std::optional<QByteArray>& real = package->second.at(path);
            if (real != layer.before)
                found << QStringLiteral("%1's layer at %2 stands on %3, not %4")
                             .arg(layer.package, path, real.value_or("nothing"),
                                  layer.before.value_or("nothing"));
        }
    }
    if (!state.unnamedVersions.isEmpty())
        found << "the store holds versions no record names: " + state.unnamedVersions.join(", ");
    if (model.keptAside != state.keptAside)
        found << QStringLiteral("repairs kept %1 versions, the model %2")
                     .arg(state.keptAside.size())
                     .arg(model.keptAside.size());
    if (!state.unreadable.isEmpty())
        found << "unreadable: " + state.unreadable.join("; ");
    return found;
}

// Applies one package's part of a command to the model.
using Apply = std::function<LibraryModel::Removal(LibraryModel&, const QString&)>;

class Sequence {
public:
    Sequence(quint32 seed, Mode mode)
        : m_seed(seed)
        , m_mode(mode)
        , m_random(seed) {}

    // Runs the sequence; the failures, with the steps that led to them.
    QString run() {
        for (int step = 0; step < 8 && m_failure.isEmpty(); ++step)
            randomStep();
        // Then every package goes, in a random order: what each set aside
        // must come back.
        while (!model.packages.empty() && m_failure.isEmpty()) {
            const auto first = std::next(model.packages.begin(),
                                         qsizetype(m_random.bounded(int(model.packages.size()))));
            uninstall({first->first});
        }
        if (m_failure.isEmpty())
            finalCheck();
        return m_failure.isEmpty() ? QString()
                                   : QStringLiteral("seed %1: %2\n  steps:\n    %3")
                                         .arg(m_seed)
                                         .arg(m_failure, m_log.join("\n    "));
    }

    LibraryModel model;

private:
    QByteArray newContent() {
        // A few contents recur, so that files are found as they already are.
        if (m_random.bounded(6) == 0)
            return "shared-" + QByteArray::number(m_random.bounded(2));
        return "v" + QByteArray::number(++m_contents);
    }

    void randomStep() {
        const int choice = int(m_random.bounded(100));
        if (choice < 25)
            userStep();
        else if (choice < 60 || model.packages.empty())
            installStep();
        else if (choice < 78)
            uninstallStep();
        else if (choice < 88)
            repairStep();
        else
            undoStep();
    }

    void userStep() {
        const QString path = Paths[int(m_random.bounded(Paths.size()))];
        if (model.disk.contains(path) && m_random.bounded(3) == 0) {
            m_log << "user deletes " + path;
            model.userDelete(path);
            QFile::remove(m_driver.library() + "/" + path);
        } else {
            const QByteArray content = newContent();
            m_log << "user writes " + path + " = " + content;
            model.userWrite(path, content);
            writeFile(m_driver.library() + "/" + path, content);
        }
        compare("after the user's change");
    }

    void installStep() {
        std::vector<std::pair<QString, LibraryModel::Files>> archives;
        QStringList names = Names;
        const int count = m_random.bounded(4) == 0 ? 2 : 1;
        for (int i = 0; i < count; ++i) {
            const QString name = names.takeAt(int(m_random.bounded(names.size())));
            LibraryModel::Files files;
            while (files.empty()) {
                for (const QString& path : Paths) {
                    if (m_random.bounded(2) == 0)
                        files[path] = newContent();
                }
            }
            archives.emplace_back(name, files);
        }
        const QString folder = m_driver.writeRun(archives);
        QStringList packages, described;
        for (const auto& [name, files] : archives) {
            packages << name;
            QStringList parts;
            for (const auto& [path, content] : files)
                parts << path + "=" + content;
            described << name + " {" + parts.join(", ") + "}";
        }
        const QString run = QString::number(++m_runs);
        const auto apply = [&](LibraryModel& into, const QString& package) {
            for (const auto& [name, files] : archives) {
                if (name == package)
                    into.install(name, files, run, folder);
            }
            return LibraryModel::Removal();
        };
        command(
            "install " + described.join(" then "), packages,
            [&] { return m_driver.install(folder, packages); }, apply);
    }

    void uninstallStep() {
        QStringList installed;
        for (const auto& [name, package] : model.packages)
            installed << name;
        QStringList chosen;
        const int count = installed.size() > 1 && m_random.bounded(3) == 0 ? 2 : 1;
        for (int i = 0; i < count; ++i)
            chosen << installed.takeAt(int(m_random.bounded(installed.size())));
        uninstall(chosen);
    }

    void uninstall(const QStringList& packages) {
        command(
            "uninstall " + packages.join(' '), packages,
            [&] { return m_driver.uninstall(packages); },
            [](LibraryModel& into, const QString& package) { return into.uninstall(package); });
    }

    void repairStep() {
        const auto chosen = std::next(model.packages.begin(),
                                      qsizetype(m_random.bounded(int(model.packages.size()))));
        const QString package = chosen->first;
        const QString folder = chosen->second.source;
        command(
            "repair " + package, {package},
            [&] { return std::vector{m_driver.repair(package, folder)}; },
            [](LibraryModel& into, const QString& name) {
                into.repair(name);
                return LibraryModel::Removal();
            });
    }

    void undoStep() {
        const QStringList run = model.lastRun();
        command(
            "undo (" + run.join(' ') + ")", run, [&] { return m_driver.undo(); },
            [](LibraryModel& into, const QString& package) { return into.uninstall(package); });
    }

    // Runs a command of one step per package, as this sequence's mode has
    // it, and checks the library against the model after it.
    void command(const QString& description, const QStringList& packages,
                 const std::function<std::vector<ModelDriver::Outcome>()>& run,
                 const Apply& apply) {
        m_log << description;
        if (m_mode == Mode::Kills && m_random.bounded(2) == 0) {
            killed(packages, run, apply);
            return;
        }
        const int failAt =
            m_mode == Mode::Faults && m_random.bounded(3) != 0 ? 1 + int(m_random.bounded(40)) : 0;
        if (failAt)
            m_log.last() += QStringLiteral(" [file operation %1 fails]").arg(failAt);
        m_driver.injectAt(failAt, false);
        const std::vector<ModelDriver::Outcome> outcomes = run();
        const bool faultHit = failAt > 0 && m_driver.operationsSeen() >= failAt;
        m_driver.injectAt(0, false);
        for (const ModelDriver::Outcome& outcome : outcomes) {
            if (!outcome.done)
                m_log.last() +=
                    QStringLiteral(" [%1 not done: %2]").arg(outcome.package, outcome.problem);
            if (!outcome.done) {
                if (!faultHit)
                    fail(outcome.package + " failed without a fault: " + outcome.problem);
                else if (outcome.problem.isEmpty())
                    fail(outcome.package + " failed without saying why");
                continue;
            }
            const LibraryModel::Removal removal = apply(model, outcome.package);
            if (outcome.kept != removal.kept)
                fail(QStringLiteral("%1: %2 files said kept, the model keeps %3")
                         .arg(outcome.package)
                         .arg(outcome.kept)
                         .arg(removal.kept));
        }
        if (faultHit) {
            // Whatever a failure left unfinished, the next command finishes.
            QString problem;
            if (!m_driver.recover(&problem))
                fail("recovery after a fault failed: " + problem);
        }
        compare("after " + description);
    }

    void killed(const QStringList& packages,
                const std::function<std::vector<ModelDriver::Outcome>()>& run, const Apply& apply) {
        const int killAt = 1 + int(m_random.bounded(40));
        m_log.last() += QStringLiteral(" [killed at file operation %1]").arg(killAt);
        const bool wasKilled = m_driver.runKilled([&] { run(); }, killAt);
        QString problem;
        if (!m_driver.recover(&problem)) {
            fail("recovery after a kill failed: " + problem);
            return;
        }
        // The kill left each package's part done or not, in order.
        const ModelDriver::State state = m_driver.read();
        std::vector<LibraryModel> candidates{model};
        for (const QString& package : packages) {
            candidates.push_back(candidates.back());
            apply(candidates.back(), package);
        }
        for (auto candidate = candidates.rbegin(); candidate != candidates.rend(); ++candidate) {
            if (mismatches(*candidate, state).isEmpty()) {
                model = *candidate;
                if (!wasKilled && candidate != candidates.rbegin())
                    fail("a command that ended was not whole");
                if (!state.leftovers.isEmpty() || state.journalLeft)
                    fail("recovery left " + state.leftovers.join(", "));
                return;
            }
        }
        fail("after the kill and recovery the library is none of the states the command "
             "passes through: " +
             mismatches(candidates.back(), state).join("; "));
    }

    void compare(const QString& when) {
        const ModelDriver::State state = m_driver.read();
        const QStringList found = mismatches(model, state);
        if (!found.isEmpty())
            fail(when + ": " + found.join("; "));
        else if (!state.leftovers.isEmpty() || state.journalLeft)
            fail(when + ": left " + state.leftovers.join(", ") +
                 (state.journalLeft ? " and a journal" : ""));
    }

    void finalCheck() {
        // Nothing is set aside once nothing needs it.
        QStringList held;
        QDirIterator it(m_driver.library() + "/.packshelf", QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.contains("/.packshelf/repaired-") && !path.endsWith("/records.index"))
                held << path.mid(m_driver.library().size() + 1);
        }
        if (!held.isEmpty())
            fail("with no package installed the library still holds " + held.join(", "));
    }

    void fail(const QString& what) {
        if (m_failure.isEmpty())
            m_failure = what;
    }

    quint32 m_seed;
    Mode m_mode;
    QRandomGenerator m_random;
    ModelDriver m_driver;
    QStringList m_log;
    QString m_failure;
    int m_contents = 0;
    int m_runs = 0;
};

void runSequences(Mode mode, quint32 firstSeed) {
    if (const QByteArray seed = qgetenv("PACKSHELF_MODEL_SEED"); !seed.isEmpty()) {
        const quint32 only = seed.toUInt();
        if (only < firstSeed || only >= firstSeed + 1000000)
            GTEST_SKIP() << "the seed belongs to another mode";
        const QString failure = Sequence(only, mode).run();
        EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
        return;
    }
    const int count = std::max(1, sequenceCount() / 3);
    int failures = 0;
    for (int i = 0; i < count && failures < 3; ++i) {
        const QString failure = Sequence(firstSeed + quint32(i), mode).run();
        if (!failure.isEmpty()) {
            ++failures;
            ADD_FAILURE() << failure.toStdString();
        }
    }
}

} // namespace

TEST(LibraryModel, RandomSequencesKeepEveryVersion) {
    runSequences(Mode::Plain, 1000000);
}

TEST(LibraryModel, RandomSequencesWithAFailingFileOperation) {
    runSequences(Mode::Faults, 2000000);
}

TEST(LibraryModel, RandomSequencesWithKills) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a child forked from threads cannot start threads of its own under TSan";
#endif
    runSequences(Mode::Kills, 3000000);
}

// The loss the model found first: an update of a package that a later one
// wrote over lost the user's own file.
TEST(LibraryModel, AnUpdateUnderALaterPackageKeepsTheUsersFile) {
    LibraryModel model;
    ModelDriver driver;
    model.userWrite("Runtime/f.txt", "the user's");
    writeFile(driver.library() + "/Runtime/f.txt", "the user's");
    const auto install = [&](const QString& name, const QByteArray& content, const QString& run) {
        const LibraryModel::Files files{{"Runtime/f.txt", content}};
        const QString folder = driver.writeRun({{name, files}});
        ASSERT_TRUE(driver.install(folder, {name}).front().done);
        model.install(name, files, run);
    };
    install("A", "A v1", "1");
    install("B", "B's", "2");
    install("A", "A v2", "3");
    for (const std::vector<ModelDriver::Outcome>& outcomes :
         {driver.uninstall({"A"}), driver.uninstall({"B"})})
        EXPECT_TRUE(outcomes.front().done);
    model.uninstall("A");
    model.uninstall("B");
    EXPECT_EQ(model.disk.at("Runtime/f.txt"), "the user's");
    EXPECT_EQ(mismatches(model, driver.read()), QStringList());
}
