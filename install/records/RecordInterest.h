#pragma once

#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <QStringView>
#include <unordered_set>

namespace packshelf {

struct InstallPlan;
struct Manifest;

// Which records of other packages a change of the library needs whole: those
// that name a path the change touches, or the package it replaces or takes
// out. A library of thousands of packages is then read without building the
// files of every record. The paths are matched by a hash of their
// case-folded form, so a record is wanted whenever its paths could meet the
// change's, whatever their letter case; a hash that meets by chance only
// makes one more record read whole.
class RecordInterest {
public:
    // Wanting everything: every record is read whole.
    static RecordInterest everything();
    // What an install of `plan`, from `archive`, needs: the package's own
    // record, and the records of files it writes or, when `previous` (the
    // archive's earlier version) is given, takes out.
    static RecordInterest ofInstall(const InstallPlan& plan, const QString& archive,
                                    const Manifest* previous);
    // What taking `package` out needs: the records of later packages over
    // its files, and of those with files in the folders it made.
    static RecordInterest ofRemoval(const Manifest& package);

    // Adds what an install of `plan`, from `archive`, needs (see ofInstall).
    void addInstall(const InstallPlan& plan, const QString& archive,
                    const Manifest* previous = nullptr);
    // A file the change writes or takes out, or a folder it takes out: a
    // record with a file or folder at it or at one of its folders, or with
    // anything below it, is wanted.
    void addPath(QStringView path);
    // The package of this archive, and the records of packages that took
    // over files of it, are wanted.
    void addArchive(const QString& archive);
    // A record naming this version (by its key) as a file's earlier one is
    // wanted.
    void addVersion(const QString& key);

    bool wantsEverything() const { return m_everything; }
    bool wantsArchive(const QString& archive) const;
    // True when `path`, a file or folder of a record, meets a path of the
    // change.
    bool wantsPath(QStringView path) const;
    bool wantsOwner(const QString& previousOwner) const;
    bool wantsVersion(const QString& key) const;
    // True when a record of the compact form (Manifest::toBinary()) is
    // wanted whole: its package, or a file or folder of it, is wanted (or
    // the form cannot be read, which reading it whole then says).
    bool wantsRecord(QByteArrayView binary) const;

private:
    bool m_everything = false;
    std::unordered_set<quint64> m_at;    // paths the change touches, and their folders
    std::unordered_set<quint64> m_below; // paths anything below which is touched
    QSet<QString> m_archives;
    QSet<QString> m_versions;
};

} // namespace packshelf
