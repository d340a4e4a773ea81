#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "core/Result.h"
#include "install/journal/JournalStep.h"

namespace packshelf {

class VersionStore;

// A change to a library, written down before any of it is made: its typed
// steps (see JournalStep), written whole with a digest and an end mark into
// a file of the records folder under a staging name, synced together with
// everything the change staged, and only then given its name
// ("journal-….json") and carried out. So a journal cut short while it was
// written never bears a journal's name (it is a staging leftover), and one
// that bears it but does not read back whole was damaged later: it may
// hold the only way back and is never thrown away. Once every commit step
// is taken, the journal is written again with the finishing steps alone
// (unless the commit only added, when running it again whole takes nothing
// back); it goes when they are all done. A journal that names a destination
// outside the library carries this user's seal (see DestinationTrust).
class LibraryJournal {
public:
    static constexpr int Format = 3;

    explicit LibraryJournal(QString library);

    void add(JournalStep step);
    bool isEmpty() const { return m_steps.empty(); }
    const std::vector<JournalStep>& steps() const { return m_steps; }
    // The record files the steps place or drop.
    QSet<QByteArray> recordNames() const;

    // Writes the journal and carries it out (see JournalRunner). Fails when
    // the commit steps could not all be taken: they were undone, or, when
    // even that failed (leftForRecovery()), left as they are with the
    // journal for the next run. Answers the finishing steps that failed,
    // which the journal keeps for the next command to finish.
    Result<QStringList> commit(VersionStore& store);
    bool leftForRecovery() const { return m_leftForRecovery; }

    // A journal file read back.
    struct Read {
        std::vector<JournalStep> steps;
        bool sealed = false; // carries this user's seal
    };
    // Fails when the bytes are not a whole journal of this format.
    static Result<Read> parse(const QByteArray& bytes);
    // The bytes of a journal of `steps`.
    static QByteArray bytesOf(const std::vector<JournalStep>& steps);
    // Writes `steps` as the journal file `name` of the records folder
    // (through a staging name), synced; fails saying why. `syncFirst`, when
    // given, is the sync that brings the journal's bytes to disk before it
    // takes its name.
    using SyncFirst = std::function<Status()>;
    static Status write(const QString& library, const QByteArray& name,
                        const std::vector<JournalStep>& steps,
                        const SyncFirst& syncFirst = nullptr);

    // What carrying a journal out did.
    struct Carried {
        bool committed = false;       // the change is made
        bool leftForRecovery = false; // neither made nor undone: the journal stays
        QStringList problems;         // why it was not made
        QStringList unfinished;       // finishing steps that failed: the journal stays
    };
    // Carries out the journal file `name`, written with `steps`: the commit
    // steps, then the journal is written again with what is left, then the
    // finishing steps; it is removed once all are done. `replaying` and
    // `stillNamed` as for JournalRunner.
    static Carried carryOut(const QString& library, VersionStore& store, const QByteArray& name,
                            const std::vector<JournalStep>& steps, bool replaying,
                            const std::function<bool(const QString& key)>& stillNamed = nullptr);

private:
    Status noteInodes();

    QString m_library;
    std::vector<JournalStep> m_steps;
    bool m_leftForRecovery = false;
};

} // namespace packshelf
