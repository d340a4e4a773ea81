#include "install/records/Manifest.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <algorithm>

#include "core/EngineText.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"
#include "install/records/BinaryForm.h"
#include "install/store/Version.h"

namespace packshelf {

namespace {

const char* actionName(Manifest::File::Action action) {
    switch (action) {
    case Manifest::File::Action::New:
        return "new";
    case Manifest::File::Action::Replaced:
        return "replaced";
    case Manifest::File::Action::Same:
        break;
    }
    return "same";
}

std::optional<Manifest::File::Action> actionNamed(const QString& name) {
    if (name == QLatin1String("new"))
        return Manifest::File::Action::New;
    if (name == QLatin1String("replaced"))
        return Manifest::File::Action::Replaced;
    if (name == QLatin1String("same"))
        return Manifest::File::Action::Same;
    return std::nullopt;
}

void insertOptional(QJsonObject& object, const char* key, const std::optional<QString>& value) {
    if (value)
        object.insert(QLatin1String(key), *value);
}

std::optional<QString> optionalText(const QJsonObject& object, const char* key) {
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
}

QJsonObject planToJson(const CopyPlan& plan) {
    QJsonObject object;
    object.insert(QStringLiteral("rule"), int(plan.rule));
    insertOptional(object, "primary", plan.primarySource);
    insertOptional(object, "data", plan.dataSource);
    insertOptional(object, "directSource", plan.directSource);
    insertOptional(object, "directDestination", plan.directDestination);
    return object;
}

CopyPlan planFromJson(const QJsonObject& object) {
    CopyPlan plan;
    plan.rule = CopyPlan::Rule(object.value(QStringLiteral("rule")).toInt(int(plan.rule)));
    plan.primarySource = optionalText(object, "primary");
    plan.dataSource = optionalText(object, "data");
    plan.directSource = optionalText(object, "directSource");
    plan.directDestination = optionalText(object, "directDestination");
    return plan;
}

} // namespace

int Manifest::count(File::Action action) const {
    return int(std::count_if(files.begin(), files.end(),
                             [action](const File& file) { return file.action == action; }));
}

Manifest::File* Manifest::file(const QString& path) {
    for (File& entry : files) {
        if (entry.path == path)
            return &entry;
    }
    return nullptr;
}

const Manifest::File* Manifest::file(const QString& path) const {
    return const_cast<Manifest*>(this)->file(path);
}

bool Manifest::hasLegacyBackups() const {
    return std::any_of(files.begin(), files.end(),
                       [](const File& file) { return !file.legacyBackup.isEmpty(); });
}

QJsonObject Manifest::toJson() const {
    QJsonArray fileArray;
    for (const File& file : files) {
        QJsonObject object{{QStringLiteral("path"), file.path},
                           {QStringLiteral("size"), qint64(file.size)},
                           {QStringLiteral("crc32"), qint64(file.crc)},
                           {QStringLiteral("modified"), file.modified},
                           {QStringLiteral("action"), QLatin1String(actionName(file.action))}};
        if (!file.before.isEmpty())
            object.insert(QStringLiteral("before"), file.before);
        if (!file.legacyBackup.isEmpty())
            object.insert(QStringLiteral("backup"), file.legacyBackup);
        if (!file.previousOwner.isEmpty())
            object.insert(QStringLiteral("previousOwner"), file.previousOwner);
        fileArray.append(object);
    }
    QJsonObject object{{QStringLiteral("archive"), archive},
                       {QStringLiteral("archiveSize"), qint64(archiveSize)},
                       {QStringLiteral("archiveModified"), archiveModified},
                       {QStringLiteral("sha256"), sha256},
                       {QStringLiteral("installed"), installed},
                       {QStringLiteral("sequence"), sequence},
                       {QStringLiteral("destination"), destination},
                       {QStringLiteral("plan"), planToJson(plan)},
                       {QStringLiteral("folders"), QJsonArray::fromStringList(folders)},
                       {QStringLiteral("files"), fileArray}};
    if (!run.isEmpty())
        object.insert(QStringLiteral("run"), run);
    if (!seal.isEmpty())
        object.insert(QStringLiteral("seal"), seal);
    return object;
}

namespace {

// Where a record's files are: the library, or a destination of the
// archive's own. A record of an earlier version named the library by the
// absolute path it had then; any root that is not the archive's own
// destination is taken as the library, so that a copied or moved library
// acts where it is now and never where it was.
std::optional<QString> destinationOf(const QJsonObject& object, const CopyPlan& plan,
                                     const QString& library) {
    if (object.contains(QStringLiteral("destination")))
        return object.value(QStringLiteral("destination")).toString();
    const QString root = object.value(QStringLiteral("root")).toString();
    if (root.isEmpty())
        return std::nullopt;
    if (root != library && plan.rule == CopyPlan::Rule::Direct && plan.directDestination == root)
        return root;
    return QString();
}

bool isSafeRecordPath(const QString& path) {
    const qsizetype slash = path.indexOf(QLatin1Char('/'));
    const QStringView first = slash < 0 ? QStringView(path) : QStringView(path).first(slash);
    return library::isSafeRelative(path) && first != QLatin1String(LibraryRecordsFolder);
}

// Why a file entry read from disk may not be acted on, or nothing: a path
// that climbs, is absolute or names the records.
std::optional<QString> unsafeFileReason(const Manifest::File& file) {
    if (!isSafeRecordPath(file.path))
        return EngineText::tr("a file entry is not valid");
    if (!file.legacyBackup.isEmpty() && !library::isSafeRelative(file.legacyBackup))
        return EngineText::tr("a backup path is not valid");
    if (!file.before.isEmpty() && !Version::fromKey(file.before))
        return EngineText::tr("an earlier version is not valid");
    return std::nullopt;
}

// Why a record read from disk may not be acted on, or nothing: a
// destination other than the library and the plan's own, a path that
// climbs, is absolute or names the records.
std::optional<QString> unsafeRecordReason(const Manifest& manifest) {
    if (!manifest.destination.isEmpty() &&
        (!isSafeDestination(manifest.destination) || manifest.plan.rule != CopyPlan::Rule::Direct ||
         manifest.plan.directDestination != manifest.destination))
        return EngineText::tr("its destination is not valid");
    for (const QString& folder : manifest.folders) {
        if (!isSafeRecordPath(folder))
            return EngineText::tr("a folder entry is not valid");
    }
    for (const Manifest::File& file : manifest.files) {
        if (std::optional<QString> reason = unsafeFileReason(file))
            return reason;
    }
    return std::nullopt;
}

// The record, checked and placed where the library is now.
Result<Manifest> checkedRecord(Manifest manifest, const QString& library) {
    if (const std::optional<QString> reason = unsafeRecordReason(manifest))
        return fail(*reason);
    manifest.root = manifest.destination.isEmpty() ? library : manifest.destination;
    return manifest;
}

} // namespace

bool isSafeDestination(const QString& path) {
    return library::isSafeAbsolute(path) && path != QLatin1String("/");
}

Result<Manifest> Manifest::fromJson(const QJsonObject& object, const QString& library) {
    Manifest manifest;
    manifest.archive = object.value(QStringLiteral("archive")).toString();
    const QJsonValue files = object.value(QStringLiteral("files"));
    if (manifest.archive.isEmpty() || !files.isArray())
        return fail(EngineText::tr("not a package record"));
    manifest.plan = planFromJson(object.value(QStringLiteral("plan")).toObject());
    const std::optional<QString> destination = destinationOf(object, manifest.plan, library);
    if (!destination)
        return fail(EngineText::tr("its destination is not valid"));
    manifest.destination = *destination;
    manifest.archiveSize = quint64(object.value(QStringLiteral("archiveSize")).toInteger());
    manifest.archiveModified = object.value(QStringLiteral("archiveModified")).toInteger();
    manifest.sha256 = object.value(QStringLiteral("sha256")).toString();
    manifest.installed = object.value(QStringLiteral("installed")).toString();
    manifest.sequence = object.value(QStringLiteral("sequence")).toInteger();
    manifest.run = object.value(QStringLiteral("run")).toString();
    manifest.seal = object.value(QStringLiteral("seal")).toString();
    for (const QJsonValue& folder : object.value(QStringLiteral("folders")).toArray())
        manifest.folders.append(folder.toString());
    const QJsonArray fileArray = files.toArray();
    manifest.files.reserve(std::size_t(fileArray.size()));
    for (const QJsonValue& value : fileArray) {
        const QJsonObject entry = value.toObject();
        File file;
        file.path = entry.value(QStringLiteral("path")).toString();
        const std::optional<File::Action> action =
            actionNamed(entry.value(QStringLiteral("action")).toString());
        if (!action)
            return fail(EngineText::tr("a file entry is not valid"));
        file.action = *action;
        file.size = quint64(entry.value(QStringLiteral("size")).toInteger());
        file.crc = quint32(entry.value(QStringLiteral("crc32")).toInteger());
        file.modified = entry.value(QStringLiteral("modified")).toInteger();
        file.before = entry.value(QStringLiteral("before")).toString();
        file.legacyBackup = entry.value(QStringLiteral("backup")).toString();
        file.previousOwner = entry.value(QStringLiteral("previousOwner")).toString();
        manifest.files.push_back(std::move(file));
    }
    return checkedRecord(std::move(manifest), library);
}

namespace {

// Version 2 added the install run after the sequence number; version 3 the
// seal after the destination, and each file's earlier version by its key
// before the backup path of the earlier form. Versions 1 and 2 are still
// read.
constexpr quint32 BinaryVersion = 3;

} // namespace

QByteArray Manifest::toBinary() const {
    BinaryWriter out;
    out.put(BinaryVersion);
    out.put(archive);
    out.put(archiveSize);
    out.put(archiveModified);
    out.put(sha256);
    out.put(installed);
    out.put(sequence);
    out.put(run);
    out.put(destination);
    out.put(seal);
    out.put(qint32(plan.rule));
    out.put(plan.primarySource);
    out.put(plan.dataSource);
    out.put(plan.directSource);
    out.put(plan.directDestination);
    out.put(quint32(folders.size()));
    for (const QString& folder : folders)
        out.put(folder);
    out.put(quint32(files.size()));
    for (const File& file : files) {
        out.put(file.path);
        out.put(file.size);
        out.put(file.crc);
        out.put(file.modified);
        out.put(quint8(file.action));
        out.put(file.before);
        out.put(file.legacyBackup);
        out.put(file.previousOwner);
    }
    return out.take();
}

namespace {

// Reads the binary form up to its files, into `manifest`; then hands each
// file to `takeFile`. False when the bytes are not a whole record.
enum class FilesRead { Kept, Passed, None };

template <typename TakeFile>
bool readBinary(QByteArrayView bytes, Manifest& manifest, FilesRead filesRead,
                const TakeFile& takeFile) {
    BinaryReader in(bytes);
    const quint32 version = in.get<quint32>();
    const bool known = version >= 1 && version <= BinaryVersion;
    manifest.archive = in.text();
    manifest.archiveSize = in.get<quint64>();
    manifest.archiveModified = in.get<qint64>();
    manifest.sha256 = in.text();
    manifest.installed = in.text();
    manifest.sequence = in.get<qint64>();
    if (version >= 2)
        manifest.run = in.text();
    manifest.destination = in.text();
    if (version >= 3)
        manifest.seal = in.text();
    manifest.plan.rule = CopyPlan::Rule(in.get<qint32>());
    manifest.plan.primarySource = in.optionalText();
    manifest.plan.dataSource = in.optionalText();
    manifest.plan.directSource = in.optionalText();
    manifest.plan.directDestination = in.optionalText();
    const quint32 folderCount = in.get<quint32>();
    for (quint32 i = 0; in.ok() && i < folderCount; ++i)
        manifest.folders.append(in.text());
    const quint32 fileCount = in.get<quint32>();
    if (filesRead == FilesRead::None)
        return known && in.ok() && !manifest.archive.isEmpty();
    // Each file takes at least 33 bytes: a count beyond that is damage.
    if (filesRead == FilesRead::Kept && in.ok() && fileCount <= quint32(bytes.size() / 33))
        manifest.files.reserve(fileCount);
    // One file is read into again and again: unless `takeFile` keeps its
    // texts, reading many files allocates nothing.
    Manifest::File file;
    for (quint32 i = 0; in.ok() && i < fileCount; ++i) {
        in.readText(file.path);
        file.size = in.get<quint64>();
        file.crc = in.get<quint32>();
        file.modified = in.get<qint64>();
        const quint8 action = in.get<quint8>();
        file.action = Manifest::File::Action(action);
        if (version >= 3)
            in.readText(file.before);
        else
            file.before.clear();
        in.readText(file.legacyBackup);
        in.readText(file.previousOwner);
        if (action > quint8(Manifest::File::Action::Same) || !takeFile(file))
            in.fail();
    }
    return known && in.ok() && in.atEnd() && !manifest.archive.isEmpty();
}

} // namespace

bool Manifest::readBinaryPassing(QByteArrayView bytes, Manifest& header,
                                 const std::function<bool(const File&)>& eachFile) {
    return readBinary(bytes, header, FilesRead::Passed, eachFile);
}

Result<Manifest> Manifest::headerFromBinary(QByteArrayView bytes, const QString& library) {
    // Its files are left to be read, and checked, if it is read whole.
    Manifest header;
    if (!readBinary(bytes, header, FilesRead::None, [](const File&) { return true; }))
        return fail(EngineText::tr("not a package record"));
    header.whole = false;
    return checkedRecord(std::move(header), library);
}

Result<Manifest> Manifest::fromBinary(QByteArrayView bytes, const QString& library) {
    Manifest manifest;
    const bool whole = readBinary(bytes, manifest, FilesRead::Kept, [&manifest](File& file) {
        manifest.files.push_back(std::move(file));
        return true;
    });
    if (!whole)
        return fail(EngineText::tr("not a package record"));
    return checkedRecord(std::move(manifest), library);
}

Result<PackageListing> PackageListing::fromBinary(QByteArrayView bytes, const QString& library) {
    // Each file is checked as it is read and then let go: a library of
    // hundreds of thousands of files is listed without keeping them.
    Manifest manifest;
    PackageListing listing;
    std::optional<QString> unsafe;
    const bool whole =
        readBinary(bytes, manifest, FilesRead::Passed, [&](const Manifest::File& file) {
            if (!unsafe)
                unsafe = unsafeFileReason(file);
            ++listing.counts[std::size_t(file.action)];
            return true;
        });
    if (!whole)
        return fail(EngineText::tr("not a package record"));
    if (unsafe)
        return fail(*unsafe);
    const Result<Manifest> checked = checkedRecord(std::move(manifest), library);
    if (!checked)
        return checked.failure();
    return std::move(listing).describing(*checked);
}

PackageListing PackageListing::of(const Manifest& manifest) {
    PackageListing listing;
    for (const Manifest::File& file : manifest.files)
        ++listing.counts[std::size_t(file.action)];
    return std::move(listing).describing(manifest);
}

PackageListing PackageListing::describing(const Manifest& manifest) && {
    archive = manifest.archive;
    installed = manifest.installed;
    sha256 = manifest.sha256;
    sequence = manifest.sequence;
    return std::move(*this);
}

QString manifestId(const QString& archive) {
    QString safe;
    for (const QChar c : archive) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                           c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('.');
        safe.append(plain ? c : QLatin1Char('_'));
    }
    // A record is never named like a journal, which shares its folder.
    if (safe.startsWith(QLatin1String("journal-")))
        safe[7] = QLatin1Char('_');
    const QByteArray hash =
        QCryptographicHash::hash(archive.toUtf8(), QCryptographicHash::Sha256).toHex().left(12);
    return safe.left(80) + QLatin1Char('-') + QString::fromLatin1(hash);
}

} // namespace packshelf
