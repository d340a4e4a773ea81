// The zip record parser, field by field: archives written here byte by byte
// (each record where the test puts it, each field as the row sets it) and
// read by the index reader, so that every field and every bound has a row
// that fails when its check goes.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <vector>
#include <zlib.h>

#include "archive/ArchiveIndex.h"
#include "archive/CentralDirectory.h"
#include "archive/EntrySupport.h"
#include "archive/ZipInput.h"
#include "archive/ZipRecords.h"
#include "tests/support/LittleEndian.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ZipWriter.h"

using namespace packshelf;
using namespace packshelf::test;

namespace {

constexpr quint32 Saturated = 0xffffffff;

QByteArray zip64Values(std::initializer_list<quint64> values) {
    QByteArray data;
    for (quint64 value : values)
        put64(data, value);
    return ZipWriter::extraField(0x0001, data);
}

// One stored entry as the writer puts it in both headers.
struct FileSpec {
    QByteArray name = "Runtime/a.txt";
    QByteArray data = "hello";
    quint16 method = 0;
    quint16 flags = 0;
    quint16 madeBy = 20; // MS-DOS
    quint32 external = 0;
    // Sizes and offset saturated, with the Zip64 field in both headers.
    bool zip64 = false;
    QByteArray centralExtra = {}; // after the Zip64 field, when there is one
    QByteArray localExtra = {};
};

struct ArchiveSpec {
    std::vector<FileSpec> files = {FileSpec{}};
    QByteArray prefix = {}; // bytes before the archive that its offsets leave out
    bool zip64End = false;  // the Zip64 end record and its locator
    QByteArray comment = {};
};

// The archive's bytes and where each record begins in them.
struct Built {
    QByteArray bytes;
    std::vector<qsizetype> local, central;
    qsizetype zip64End = -1, locator = -1, end = -1;
};

// The fields both headers of `file` hold alike, from the version needed
// to extract to the extra field's length.
void putShared(QByteArray& out, const FileSpec& file, const QByteArray& extra) {
    const quint64 size = quint64(file.data.size());
    put16(out, 20);
    put16(out, file.flags);
    put16(out, file.method);
    put16(out, 0x6eaf);
    put16(out, 0x3acf);
    put32(out, quint32(::crc32(0, reinterpret_cast<const Bytef*>(file.data.data()),
                               uInt(file.data.size()))));
    put32(out, file.zip64 ? Saturated : size);
    put32(out, file.zip64 ? Saturated : size);
    put16(out, quint64(file.name.size()));
    put16(out, quint64(extra.size()));
}

Built build(const ArchiveSpec& spec) {
    Built built;
    QByteArray& out = built.bytes;
    out = spec.prefix;
    const qsizetype base = spec.prefix.size();
    std::vector<quint64> offsets;
    for (const FileSpec& file : spec.files) {
        const quint64 size = quint64(file.data.size());
        built.local.push_back(out.size());
        offsets.push_back(quint64(out.size() - base));
        const QByteArray extra =
            (file.zip64 ? zip64Values({size, size}) : QByteArray()) + file.localExtra;
        put32(out, zipformat::LocalHeaderSignature);
        putShared(out, file, extra);
        out += file.name + extra + file.data;
    }
    const qsizetype directory = out.size();
    for (std::size_t i = 0; i < spec.files.size(); ++i) {
        const FileSpec& file = spec.files[i];
        const quint64 size = quint64(file.data.size());
        const QByteArray extra =
            (file.zip64 ? zip64Values({size, size, offsets[i]}) : QByteArray()) + file.centralExtra;
        built.central.push_back(out.size());
        put32(out, zipformat::CentralHeaderSignature);
        put16(out, file.madeBy);
        putShared(out, file, extra);
        put16(out, 0); // comment
        put16(out, 0); // disk
        put16(out, 0); // internal attributes
        put32(out, file.external);
        put32(out, file.zip64 ? Saturated : offsets[i]);
        out += file.name + extra;
    }
    const quint64 count = spec.files.size();
    const quint64 directorySize = quint64(out.size() - directory);
    const quint64 directoryOffset = quint64(directory - base);
    if (spec.zip64End) {
        built.zip64End = out.size();
        put32(out, zipformat::Zip64EndRecordSignature);
        put64(out, 44);
        put16(out, 45);
        put16(out, 45);
        put32(out, 0);
        put32(out, 0);
        put64(out, count);
        put64(out, count);
        put64(out, directorySize);
        put64(out, directoryOffset);
        built.locator = out.size();
        put32(out, zipformat::Zip64LocatorSignature);
        put32(out, 0);
        put64(out, quint64(built.zip64End - base));
        put32(out, 1);
    }
    built.end = out.size();
    put32(out, zipformat::EndRecordSignature);
    put16(out, 0);
    put16(out, 0);
    put16(out, spec.zip64End ? 0xffff : count);
    put16(out, spec.zip64End ? 0xffff : count);
    put32(out, spec.zip64End ? Saturated : directorySize);
    put32(out, spec.zip64End ? Saturated : directoryOffset);
    put16(out, quint64(spec.comment.size()));
    out += spec.comment;
    return built;
}

// What the index holds, entry by entry; or why it was refused.
QString listingOf(const QByteArray& bytes) {
    const MemoryInput input(bytes);
    const Result<ArchiveIndex> index = readArchiveIndex(input);
    if (!index)
        return index.reason();
    QStringList lines;
    for (const IndexEntry& entry : index->entries) {
        lines << QStringLiteral("%1 %2 m%3 crc%4 %5/%6 @%7+%8 mode%9 date%10")
                     .arg(entry.path)
                     .arg(entry.kind == IndexEntry::Kind::Folder ? "folder"
                          : entry.kind == IndexEntry::Kind::Link ? "link"
                                                                 : "file")
                     .arg(entry.method)
                     .arg(entry.crc, 8, 16, QLatin1Char('0'))
                     .arg(entry.compressedSize)
                     .arg(entry.uncompressedSize)
                     .arg(entry.localHeaderOffset)
                     .arg(entry.dataOffset - entry.localHeaderOffset)
                     .arg(entry.unixMode, 0, 8)
                     .arg(entry.dosDate, 8, 16, QLatin1Char('0'));
        if (entry.encrypted)
            lines.last() +=
                QStringLiteral(" encrypted (%1)").arg(describeEncryption(entry.aesStrength));
    }
    for (const QString& name : index->refused)
        lines << QStringLiteral("refused %1").arg(name);
    return lines.join(QLatin1Char('\n'));
}

// Where the directory was found: offset, size, records, shift, and whether
// its count may have wrapped; or why it was not.
QString locationOf(const QByteArray& bytes) {
    const MemoryInput input(bytes);
    const Result<CentralDirectoryLocation> located = locateCentralDirectory(input);
    if (!located)
        return located.reason();
    return QStringLiteral("at %1 size %2 entries %3 shift %4%5")
        .arg(located->offset)
        .arg(located->size)
        .arg(located->entries)
        .arg(located->shift)
        .arg(located->countMayWrap ? " wraps" : "");
}

const QString Damaged = QStringLiteral("the archive's directory is damaged");

// The archive of one stored entry, without and with the Zip64 end record.
const ArchiveSpec One{};
const ArchiveSpec Zip64{.zip64End = true};

enum Record { Start, End, Zip64End, Locator, Central0, Central1 };

// A change that sets the field `bits` wide at `offset` into the record named.
std::function<void(Built&)> setAt(Record record, qsizetype offset, int bits, quint64 value) {
    return [=](Built& b) {
        const qsizetype at = offset + (record == End        ? b.end
                                       : record == Zip64End ? b.zip64End
                                       : record == Locator  ? b.locator
                                       : record == Central0 ? b.central[0]
                                       : record == Central1 ? b.central[1]
                                                            : 0);
        if (bits == 16)
            set16(b.bytes, at, quint16(value));
        else if (bits == 32)
            set32(b.bytes, at, quint32(value));
        else
            set64(b.bytes, at, value);
    };
}

struct Row {
    const char* label;
    ArchiveSpec spec;
    std::function<void(Built&)> change;
    QString expected;
};

void check(const std::vector<Row>& rows, const std::function<QString(const QByteArray&)>& read) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Built built = build(row.spec);
        if (row.change)
            row.change(built);
        EXPECT_EQ(read(built.bytes), row.expected);
    }
}

} // namespace

// The end of central directory record and the Zip64 end record with its
// locator: each field that places the directory, and each bound on them.
TEST(ZipRecords, EndRecordsPlaceTheDirectory) {
    // One entry "Runtime/a.txt" of 5 bytes: its local header takes 30 + 13
    // bytes, its central record 46 + 13; the directory begins at 48.
    const QString one = "at 48 size 59 entries 1 shift 0";
    const QString splitFirst = "split archive: this is its first part, the directory is in the "
                               "last; only a whole archive can be read (join the parts first)";
    const auto split = [](int part, int parts, int directoryPart) {
        return QStringLiteral("split archive: this is part %1 of %2, its directory begins in "
                              "part %3; only a whole archive can be read (join the parts first)")
            .arg(part)
            .arg(parts)
            .arg(directoryPart);
    };
    const std::vector<Row> rows = {
        {"a plain archive", One, nullptr, one + " wraps"},
        {"a comment", {.comment = "made by hand"}, nullptr, one + " wraps"},
        {"the longest comment", {.comment = QByteArray(0xffff, 'c')}, nullptr, one + " wraps"},
        {"a comment that holds an end record's signature, after the real one",
         {.comment = QByteArray("PK\x05\x06", 4) + QByteArray(30, 'x')},
         nullptr,
         one + " wraps"},
        {"a comment cut short by the end of the file",
         {.comment = "cut"},
         [](Built& b) { b.bytes.chop(2); },
         one + " wraps"},
        {"no end record", One, [](Built& b) { b.bytes.truncate(b.end); },
         "not a zip archive, or damaged"},
        {"an end record beyond a comment's reach from the end", One,
         [](Built& b) { b.bytes += QByteArray(0x10000, 'z'); }, "not a zip archive, or damaged"},
        {"fewer bytes than an end record", One, [](Built& b) { b.bytes = b.bytes.right(21); },
         "not a zip archive, or damaged"},
        {"the first part of a split archive", One,
         [](Built& b) {
             b.bytes.truncate(b.end);
             set32(b.bytes, 0, zipformat::SplitMarkerSignature);
         },
         splitFirst},
        {"this is not the first disk", One, setAt(End, 4, 16, 1), split(2, 2, 1)},
        {"the directory on another disk", One, setAt(End, 6, 16, 1), split(1, 1, 2)},
        {"records on this disk and in all differ", One, setAt(End, 8, 16, 2), Damaged},
        {"more records than the directory's bytes hold", One,
         [](Built& b) {
             set16(b.bytes, b.end + 8, 2);
             set16(b.bytes, b.end + 10, 2);
         },
         Damaged},
        {"a directory larger than what lies before the end record", One, setAt(End, 12, 32, 200),
         Damaged},
        {"a directory offset past the end record", One, setAt(End, 16, 32, 1000), Damaged},
        {"a directory offset short of it: the bytes between count as a prefix", One,
         setAt(End, 16, 32, 47), "at 48 size 59 entries 1 shift 1 wraps"},
        {"bytes before the archive its offsets leave out",
         {.prefix = "#!stub\n"},
         nullptr,
         "at 55 size 59 entries 1 shift 7 wraps"},
        {"an offset saturated without a Zip64 end record", One, setAt(End, 16, 32, Saturated),
         one + " wraps"},
        {"the Zip64 end record holds the values", Zip64, nullptr, one},
        {"the Zip64 end record with bytes before the archive",
         {.prefix = "stub", .zip64End = true},
         nullptr,
         "at 52 size 59 entries 1 shift 4"},
        {"a locator that points past its end record", Zip64, setAt(Locator, 8, 64, 5000), one},
        {"a locator without a Zip64 end record: the end record's saturated values", Zip64,
         setAt(Zip64End, 0, 32, 0), Damaged},
        {"a Zip64 end record of another disk", Zip64, setAt(Zip64End, 16, 32, 2), split(3, 3, 1)},
        {"a Zip64 end record whose directory is on another disk", Zip64, setAt(Zip64End, 20, 32, 1),
         split(1, 1, 2)},
        {"a locator that counts two disks", Zip64, setAt(Locator, 16, 32, 2), split(1, 2, 1)},
        {"Zip64 counts that differ", Zip64, setAt(Zip64End, 24, 64, 2), Damaged},
        {"a Zip64 directory size past its end record", Zip64, setAt(Zip64End, 40, 64, 1ull << 40),
         Damaged},
        {"a Zip64 directory offset past the file", Zip64, setAt(Zip64End, 48, 64, 1ull << 40),
         Damaged},
    };
    check(rows, locationOf);
}

// A central record's fields as the index takes them: name and its flag,
// method and encryption, sizes and offset at full width through the Zip64
// field, attributes; and every length that must stay inside the directory.
TEST(ZipRecords, CentralRecordsGiveEachField) {
    const QString plain = "Runtime/a.txt file m0 crc3610a686 5/5 @0+43 mode0 date3acf6eaf";
    const auto withName = [](const char* name) {
        ArchiveSpec spec;
        spec.files[0].name = name;
        return spec;
    };
    const auto file = [](FileSpec spec) { return ArchiveSpec{.files = {std::move(spec)}}; };
    const std::vector<Row> rows = {
        {"a stored file", One, nullptr, plain},
        {"a folder", withName("Runtime/"), nullptr,
         "Runtime folder m0 crc3610a686 5/5 @0+38 mode0 date3acf6eaf"},
        {"a Unix file keeps its permission bits",
         file({.madeBy = 3 << 8 | 20, .external = 0100750u << 16}), nullptr,
         "Runtime/a.txt file m0 crc3610a686 5/5 @0+43 mode750 date3acf6eaf"},
        {"a Unix symbolic link",
         file({.name = "link", .madeBy = 3 << 8 | 20, .external = 0120777u << 16}), nullptr,
         "link link m0 crc3610a686 5/5 @0+34 mode777 date3acf6eaf"},
        {"link bits from an MS-DOS writer mean nothing",
         file({.name = "link", .external = 0120777u << 16}), nullptr,
         "link file m0 crc3610a686 5/5 @0+34 mode0 date3acf6eaf"},
        {"a name with its UTF-8 flag", file({.name = "Runtime/caf\xc3\xa9", .flags = 0x800}),
         nullptr, "Runtime/caf\u00e9 file m0 crc3610a686 5/5 @0+43 mode0 date3acf6eaf"},
        {"a name in CP437", file({.name = "Runtime/caf\x82"}), nullptr,
         "Runtime/caf\u00e9 file m0 crc3610a686 5/5 @0+42 mode0 date3acf6eaf"},
        {"backslashes and empty and dot components", withName("Runtime\\.\\x//a.txt"), nullptr,
         "Runtime/x/a.txt file m0 crc3610a686 5/5 @0+48 mode0 date3acf6eaf"},
        {"a name that climbs out", withName("../evil.txt"), nullptr, "refused ../evil.txt"},
        {"an absolute name", withName("/etc/evil"), nullptr, "refused /etc/evil"},
        {"a drive letter", withName("C:/evil"), nullptr, "refused C:/evil"},
        {"a name with a NUL byte", file({.name = QByteArray("Runtime/a\0b", 11)}), nullptr,
         QString::fromUtf8(QByteArray("refused Runtime/a\0b", 19))},
        {"bzip2, read by its decoder", file({.method = 12}), nullptr,
         "Runtime/a.txt file m12 crc3610a686 5/5 @0+43 mode0 date3acf6eaf"},
        {"an unsupported method", file({.method = 9}), nullptr,
         "unsupported compression method 9 deflate64 in Runtime/a.txt"},
        {"traditional encryption, listed for a password to open", file({.flags = 0x1}), nullptr,
         "Runtime/a.txt file m0 crc3610a686 5/5 @0+43 mode0 date3acf6eaf encrypted (traditional "
         "PKWARE encryption)"},
        {"strong encryption", file({.flags = 0x41}), nullptr,
         "Runtime/a.txt is encrypted (PKWARE strong encryption, not supported)"},
        {"WinZip AES",
         file({.method = 99,
               .centralExtra = ZipWriter::extraField(0x9901, QByteArray("\x02\x00"
                                                                        "AE\x03\x08\x00",
                                                                        7))}),
         nullptr,
         "Runtime/a.txt file m8 crc3610a686 5/5 @0+43 mode0 date3acf6eaf encrypted (AES-256 "
         "encryption)"},
        {"sizes and offset in the Zip64 field", file({.zip64 = true}), nullptr,
         "Runtime/a.txt file m0 crc3610a686 5/5 @0+63 mode0 date3acf6eaf"},
        {"a Zip64 field that holds only the offset", One,
         [](Built& b) {
             // The offset saturated, then a field of 8 bytes where the
             // extra data was none: the record grows by 12.
             QByteArray& bytes = b.bytes;
             const qsizetype central = b.central[0];
             set32(bytes, central + 42, Saturated);
             set16(bytes, central + 30, 12);
             bytes.insert(central + 46 + 13, zip64Values({0}));
             set32(bytes, b.end + 12 + 12, 59 + 12);
         },
         "Runtime/a.txt file m0 crc3610a686 5/5 @0+43 mode0 date3acf6eaf"},
        {"a saturated size without a Zip64 field", One, setAt(Central0, 24, 32, Saturated),
         "damaged entry header of Runtime/a.txt"},
        {"a Zip64 field too short for the values saturated", file({.zip64 = true}),
         [](Built& b) {
             // The central field's length claims 16 of its 24 bytes; the
             // offset stays saturated.
             set16(b.bytes, b.central[0] + 46 + 13 + 2, 16);
         },
         "damaged entry header of Runtime/a.txt"},
        {"an extra field that runs past the extra data",
         file({.centralExtra = ZipWriter::extraField(0x5455, "abc").left(6)}), nullptr, plain},
        {"a name that runs past the directory", One, setAt(Central0, 28, 16, 200), Damaged},
        {"an extra length that runs past the directory", One, setAt(Central0, 30, 16, 200),
         Damaged},
        {"a comment that runs past the directory", One, setAt(Central0, 32, 16, 1), Damaged},
        {"a record without its signature", One, setAt(Central0, 0, 32, 0x02014b51), Damaged},
        {"a record more than the end record counts",
         {.files = {FileSpec{}, FileSpec{.name = "b"}}},
         [](Built& b) {
             set16(b.bytes, b.end + 8, 1);
             set16(b.bytes, b.end + 10, 1);
         },
         Damaged},
        {"no records at all", {.files = {}}, nullptr, "the archive is empty"},
    };
    check(rows, listingOf);
}

// The local header before each entry's data must say what the central
// record says; where the data begins follows from its own lengths, and the
// data must lie inside the file, apart from every other entry's.
TEST(ZipRecords, LocalHeadersMatchTheirRecords) {
    const QString damagedHeader = "damaged entry header of Runtime/a.txt";
    const QString plain = "Runtime/a.txt file m0 crc3610a686 5/5 @0+43 mode0 date3acf6eaf";
    const auto file = [](FileSpec spec) { return ArchiveSpec{.files = {std::move(spec)}}; };
    const std::vector<Row> rows = {
        {"a local extra field the directory does not have",
         file({.localExtra = ZipWriter::extraField(0x5455, "12345")}), nullptr,
         "Runtime/a.txt file m0 crc3610a686 5/5 @0+52 mode0 date3acf6eaf"},
        {"a local header without its signature", One, setAt(Start, 0, 32, 0x04034b51),
         damagedHeader},
        {"another method", One, setAt(Start, 8, 16, 8), damagedHeader},
        {"a name of another length", One, setAt(Start, 26, 16, 12), damagedHeader},
        {"another CRC-32", One, setAt(Start, 14, 32, 1), damagedHeader},
        {"another compressed size", One, setAt(Start, 18, 32, 4), damagedHeader},
        {"another size", One, setAt(Start, 22, 32, 6), damagedHeader},
        {"sizes and CRC-32 after the data (flag bit 3) are not compared", file({.flags = 0x8}),
         [](Built& b) {
             set32(b.bytes, 14, 0);
             set32(b.bytes, 18, 0);
             set32(b.bytes, 22, 0);
         },
         "Runtime/a.txt file m0 crc3610a686 5/5 @0+43 mode0 date3acf6eaf"},
        {"local sizes saturated without a Zip64 field say nothing", One,
         [](Built& b) {
             set32(b.bytes, 18, Saturated);
             set32(b.bytes, 22, Saturated);
         },
         plain},
        {"local sizes in the Zip64 field", file({.zip64 = true}), nullptr,
         "Runtime/a.txt file m0 crc3610a686 5/5 @0+63 mode0 date3acf6eaf"},
        {"a local Zip64 size that disagrees", file({.zip64 = true}),
         setAt(Start, 30 + 13 + 4, 64, 6), damagedHeader},
        {"an extra length that runs past the file", One, setAt(Start, 28, 16, 0xffff),
         damagedHeader},
        {"a local header past the end of the file", One, setAt(Central0, 42, 32, 5000),
         damagedHeader},
        {"data that runs past the end of the file", One,
         [](Built& b) {
             set32(b.bytes, 18, 5000);
             set32(b.bytes, b.central[0] + 20, 5000);
         },
         "the data of Runtime/a.txt lies outside the archive"},
        {"two entries at one local header",
         {.files = {FileSpec{}, FileSpec{.name = "Runtime/b.txt"}}},
         [](Built& b) {
             set32(b.bytes, b.central[1] + 42, 0);
             // The second record's name must match the header it points to.
             b.bytes.replace(b.central[1] + 46, 13, "Runtime/a.txt");
         },
         "entries share their data (a zip bomb)"},
        {"one entry's data inside another's",
         {.files = {FileSpec{.data = QByteArray(100, 'x')}, FileSpec{.name = "Runtime/b.txt"}}},
         [](Built& b) {
             // The first entry's sizes grow over the second's header.
             for (qsizetype at :
                  {qsizetype(18), qsizetype(22), b.central[0] + 20, b.central[0] + 24})
                 set32(b.bytes, at, 150);
             set32(b.bytes, 14, 0);
             set32(b.bytes, b.central[0] + 16, 0);
         },
         "entries share their data (a zip bomb)"},
    };
    check(rows, listingOf);
}
