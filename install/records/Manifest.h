#pragma once

#include <QByteArrayView>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "core/Result.h"
#include "install/plan/CopyPlan.h"

namespace packshelf {

// What one installed package wrote into the library, kept so that conflicts
// show before an install and an uninstall gives back what was there.
struct Manifest {
    struct File {
        enum class Action { New, Replaced, Same };

        QString path; // under `root`, as named on disk
        quint64 size = 0;
        quint32 crc = 0;
        qint64 modified = 0; // seconds since the epoch, as written
        Action action = Action::New;
        // Replaced: the version that stood there before, by its key in the
        // library's store of versions. A replaced file without one has lost
        // its earlier version (it cannot be given back).
        QString before;
        // The package whose version `before` is; empty: the user's own.
        QString previousOwner;
        // In records of the earlier form, which kept the earlier version as
        // a file of the package's backup folder: its path there. Read only
        // to move that file into the store.
        QString legacyBackup;

        bool written() const { return action != Action::Same; }
    };

    QString archive; // the archive's file name
    quint64 archiveSize = 0;
    qint64 archiveModified = 0;
    QString sha256;      // digest of the archive's listing, hexadecimal
    QString installed;   // ISO 8601, UTC
    qint64 sequence = 0; // installs in order: a later one has a higher number
    // The install run that wrote the record, shared by every package of one
    // run so that the run can be taken back as one unit; empty in records
    // of earlier versions.
    QString run;
    // The folder the files went into, as an absolute path resolved from
    // where the library is now: the library itself, or `destination`.
    QString root;
    // The archive's own destination outside the library, when it had one;
    // the only absolute path a record keeps. Empty for the library.
    QString destination;
    // With a destination: this user's proof that PackShelf wrote it (see
    // DestinationTrust); empty otherwise.
    QString seal;
    CopyPlan plan;
    std::vector<File> files;
    QStringList folders; // folders it made, parents first
    // False for a record read without its files, which the change at hand
    // does not touch (see RecordInterest): it may not be written back.
    bool whole = true;

    int count(File::Action action) const;
    File* file(const QString& path);
    const File* file(const QString& path) const;
    // True when a file names its earlier version as a file of the backup
    // folder of the earlier form.
    bool hasLegacyBackups() const;

    QJsonObject toJson() const;
    // The record as kept in `library`'s records folder: fails, saying why,
    // when the object is not a manifest or names a path that is not safe to
    // act on. Paths are relative to the library; a record of
    // an earlier version that names the library by its absolute path is
    // read as relative, wherever the library is now.
    static Result<Manifest> fromJson(const QJsonObject& object, const QString& library);
    // A compact form of the record for the library's index of records,
    // read back with the same checks as fromJson().
    QByteArray toBinary() const;
    // Reads the compact form's fields into `header` and hands each of its
    // files to `eachFile`, without keeping them, until `eachFile` answers
    // false; false when the bytes are not a whole record (or were not read
    // to the end).
    static bool readBinaryPassing(QByteArrayView bytes, Manifest& header,
                                  const std::function<bool(const File&)>& eachFile);
    // The record of the compact form without its files (`whole` false),
    // checked as fromBinary() checks it: they are read, and checked, when a
    // change wants them.
    static Result<Manifest> headerFromBinary(QByteArrayView bytes, const QString& library);
    static Result<Manifest> fromBinary(QByteArrayView bytes, const QString& library);
};

// What a list of the installed packages shows of one: its record without
// the files, only how many there are of each kind.
struct PackageListing {
    QString archive;
    QString installed;
    QString sha256;
    qint64 sequence = 0;
    std::array<int, 3> counts{}; // by Manifest::File::Action

    int count(Manifest::File::Action action) const { return counts[std::size_t(action)]; }

    static PackageListing of(const Manifest& manifest);
    // The listing of a record in its compact form, checked as
    // Manifest::fromBinary() checks it, without keeping its files.
    static Result<PackageListing> fromBinary(QByteArrayView bytes, const QString& library);

private:
    PackageListing describing(const Manifest& manifest) &&;
};

// True for a destination of an archive's own that a record may name: a
// clean absolute folder path other than "/".
bool isSafeDestination(const QString& path);

// The name under which a package's records are kept: the archive's name,
// made safe for a file name, and a hash that keeps names apart.
QString manifestId(const QString& archive);

} // namespace packshelf
