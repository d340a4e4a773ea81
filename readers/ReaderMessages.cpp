#include "readers/ReaderMessages.h"

#include "analysis/ArchiveDescription.h"
#include "analysis/ItemKeys.h"
#include "analysis/ItemState.h"
#include "core/EngineText.h"
#include "readers/WireReader.h"
#include "readers/WireWriter.h"

namespace packshelf::readerwire {

namespace {

enum class Kind : quint8 { Hello = 1, Request = 2, Outcome = 3, Translation = 4 };
enum class ValueType : quint8 { Integer = 0, Text = 1, Tree = 2 };

// Node flags.
constexpr quint8 NodeFolder = 0x1;
constexpr quint8 NodeNested = 0x2;
constexpr quint8 NodeHasContent = 0x4;
constexpr quint8 NodeFlags = NodeFolder | NodeNested | NodeHasContent;
// The fewest bytes a node takes: flags, an empty name, size, no marks.
constexpr qsizetype NodeBytesMin = 1 + 4 + 8 + 1;
// A tree is as deep as the analysis describes entries, and no deeper.
constexpr int TreeDepthMax = MaxTreeDepth + 2;
constexpr int MarksMax = 8;
// Passwords a job may carry: far more than anyone types.
constexpr quint32 MaxPasswords = 4096;

Failure garbled(const char* what) {
    return fail(
        EngineText::tr("the reader answered what cannot be read (%1)").arg(QLatin1String(what)));
}

WireWriter start(Kind kind) {
    WireWriter writer;
    writer.putByte(quint8(kind));
    return writer;
}

bool startsAs(WireReader& reader, Kind kind) {
    return reader.byte() == quint8(kind);
}

void putTree(WireWriter& writer, const ContentTree& tree) {
    writer.putU32(quint32(tree.size()));
    for (const ContentNode& node : tree) {
        const quint8 flags = (node.isFolder() ? NodeFolder : 0) |
                             (node.nestedArchive ? NodeNested : 0) |
                             (node.content ? NodeHasContent : 0);
        writer.putByte(flags);
        writer.putText(node.name);
        writer.putU64(node.size);
        writer.putByte(quint8(std::min<qsizetype>(node.marks.size(), MarksMax)));
        for (qsizetype i = 0; i < node.marks.size() && i < MarksMax; ++i)
            writer.putText(node.marks[i]);
        if (node.content)
            putTree(writer, *node.content);
    }
}

std::optional<ContentTree> readTree(WireReader& reader, int depth) {
    const std::optional<quint32> count = reader.u32();
    if (!count || depth > TreeDepthMax)
        return std::nullopt;
    ContentTree tree;
    tree.reserve(std::min<std::size_t>(*count, std::size_t(reader.left() / NodeBytesMin)));
    for (quint32 i = 0; i < *count; ++i) {
        const std::optional<quint8> flags = reader.byte();
        std::optional<QString> name = reader.text();
        const std::optional<quint64> size = reader.u64();
        const std::optional<quint8> marks = reader.byte();
        if (!flags || (*flags & ~NodeFlags) || !name || !size || !marks || *marks > MarksMax)
            return std::nullopt;
        const bool folder = *flags & NodeFolder;
        if (!folder && (*flags & (NodeNested | NodeHasContent)))
            return std::nullopt;
        ContentNode node = folder ? ContentNode::makeFolder(std::move(*name), std::nullopt)
                                  : ContentNode::makeFile(std::move(*name), *size);
        node.size = *size;
        node.nestedArchive = *flags & NodeNested;
        for (quint8 m = 0; m < *marks; ++m) {
            std::optional<QString> mark = reader.text();
            if (!mark)
                return std::nullopt;
            node.marks.append(std::move(*mark));
        }
        if (*flags & NodeHasContent) {
            node.content = readTree(reader, depth + 1);
            if (!node.content)
                return std::nullopt;
        }
        tree.push_back(std::move(node));
    }
    return tree;
}

enum class Expect { Integer, Text, Tree };

Expect expectedType(const QString& key) {
    if (key == key::Zip)
        return Expect::Tree;
    if (key == key::Info || key == key::RuntimePath || key == key::DataPath || key == key::Reason ||
        key == key::Warning || key == key::Format)
        return Expect::Text;
    return Expect::Integer;
}

// Whether an integer the analysis writes under `key` may be `value`.
bool integerFits(const QString& key, qint64 value) {
    if (key == key::State)
        return value == ItemState::Ready || value == ItemState::NeedsHelp ||
               value == ItemState::Failed;
    if (key == key::Folders || key == key::Files)
        return value >= 0;
    if (key == key::Error)
        return value == ItemError::ErrorOpen || value == ItemError::ErrorContent ||
               value == ItemError::ErrorPassword;
    return value == 0 || value == 1; // the flags
}

} // namespace

QByteArray encodeHello(const Hello& hello) {
    WireWriter writer = start(Kind::Hello);
    writer.putU32(hello.version);
    writer.putText(hello.confinement);
    return writer.take();
}

Result<Hello> decodeHello(QByteArrayView message) {
    WireReader reader(message);
    if (!startsAs(reader, Kind::Hello))
        return garbled("no greeting");
    Hello hello;
    const std::optional<quint32> version = reader.u32();
    std::optional<QString> confinement = reader.text();
    if (!version || !confinement || !reader.atEnd())
        return garbled("greeting");
    if (*version != ProtocolVersion)
        return fail(EngineText::tr("the reader speaks protocol %1, not %2")
                        .arg(*version)
                        .arg(ProtocolVersion));
    hello.version = *version;
    hello.confinement = std::move(*confinement);
    return hello;
}

QByteArray encodeTranslation(const QByteArray& qm) {
    WireWriter writer = start(Kind::Translation);
    writer.putBytes(qm);
    return writer.take();
}

std::optional<QByteArray> translationIn(QByteArrayView message) {
    WireReader reader(message);
    if (!startsAs(reader, Kind::Translation))
        return std::nullopt;
    std::optional<QByteArray> qm = reader.bytes();
    if (!reader.atEnd())
        return std::nullopt;
    return qm;
}

QByteArray encodeRequest(const AnalyzerJob& job) {
    WireWriter writer = start(Kind::Request);
    writer.putText(job.data.fileName());
    writer.putBytes(job.data.nativeName());
    writer.putByte(job.ignoreDS ? 1 : 0);
    writer.putU32(quint32(job.passwords.size()));
    for (const SharedPassword& password : job.passwords)
        writer.putBytes(password->bytes().toByteArray());
    return writer.take();
}

Result<AnalyzerJob> decodeRequest(QByteArrayView message, const QString& sourceFolder,
                                  const QString& workFolder) {
    WireReader reader(message);
    if (!startsAs(reader, Kind::Request))
        return fail(EngineText::tr("not a job"));
    const std::optional<QString> fileName = reader.text();
    const std::optional<QByteArray> nativeName = reader.bytes();
    const std::optional<quint8> ignoreDS = reader.byte();
    const std::optional<quint32> passwordCount = reader.u32();
    if (!fileName || !nativeName || !ignoreDS || *ignoreDS > 1 || !passwordCount ||
        *passwordCount > MaxPasswords)
        return fail(EngineText::tr("a job that cannot be read"));
    AnalyzerJob job;
    for (quint32 i = 0; i < *passwordCount; ++i) {
        const std::optional<QByteArray> password = reader.bytes();
        if (!password)
            return fail(EngineText::tr("a job that cannot be read"));
        job.passwords.push_back(makePassword(*password));
    }
    if (!reader.atEnd())
        return fail(EngineText::tr("a job that cannot be read"));
    job.sourceDir = sourceFolder;
    job.workDir = workFolder;
    job.data = ArchiveItem::create(*fileName, *nativeName);
    job.ignoreDS = *ignoreDS == 1;
    return job;
}

QByteArray encodeOutcome(const ArchiveItem& analysed) {
    WireWriter writer = start(Kind::Outcome);
    QStringList present;
    for (const QString& key : analysisKeys()) {
        if (analysed.contains(key))
            present.append(key);
    }
    writer.putU32(quint32(present.size()));
    for (const QString& key : present) {
        writer.putText(key);
        const ArchiveItem::Value& value = *analysed.value(key);
        if (const auto* number = std::get_if<qint64>(&value)) {
            writer.putByte(quint8(ValueType::Integer));
            writer.putI64(*number);
        } else if (const auto* text = std::get_if<QString>(&value)) {
            writer.putByte(quint8(ValueType::Text));
            writer.putText(*text);
        } else {
            const ContentTreePtr& tree = std::get<ContentTreePtr>(value);
            writer.putByte(quint8(ValueType::Tree));
            putTree(writer, tree ? *tree : ContentTree());
        }
    }
    return writer.take();
}

Result<ArchiveItem> decodeOutcome(QByteArrayView message, ArchiveItem record) {
    WireReader reader(message);
    if (!startsAs(reader, Kind::Outcome))
        return garbled("no outcome");
    const std::optional<quint32> count = reader.u32();
    if (!count || *count > quint32(analysisKeys().size()))
        return garbled("the number of keys");
    for (const QString& key : analysisKeys())
        record.remove(key);
    for (quint32 i = 0; i < *count; ++i) {
        const std::optional<QString> key = reader.text();
        const std::optional<quint8> type = reader.byte();
        if (!key || !type || !analysisKeys().contains(*key) || record.contains(*key))
            return garbled("a key");
        const Expect expected = expectedType(*key);
        if (*type == quint8(ValueType::Integer) && expected == Expect::Integer) {
            const std::optional<qint64> number = reader.i64();
            if (!number || !integerFits(*key, *number))
                return garbled("a number");
            record.setInteger(*key, *number);
        } else if (*type == quint8(ValueType::Text) && expected == Expect::Text) {
            const std::optional<QString> text = reader.text();
            if (!text)
                return garbled("a text");
            record.setText(*key, *text);
        } else if (*type == quint8(ValueType::Tree) && expected == Expect::Tree) {
            std::optional<ContentTree> tree = readTree(reader, 0);
            if (!tree)
                return garbled("the tree");
            record.setTree(*key, std::make_shared<const ContentTree>(std::move(*tree)));
        } else {
            return garbled("a value of the wrong kind");
        }
    }
    if (!reader.atEnd())
        return garbled("bytes after the outcome");
    if (!record.contains(key::State) || !record.contains(key::Info))
        return garbled("no verdict");
    return record;
}

} // namespace packshelf::readerwire
