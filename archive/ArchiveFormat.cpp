#include "archive/ArchiveFormat.h"

#include <QByteArrayView>
#include <array>

#include "archive/ZipInput.h"
#include "core/EngineText.h"

namespace packshelf {

namespace {

constexpr char SevenZipSignature[] = "7z\xBC\xAF\x27\x1C";
constexpr char RarSignature[] = "Rar!\x1A\x07";

} // namespace

std::optional<ArchiveFormat> archiveFormatOfName(QStringView name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return std::nullopt;
    const QStringView extension = name.mid(dot + 1);
    if (extension.compare(QLatin1String("zip"), Qt::CaseInsensitive) == 0)
        return ArchiveFormat::Zip;
    if (extension.compare(QLatin1String("7z"), Qt::CaseInsensitive) == 0)
        return ArchiveFormat::SevenZip;
    if (extension.compare(QLatin1String("rar"), Qt::CaseInsensitive) == 0)
        return ArchiveFormat::Rar;
    return std::nullopt;
}

bool isStreamArchiveName(QStringView name) {
    const std::optional<ArchiveFormat> format = archiveFormatOfName(name);
    return format && *format != ArchiveFormat::Zip;
}

ArchiveFormat sniffArchiveFormat(const ZipInput& input) {
    std::array<char, 6> start{};
    if (input.readAt(0, start.data(), start.size()) != qint64(start.size()))
        return ArchiveFormat::Zip;
    const QByteArrayView bytes(start.data(), start.size());
    if (bytes == QByteArrayView(SevenZipSignature, 6))
        return ArchiveFormat::SevenZip;
    if (bytes == QByteArrayView(RarSignature, 6))
        return ArchiveFormat::Rar;
    return ArchiveFormat::Zip;
}

QString formatName(ArchiveFormat format) {
    switch (format) {
    case ArchiveFormat::Zip:
        break;
    case ArchiveFormat::SevenZip:
        return QStringLiteral("7z");
    case ArchiveFormat::Rar:
        return QStringLiteral("RAR");
    }
    return QStringLiteral("zip");
}

QString notAnArchiveOfItsName(ArchiveFormat named, ArchiveFormat begins) {
    if (begins == ArchiveFormat::Zip)
        return EngineText::tr("not a %1 archive, or damaged (it has no %1 signature)")
            .arg(formatName(named));
    return EngineText::tr("not a %1 archive, or damaged (it begins as a %2 archive, which cannot "
                          "be read either)")
        .arg(formatName(named), formatName(begins));
}

} // namespace packshelf
