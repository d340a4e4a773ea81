#include "archive/EntrySupport.h"

#include "core/EngineText.h"

namespace packshelf {

namespace {

const char* methodName(int method) {
    switch (method) {
    case 1:
        return "shrink";
    case 2:
    case 3:
    case 4:
    case 5:
        return "reduce";
    case 6:
        return "implode";
    case 9:
        return "deflate64";
    case 10:
        return "PKWARE DCL implode";
    case 12:
        return "bzip2";
    case 14:
        return "LZMA";
    case 16:
        return "IBM z/OS CMPSC";
    case 18:
        return "IBM TERSE";
    case 19:
        return "IBM LZ77";
    case 20:
    case 93:
        return "Zstandard";
    case 94:
        return "MP3";
    case 95:
        return "XZ";
    case 96:
        return "JPEG";
    case 97:
        return "WavPack";
    case 98:
        return "PPMd";
    default:
        return nullptr;
    }
}

Failure encrypted(const QString& name, const QString& encryption) {
    return fail(EngineText::tr("%1 is encrypted (%2)").arg(name, encryption));
}

} // namespace

bool hasDecoder(int method) {
    switch (method) {
    case MethodStored:
    case MethodDeflate:
    case MethodBzip2:
    case MethodLzma:
    case MethodXz:
    case MethodZstd:
    case MethodZstdOld:
    case MethodPpmd:
        return true;
    default:
        return false;
    }
}

QString describeEncryption(int aesStrength) {
    if (aesStrength != 0)
        return EngineText::tr("AES-%1 encryption").arg(64 + 64 * aesStrength);
    return EngineText::tr("traditional PKWARE encryption");
}

QString describeMethod(int method) {
    const char* name = methodName(method);
    return name ? QStringLiteral("%1 %2").arg(method).arg(QLatin1String(name))
                : QString::number(method);
}

Status checkEntryReadable(const zipformat::CentralRecord& record, const QString& name) {
    int method = record.method;
    if (record.method == MethodAes) {
        const std::optional<zipformat::AesField> aes = zipformat::parseAesField(record.extra);
        if (!aes || !aes->keyBits)
            return encrypted(name, EngineText::tr("AES encryption of an unknown kind"));
        method = aes->realMethod;
    }
    if (record.flags & FlagStrongEncryption)
        return encrypted(name, EngineText::tr("PKWARE strong encryption, not supported"));
    if (!hasDecoder(method))
        return fail(EngineText::tr("unsupported compression method %1 in %2")
                        .arg(describeMethod(method), name));
    return {};
}

} // namespace packshelf
