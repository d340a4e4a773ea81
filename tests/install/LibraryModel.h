#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace packshelf::test {

// What a library must hold, worked out without the engine: for every path,
// the stack of versions that stood there (each package's layer remembers
// what it wrote and what was there before it, and whose that was), the
// files on disk, the packages with the run that installed them, and the
// user's versions a repair kept aside. Model-based tests drive the engine
// and this model with the same random steps and compare them after each.
class LibraryModel {
public:
    using Content = std::optional<QByteArray>; // nothing: no file
    using Files = std::map<QString, QByteArray>;

    // One package's version of a path.
    struct Layer {
        QString package;
        QByteArray wrote;
        Content before;      // what stood there when it wrote
        QString beforeOwner; // the package that wrote `before`; empty: the user
    };
    struct Package {
        QString run;
        QString source;         // the folder its archive was installed from
        Files files;            // every file of the archive installed
        std::set<QString> same; // of those, the ones found already as it has them
    };
    // What taking a package out did: files the user changed since are kept.
    struct Removal {
        int kept = 0;
    };

    std::map<QString, QByteArray> disk;           // the library's files, .packshelf/ aside
    std::map<QString, std::vector<Layer>> stacks; // bottom first
    std::map<QString, Package> packages;
    std::multiset<QByteArray> keptAside; // the user's versions a repair kept

    void userWrite(const QString& path, const QByteArray& content);
    void userDelete(const QString& path);
    // Installs (or updates) `name` with `files`, as part of `run`, from the
    // archive in `source`.
    void install(const QString& name, const Files& files, const QString& run,
                 const QString& source = QString());
    Removal uninstall(const QString& name);
    void repair(const QString& name);
    // The packages of the last install run, latest first.
    QStringList lastRun() const;

    // The package's layer at `path`, if it wrote there.
    const Layer* layerOf(const QString& name, const QString& path) const;
    // True when `name`'s layer is the top of the stack at `path`.
    bool isTop(const QString& name, const QString& path) const;

private:
    std::vector<QString> m_order; // packages by install, latest last

    void removeLayer(const QString& path, std::size_t index, Removal& removal);
    void writeFresh(const QString& name, const QString& path, const QByteArray& content);
    // A version of the user's that nothing else holds any more is put back
    // beside the path, under a name the user can find.
    void keepBeside(const QString& path, const QByteArray& content);
    std::optional<std::size_t> indexOf(const QString& name, const QString& path) const;
};

// The name an original version is given beside `path`: "a (original).txt",
// then "a (original 2).txt" and so on, the first not taken in `taken`.
QString besideName(const QString& path, int attempt);

} // namespace packshelf::test
