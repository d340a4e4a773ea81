#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

#include "core/PosixHandles.h"
#include "install/journal/JournalStep.h"

namespace packshelf {

class VersionStore;

// Carries out the steps of a journal on disk: the commit steps in order,
// each skipped when it is done already; when one fails, those done are
// undone, latest first, so that the library is as it was. Then the
// finishing steps, each on its own: after a commit all of them, after an
// undo only those that discard what the change staged, and after an undo
// that failed none, so that nothing the journal may still need is lost.
class JournalRunner {
public:
    struct Outcome {
        bool committed = false;  // every commit step is taken
        bool undoFailed = false; // neither taken nor undone: the journal must stay
        QStringList problems;    // why a commit step failed, and what could not be undone
    };

    // `replaying`: the journal was read back from disk after a run ended
    // before finishing it; then a file is moved aside only while it is as
    // the journal expects it, and a version is let go only when
    // `stillNamed` says no record names it.
    JournalRunner(QString library, VersionStore& store, bool replaying,
                  std::function<bool(const QString& key)> stillNamed = nullptr);

    // Takes the commit steps, or undoes those taken when one fails.
    Outcome commit(const std::vector<JournalStep>& steps);
    // Then the finishing steps, as the commit ended (see above); answers
    // those that failed, each naming its path.
    QStringList finish(const std::vector<JournalStep>& steps, const Outcome& commit);

private:
    // The folder holding `path`, entered without following a link, and the
    // name in it; `error` is why the folder could not be entered.
    struct Place {
        int folder = -1;
        QByteArray name;
        int error = 0;
    };

    Place placeOf(const RootedPath& path);
    int openFolder(const RootedPath& folder);
    Status forward(const JournalStep& step);
    Status backward(const JournalStep& step);
    Status finish(const JournalStep& step);
    Status rename(const Place& from, const Place& to, unsigned flags, const RootedPath& shown);
    Status moveAside(const step::MoveAside& step);
    QString shown(const RootedPath& path) const;
    Status failure(const RootedPath& path, int error) const;

    QString m_library;
    VersionStore& m_store;
    bool m_replaying;
    std::function<bool(const QString&)> m_stillNamed;
    std::map<QString, handles::UniqueFd> m_open;
};

} // namespace packshelf
