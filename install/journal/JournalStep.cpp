#include "install/journal/JournalStep.h"

#include <QFile>
#include <QJsonValue>

#include "core/EngineText.h"
#include "install/disk/LibraryFiles.h"
#include "install/plan/InstallPlan.h"
#include "install/records/DestinationTrust.h"
#include "install/records/LibraryRecords.h"
#include "install/records/Manifest.h"
#include "install/store/Version.h"

namespace packshelf {

using namespace library;

namespace {

const QString Kind = QStringLiteral("step");

template <typename... Ts> struct Overloaded : Ts... { using Ts::operator()...; };

QJsonObject pathJson(const RootedPath& path) {
    QJsonObject object{{QStringLiteral("path"), path.relative}};
    if (!path.destination.isEmpty())
        object.insert(QStringLiteral("destination"), path.destination);
    return object;
}

// Reads the fields of a step object, failing once for any that is missing
// or of the wrong type.
class Fields {
public:
    explicit Fields(const QJsonObject& object)
        : m_object(object) {}

    QString text(const char* key, bool optional = false) {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (value.isString())
            return value.toString();
        if (!optional || !value.isUndefined())
            m_ok = false;
        return {};
    }
    RootedPath path(const char* key) {
        const QJsonValue value = m_object.value(QLatin1String(key));
        const QJsonObject object = value.toObject();
        const QJsonValue relative = object.value(QStringLiteral("path"));
        const QJsonValue destination = object.value(QStringLiteral("destination"));
        if (!value.isObject() || !relative.isString() ||
            !(destination.isUndefined() || destination.isString())) {
            m_ok = false;
            return {};
        }
        return {destination.toString(), relative.toString()};
    }
    quint64 number(const char* key) {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (!value.isDouble())
            m_ok = false;
        return quint64(value.toInteger());
    }
    std::optional<ExpectedContent> expected() {
        const QJsonValue value = m_object.value(QStringLiteral("expected"));
        if (value.isUndefined())
            return std::nullopt;
        const QJsonObject object = value.toObject();
        for (const char* key : {"size", "crc32", "modified"}) {
            if (!object.value(QLatin1String(key)).isDouble())
                m_ok = false;
        }
        return ExpectedContent{quint64(object.value(QStringLiteral("size")).toInteger()),
                               quint32(object.value(QStringLiteral("crc32")).toInteger()),
                               object.value(QStringLiteral("modified")).toInteger()};
    }
    bool ok() const { return m_ok; }

private:
    const QJsonObject& m_object;
    bool m_ok = true;
};

bool isStaging(const QString& name) {
    return !name.contains(QLatin1Char('/')) && isSafeRelative(name) && isStagingName(name);
}

QString firstPart(const QString& relative) {
    return relative.section(QLatin1Char('/'), 0, 0);
}

bool inRecordsFolder(const RootedPath& path) {
    return path.destination.isEmpty() &&
           firstPart(path.relative) == QLatin1String(LibraryRecordsFolder);
}

// A path of the library or of a trusted destination, relative and safe.
Status safePath(const RootedPath& path, const std::function<bool(const QString&)>& trusted) {
    if (!isSafeRelative(path.relative))
        return fail(EngineText::tr("%1 is not a path below the library").arg(path.relative));
    if (!path.destination.isEmpty() &&
        (!isSafeDestination(path.destination) || !trusted(path.destination)))
        return fail(needsConfirmationReason(path.destination));
    return {};
}

// A path of the library's own files, the records folder aside.
Status libraryPath(const RootedPath& path, const std::function<bool(const QString&)>& trusted) {
    if (Status safe = safePath(path, trusted); !safe)
        return safe;
    if (inRecordsFolder(path))
        return fail(EngineText::tr("%1 is the library's own").arg(path.relative));
    return {};
}

// Below a folder the change keeps in the records folder under a staging name.
bool inKeptFolder(const RootedPath& path) {
    const QStringList parts = path.relative.split(QLatin1Char('/'));
    return inRecordsFolder(path) && parts.size() >= 3 && isStaging(parts[1]);
}

bool isRecordName(const QString& name) {
    return !name.contains(QLatin1Char('/')) && isSafeRelative(name) &&
           name.endsWith(QLatin1String(LibraryRecords::RecordSuffix)) &&
           !name.startsWith(QLatin1String(LibraryRecords::JournalPrefix)) && !isStagingName(name);
}

Status refused(const QString& why) {
    return fail(why);
}

} // namespace

QString RootedPath::rootIn(const QString& library) const {
    return destination.isEmpty() ? library : destination;
}

QString RootedPath::absoluteIn(const QString& library) const {
    const QString root = rootIn(library);
    return relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
}

RootedPath RootedPath::folder() const {
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    return {destination, slash < 0 ? QString() : relative.left(slash)};
}

QString RootedPath::name() const {
    return relative.mid(relative.lastIndexOf(QLatin1Char('/')) + 1);
}

RootedPath RootedPath::child(const QString& name) const {
    return {destination, relative.isEmpty() ? name : relative + QLatin1Char('/') + name};
}

RootedPath inRecords(const QString& relative) {
    return {QString(), QLatin1String(LibraryRecordsFolder) + QLatin1Char('/') + relative};
}

bool isCommitStep(const JournalStep& step) {
    return std::holds_alternative<step::PlaceFile>(step) ||
           std::holds_alternative<step::PlaceFolder>(step) ||
           std::holds_alternative<step::MoveAside>(step) ||
           std::holds_alternative<step::PlaceRecord>(step) ||
           std::holds_alternative<step::DropRecord>(step);
}

QString destinationOf(const JournalStep& step) {
    return std::visit(
        Overloaded{[](const step::PlaceFile& s) { return s.target.destination; },
                   [](const step::PlaceFolder& s) { return s.target.destination; },
                   [](const step::MoveAside& s) { return s.path.destination; },
                   [](const step::Discard& s) { return s.path.destination; },
                   [](const step::RemoveEmptyFolder& s) { return s.path.destination; },
                   [](const auto&) { return QString(); }},
        step);
}

QJsonObject toJson(const JournalStep& step) {
    return std::visit(
        Overloaded{[](const step::PlaceFile& s) {
                       return QJsonObject{{Kind, QStringLiteral("placeFile")},
                                          {QStringLiteral("target"), pathJson(s.target)},
                                          {QStringLiteral("staged"), s.staged},
                                          {QStringLiteral("original"), s.original},
                                          {QStringLiteral("inode"), qint64(s.inode)}};
                   },
                   [](const step::PlaceFolder& s) {
                       return QJsonObject{{Kind, QStringLiteral("placeFolder")},
                                          {QStringLiteral("target"), pathJson(s.target)},
                                          {QStringLiteral("staged"), s.staged},
                                          {QStringLiteral("inode"), qint64(s.inode)}};
                   },
                   [](const step::MoveAside& s) {
                       QJsonObject object{{Kind, QStringLiteral("moveAside")},
                                          {QStringLiteral("path"), pathJson(s.path)},
                                          {QStringLiteral("aside"), pathJson(s.aside)}};
                       if (s.expected)
                           object.insert(
                               QStringLiteral("expected"),
                               QJsonObject{{QStringLiteral("size"), qint64(s.expected->size)},
                                           {QStringLiteral("crc32"), qint64(s.expected->crc)},
                                           {QStringLiteral("modified"), s.expected->modified}});
                       return object;
                   },
                   [](const step::PlaceRecord& s) {
                       return QJsonObject{{Kind, QStringLiteral("placeRecord")},
                                          {QStringLiteral("name"), s.name},
                                          {QStringLiteral("staged"), s.staged},
                                          {QStringLiteral("original"), s.original}};
                   },
                   [](const step::DropRecord& s) {
                       return QJsonObject{{Kind, QStringLiteral("dropRecord")},
                                          {QStringLiteral("name"), s.name},
                                          {QStringLiteral("aside"), s.aside}};
                   },
                   [](const step::Discard& s) {
                       return QJsonObject{{Kind, QStringLiteral("discard")},
                                          {QStringLiteral("path"), pathJson(s.path)}};
                   },
                   [](const step::RemoveEmptyFolder& s) {
                       return QJsonObject{{Kind, QStringLiteral("removeEmptyFolder")},
                                          {QStringLiteral("path"), pathJson(s.path)}};
                   },
                   [](const step::DropVersion& s) {
                       return QJsonObject{{Kind, QStringLiteral("dropVersion")},
                                          {QStringLiteral("version"), s.key}};
                   }},
        step);
}

Result<JournalStep> stepFromJson(const QJsonObject& object) {
    Fields fields(object);
    const QString kind = fields.text("step");
    std::optional<JournalStep> step;
    if (kind == QLatin1String("placeFile"))
        step = step::PlaceFile{fields.path("target"), fields.text("staged"),
                               fields.text("original"), fields.number("inode")};
    else if (kind == QLatin1String("placeFolder"))
        step =
            step::PlaceFolder{fields.path("target"), fields.text("staged"), fields.number("inode")};
    else if (kind == QLatin1String("moveAside"))
        step = step::MoveAside{fields.path("path"), fields.path("aside"), fields.expected()};
    else if (kind == QLatin1String("placeRecord"))
        step =
            step::PlaceRecord{fields.text("name"), fields.text("staged"), fields.text("original")};
    else if (kind == QLatin1String("dropRecord"))
        step = step::DropRecord{fields.text("name"), fields.text("aside")};
    else if (kind == QLatin1String("discard"))
        step = step::Discard{fields.path("path")};
    else if (kind == QLatin1String("removeEmptyFolder"))
        step = step::RemoveEmptyFolder{fields.path("path")};
    else if (kind == QLatin1String("dropVersion"))
        step = step::DropVersion{fields.text("version")};
    if (!step || !fields.ok())
        return fail(EngineText::tr("a step of no known kind, or without what it needs"));
    return *step;
}

Status checkStep(const JournalStep& step,
                 const std::function<bool(const QString& destination)>& trusted) {
    return std::visit(
        Overloaded{
            [&](const step::PlaceFile& s) -> Status {
                if (Status path = libraryPath(s.target, trusted); !path)
                    return path;
                if (!isStaging(s.staged) || (!s.original.isEmpty() && !isStaging(s.original)))
                    return refused(EngineText::tr("it places %1 from what it did not stage")
                                       .arg(s.target.relative));
                return {};
            },
            [&](const step::PlaceFolder& s) -> Status {
                if (Status path = safePath(s.target, trusted); !path)
                    return path;
                // In the records folder: only a folder of what a repair or
                // an upgrade kept for the user.
                const QStringList parts = s.target.relative.split(QLatin1Char('/'));
                if (inRecordsFolder(s.target) &&
                    (parts.size() != 2 || !(parts[1].startsWith(QLatin1String("repaired-")) ||
                                            parts[1].startsWith(QLatin1String("recovered-")))))
                    return refused(
                        EngineText::tr("%1 is the library's own").arg(s.target.relative));
                if (!isStaging(s.staged))
                    return refused(EngineText::tr("it places %1 from what it did not stage")
                                       .arg(s.target.relative));
                return {};
            },
            [&](const step::MoveAside& s) -> Status {
                if (Status path = safePath(s.path, trusted); !path)
                    return path;
                if (Status aside = safePath(s.aside, trusted); !aside)
                    return aside;
                // The library's files only while they are as a package
                // wrote them; of its own, only the backup folder of the
                // earlier form.
                const RootedPath legacy =
                    inRecords(QLatin1String(LibraryRecords::LegacyBackupFolder));
                const bool legacyBackups =
                    s.path == legacy ||
                    (s.path.destination.isEmpty() &&
                     s.path.relative.startsWith(legacy.relative + QLatin1Char('/')));
                // What is moved into a folder of kept versions is kept, not removed.
                if (inRecordsFolder(s.path) ? !legacyBackups
                                            : !s.expected && !inKeptFolder(s.aside))
                    return refused(
                        EngineText::tr("it moves %1 without knowing it").arg(s.path.relative));
                const bool besideIt =
                    s.aside.folder() == s.path.folder() && isStaging(s.aside.name());
                if (!besideIt && !inKeptFolder(s.aside))
                    return refused(
                        EngineText::tr("it moves %1 to %2").arg(s.path.relative, s.aside.relative));
                return {};
            },
            [&](const step::PlaceRecord& s) -> Status {
                if (!isRecordName(s.name) || !isStaging(s.staged) ||
                    (!s.original.isEmpty() && !isStaging(s.original)))
                    return refused(EngineText::tr("it places the record %1").arg(s.name));
                return {};
            },
            [&](const step::DropRecord& s) -> Status {
                if (!isRecordName(s.name) || !isStaging(s.aside))
                    return refused(EngineText::tr("it drops the record %1").arg(s.name));
                return {};
            },
            [&](const step::Discard& s) -> Status {
                if (Status path = safePath(s.path, trusted); !path)
                    return path;
                if (!isStaging(s.path.name()))
                    return refused(EngineText::tr("it removes %1, which it did not stage")
                                       .arg(s.path.relative));
                return {};
            },
            [&](const step::RemoveEmptyFolder& s) -> Status {
                return libraryPath(s.path, trusted);
            },
            [&](const step::DropVersion& s) -> Status {
                if (!Version::fromKey(s.key))
                    return refused(EngineText::tr("%1 is not a version").arg(s.key));
                return {};
            }},
        step);
}

} // namespace packshelf
