#include "archive/CentralDirectory.h"

#include <QByteArray>
#include <algorithm>
#include <optional>

#include "archive/ZipInput.h"
#include "archive/ZipRecords.h"
#include "core/EngineText.h"

namespace packshelf {

using namespace zipformat;

namespace {

// The end record may be followed by a comment of up to 65,535 bytes.
constexpr quint64 MaxCommentLength = 0xffff;

QString damaged() {
    return EngineText::tr("the archive's directory is damaged");
}

std::optional<quint32> signatureAt(const ZipInput& input, quint64 offset) {
    char bytes[4];
    if (offset > input.size() || input.size() - offset < 4 || input.readAt(offset, bytes, 4) != 4)
        return std::nullopt;
    return read32(bytes);
}

struct FoundEndRecord {
    quint64 position = 0;
    EndRecord record;
};

// Searches the last `tailLength` bytes of the input for the end record,
// nearest the end first; one whose comment would run past the end of the
// input is taken only when there is no other (`truncatedComment`).
std::optional<FoundEndRecord> findEndRecordIn(const ZipInput& input, quint64 tailLength,
                                              std::optional<FoundEndRecord>* truncatedComment) {
    const quint64 tailStart = input.size() - tailLength;
    QByteArray tail(qsizetype(tailLength), Qt::Uninitialized);
    if (input.readAt(tailStart, tail.data(), tailLength) != qint64(tailLength))
        return std::nullopt;
    for (qsizetype at = tail.size() - qsizetype(EndRecord::Size); at >= 0; --at) {
        if (read32(tail.constData() + at) != EndRecordSignature)
            continue;
        const FoundEndRecord found{tailStart + quint64(at), parseEndRecord(tail.constData() + at)};
        if (quint64(at) + EndRecord::Size + found.record.commentLength <= tailLength)
            return found;
        if (!*truncatedComment)
            *truncatedComment = found;
    }
    return std::nullopt;
}

// The end record: most archives have no comment, so the last kilobyte is
// searched first, and the whole stretch a comment may take only when the
// record is not there.
std::optional<FoundEndRecord> findEndRecord(const ZipInput& input) {
    constexpr quint64 UsualTail = 1024;
    const quint64 size = input.size();
    if (size < EndRecord::Size)
        return std::nullopt;
    std::optional<FoundEndRecord> truncatedComment;
    const quint64 longest = std::min(size, MaxCommentLength + EndRecord::Size);
    if (longest > UsualTail) {
        if (auto found = findEndRecordIn(input, UsualTail, &truncatedComment))
            return found;
        truncatedComment.reset();
    }
    if (auto found = findEndRecordIn(input, longest, &truncatedComment))
        return found;
    return truncatedComment;
}

struct FoundZip64Records {
    quint64 recordPosition = 0;
    Zip64Locator locator;
    Zip64EndRecord record;
};

// The Zip64 end record, looked for where the locator before the end record
// says, then right before the locator (where it is when the archive has
// bytes before it that its offsets leave out).
std::optional<FoundZip64Records> findZip64Records(const ZipInput& input, quint64 endPosition) {
    if (endPosition < Zip64Locator::Size + Zip64EndRecord::Size)
        return std::nullopt;
    const quint64 locatorPosition = endPosition - Zip64Locator::Size;
    char locatorBytes[Zip64Locator::Size];
    if (input.readAt(locatorPosition, locatorBytes, Zip64Locator::Size) !=
        qint64(Zip64Locator::Size))
        return std::nullopt;
    const std::optional<Zip64Locator> locator = parseZip64Locator(locatorBytes);
    if (!locator)
        return std::nullopt;
    for (quint64 candidate :
         {locator->recordOffset, locatorPosition - quint64(Zip64EndRecord::Size)}) {
        if (candidate > locatorPosition - Zip64EndRecord::Size)
            continue;
        char recordBytes[Zip64EndRecord::Size];
        if (input.readAt(candidate, recordBytes, Zip64EndRecord::Size) !=
            qint64(Zip64EndRecord::Size))
            continue;
        if (const std::optional<Zip64EndRecord> record = parseZip64EndRecord(recordBytes))
            return FoundZip64Records{candidate, *locator, *record};
    }
    return std::nullopt;
}

// Why an archive whose end records name other parts cannot be read, or
// nothing. Parts are counted from 1 (the records count disks from 0).
std::optional<QString> splitProblem(quint64 disk, quint64 directoryDisk, quint64 diskCount) {
    if (disk == 0 && directoryDisk == 0 && diskCount <= 1)
        return std::nullopt;
    const quint64 parts = std::max(diskCount, disk + 1);
    return EngineText::tr("split archive: this is part %1 of %2, its directory begins in part %3; "
                          "only a whole archive can be read (join the parts first)")
        .arg(disk + 1)
        .arg(parts)
        .arg(directoryDisk + 1);
}

// Where the directory's records begin, given that they end at `end`: at
// the declared offset, or, when the archive has bytes before it that its
// offsets leave out, right before `end`.
std::optional<CentralDirectoryLocation> placeDirectory(const ZipInput& input, quint64 declared,
                                                       quint64 size, quint64 entries, quint64 end) {
    if (size > end)
        return std::nullopt;
    const auto startsRecord = [&](quint64 at) {
        return entries == 0 || signatureAt(input, at) == CentralHeaderSignature;
    };
    CentralDirectoryLocation location;
    location.size = size;
    location.entries = entries;
    if (declared <= end - size && startsRecord(declared)) {
        location.offset = declared;
        return location;
    }
    const quint64 actual = end - size;
    if (actual > declared && startsRecord(actual)) {
        location.offset = actual;
        location.shift = actual - declared;
        return location;
    }
    // An offset saturated with no Zip64 end record to hold it (as Info-ZIP's
    // `zip -fz` writes to a pipe): the directory ends where the end record
    // begins.
    if (declared == Saturated32 && startsRecord(actual)) {
        location.offset = actual;
        return location;
    }
    return std::nullopt;
}

} // namespace

bool hasEndRecord(const ZipInput& input) {
    return findEndRecord(input).has_value();
}

Result<CentralDirectoryLocation> locateCentralDirectory(const ZipInput& input) {
    const std::optional<FoundEndRecord> end = findEndRecord(input);
    if (!end) {
        return fail(signatureAt(input, 0) == SplitMarkerSignature
                        ? EngineText::tr("split archive: this is its first part, the directory "
                                         "is in the last; only a whole archive can be read (join "
                                         "the parts first)")
                        : EngineText::tr("not a zip archive, or damaged"));
    }

    // The Zip64 end record, where there is one, holds every value at full
    // width; the end record's own fields then may be saturated.
    const std::optional<FoundZip64Records> zip64 = findZip64Records(input, end->position);
    const EndRecord& record = end->record;
    const quint64 disk = zip64 ? zip64->record.disk : record.disk;
    const quint64 directoryDisk = zip64 ? zip64->record.directoryDisk : record.directoryDisk;
    if (auto split = splitProblem(disk, directoryDisk, zip64 ? zip64->locator.diskCount : 0))
        return fail(*split);
    const quint64 entries = zip64 ? zip64->record.entries : record.entries;
    const quint64 entriesOnDisk = zip64 ? zip64->record.entriesOnDisk : record.entriesOnDisk;
    std::optional<CentralDirectoryLocation> location;
    if (entriesOnDisk == entries) {
        location = zip64
                       ? placeDirectory(input, zip64->record.directoryOffset,
                                        zip64->record.directorySize, entries, zip64->recordPosition)
                       : placeDirectory(input, record.directoryOffset, record.directorySize,
                                        entries, end->position);
    }
    // A directory of fewer bytes than its records' fixed parts is damaged.
    if (!location || location->entries > location->size / CentralRecord::FixedSize)
        return fail(damaged());
    location->countMayWrap = !zip64;
    return *location;
}

} // namespace packshelf
