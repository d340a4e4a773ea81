#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <vector>

#include "install/records/Manifest.h"

namespace packshelf {

// What the library's records say of the files an install meets: each
// file's latest record, and the earlier version of the package being
// installed. Together they tell where a library file came from, whether it
// is still as a package wrote it, and whose it is to give back.
class FileHistory {
public:
    // A library file as the records last wrote it down.
    struct Known {
        QString owner; // the package it came from
        quint64 size = 0;
        quint32 crc = 0;
        qint64 modified = 0;
    };
    // By the root they were installed into (the library, or an archive's
    // own destination), then by path below it: the keys are the records'
    // own paths, so that a library of hundreds of thousands of files is
    // gathered without building a string for each.
    using Files = QHash<QString, QHash<QString, Known>>;

    // The files the records name, each as its latest record has it.
    static Files filesOf(const std::vector<Manifest>& manifests);
    static void addFiles(Files& files, const Manifest& manifest);

    // Knows nothing: an install without the library's memory.
    FileHistory() = default;
    // The files below `root`, from `files` or, without them, from the
    // records of `others` and `previous` (which must outlive this).
    FileHistory(const QString& root, const Files* files, const std::vector<Manifest>& others,
                const std::optional<Manifest>& previous);
    FileHistory(const FileHistory&) = delete;
    FileHistory& operator=(const FileHistory&) = delete;
    FileHistory(FileHistory&&) = default;
    FileHistory& operator=(FileHistory&&) = default;

    // The latest record of the file at `path` below the root.
    const Known* known(const QString& path) const;
    // The earlier version's record of the file at `path`.
    const Manifest::File* earlier(const QString& path) const { return m_earlier.value(path); }
    // A file still of the size and time the records give has the CRC-32
    // they give (the same trust an uninstall puts in it); any other is read
    // from `dirFd`. Nothing when it cannot be read.
    std::optional<quint32> crcOf(int dirFd, const QByteArray& name, const struct ::stat& st,
                                 const QString& path) const;

    // Where `file`'s history comes from: the earlier version of this
    // package when the library's file is still as that version wrote it,
    // else the package the library's file last came from, which becomes
    // `owner`. `currentCrc` gives the library file's CRC-32 (nothing when
    // it cannot be read); null when there is no file. `backUp` says whether
    // the file it replaces is kept.
    void apply(Manifest::File& file, bool& backUp, QString& owner,
               const std::function<std::optional<quint32>()>& currentCrc) const;

private:
    bool m_knows = false;
    const QHash<QString, Known>* m_below = nullptr;
    Files m_made; // when no files were given
    QHash<QString, const Manifest::File*> m_earlier;
};

} // namespace packshelf
