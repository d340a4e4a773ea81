#include "archive/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <zlib.h>

#include "archive/ArchiveIndex.h"
#include "archive/EntryDecoder.h"
#include "archive/EntryName.h"
#include "archive/FreeSpace.h"
#include "archive/PkwareCipher.h"
#include "archive/ZipInput.h"

Q_LOGGING_CATEGORY(lcArchive, "packshelf.archive")

namespace packshelf {

namespace {

constexpr int BufferSize = 4096;
constexpr unsigned long FlagEncrypted = 0x1;
constexpr unsigned long FlagDataDescriptor = 0x8;
constexpr unsigned long FlagStrongEncryption = 0x40;
constexpr unsigned long FlagUtf8 = 0x800;
constexpr int MethodStored = 0;
constexpr int MethodDeflate = 8;

QByteArray localPath(const QString& path) {
    return QFile::encodeName(path);
}

bool pathExistsNoFollow(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

bool writeAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

ssize_t readSome(int fd, unsigned char* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size);
        if (got < 0 && errno == EINTR)
            continue;
        return got;
    }
}

// Sets the file's modification time to the entry's date, read as local time.
void applyEntryDate(int fd, const tm_unz& date) {
    const QDateTime when(QDate(int(date.tm_year), int(date.tm_mon) + 1, int(date.tm_mday)),
                         QTime(int(date.tm_hour), int(date.tm_min), int(date.tm_sec)),
                         Qt::LocalTime);
    bool ok = when.isValid();
    if (ok) {
        const qint64 msecs = when.toMSecsSinceEpoch();
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(msecs / 1000);
        times[1].tv_nsec = 0;
        ok = ::futimens(fd, times) == 0;
    }
    if (!ok)
        qCInfo(lcArchive, "Failed to set attributes");
}

// Raw deflate stream, ended on scope exit.
struct DeflateStream {
    z_stream z{};
    bool ready = false;
    DeflateStream() {
        ready = deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                             Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~DeflateStream() {
        if (ready)
            deflateEnd(&z);
    }
};

} // namespace

struct ZipArchive::EntryInfo {
    unz_file_info64 info{};
    QString name;
    bool isFolder = false;
    QByteArray password;
};

ZipArchive::ZipArchive() = default;

ZipArchive::~ZipArchive() {
    CloseZipFile2();
}

QByteArray ZipArchive::passwordBytes() const {
    for (QChar c : _password) {
        if (c.unicode() >= 0x80)
            return {};
    }
    return _password.toLatin1();
}

// ---------------------------------------------------------------- reading

bool ZipArchive::UnzipOpenFile(const QString& zipFile) {
    _unzFile.reset();
    _input.reset();
    QString problem;
    _input = FileInput::openRegular(localPath(zipFile), &problem);
    if (_input)
        _unzFile = openUnzip(*_input);
    if (!_unzFile)
        _input.reset();
    return _unzFile != nullptr;
}

bool ZipArchive::UnzipOpenFile(const QString& zipFile, const QString& password) {
    _password = password;
    return UnzipOpenFile(zipFile);
}

bool ZipArchive::UnzipCloseFile() {
    _password.clear();
    if (!_unzFile)
        return true;
    const bool closed = unzClose(_unzFile.release()) == UNZ_OK;
    _input.reset();
    return closed;
}

bool ZipArchive::UnzipFileTo(const QString& path, bool overWrite) {
    unzFile unz = _unzFile.get();
    const bool hasFirstEntry = unz && unzGoToFirstFile(unz) == UNZ_OK;
    if (!hasFirstEntry)
        OutputErrorMessage(QStringLiteral("Failed"));
    if (!unz) {
        OutputErrorMessage(QStringLiteral("Error occurs"));
        return false;
    }
    if (hasFirstEntry) {
        if (!archiveFitsUnder(path))
            return false;
        unzGoToFirstFile(unz);
    }
    for (;;) {
        if (!expandCurrentEntry(path, overWrite))
            return false;
        const int next = unzGoToNextFile(unz);
        if (next == UNZ_END_OF_LIST_OF_FILE)
            return true;
        if (next != UNZ_OK) {
            // A central directory that breaks off is a damaged archive,
            // not a complete one.
            OutputErrorMessage(QStringLiteral("Error occurs"));
            return false;
        }
    }
}

// Refuses, before anything is written, an archive with an unsupported or
// unreadable entry, with entries whose data overlap, or whose declared size
// would not fit in the target's file system (less a safety margin).
bool ZipArchive::archiveFitsUnder(const QString& target) {
    const ArchiveIndex index = readArchiveIndex(*_input, !passwordBytes().isEmpty());
    if (!index.ok()) {
        OutputErrorMessage(index.problem);
        return false;
    }
    if (!fitsOnFileSystem(target, index.declaredBytes())) {
        OutputErrorMessage(
            QStringLiteral("Not enough free space to expand %1 bytes").arg(index.declaredBytes()));
        return false;
    }
    return true;
}

// Expands the current entry. Answers false when the whole expansion must
// answer no. A refused or kept entry is passed over.
bool ZipArchive::expandCurrentEntry(const QString& target, bool overWrite) {
    unzFile unz = _unzFile.get();
    int method = 0;
    int level = 0;
    if (unzOpenCurrentFile2(unz, &method, &level, /*raw=*/1) != UNZ_OK) {
        OutputErrorMessage(QStringLiteral("Error occurs"));
        return false;
    }
    struct CurrentEntryCloser {
        unzFile unz;
        ~CurrentEntryCloser() { unzCloseCurrentFile(unz); }
    } closer{unz};

    EntryInfo entry;
    if (unzGetCurrentFileInfo64(unz, &entry.info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        OutputErrorMessage(QStringLiteral("Error occurs while getting file info"));
        return false;
    }
    QByteArray rawName(int(entry.info.size_filename) + 1, '\0');
    if (unzGetCurrentFileInfo64(unz, nullptr, rawName.data(), uLong(rawName.size()), nullptr, 0,
                                nullptr, 0) != UNZ_OK) {
        OutputErrorMessage(QStringLiteral("Error occurs while getting file info"));
        return false;
    }
    rawName.truncate(int(entry.info.size_filename));
    entry.isFolder = !rawName.isEmpty() && (rawName.endsWith('/') || rawName.endsWith('\\'));
    entry.name = decodeEntryName(rawName, entry.info.flag & FlagUtf8);
    entry.name.replace(QLatin1Char('\\'), QLatin1Char('/'));

    if (!isSafeEntryName(rawName, entry.name)) {
        OutputErrorMessage(QStringLiteral("Refused unsafe entry: %1").arg(entry.name));
        return true;
    }
    if (method != MethodStored && method != MethodDeflate) {
        OutputErrorMessage(
            QStringLiteral("Unsupported compression method %1: %2").arg(method).arg(entry.name));
        return false;
    }
    if (entry.info.flag & FlagStrongEncryption) {
        OutputErrorMessage(QStringLiteral("Unsupported encryption: %1").arg(entry.name));
        return false;
    }
    if (entry.info.flag & FlagEncrypted) {
        entry.password = passwordBytes();
        if (entry.password.isEmpty()) {
            OutputErrorMessage(QStringLiteral("Entry needs a password: %1").arg(entry.name));
            return false;
        }
    }

    const QString fullPath = target + QLatin1Char('/') + entry.name;
    if (entry.isFolder) {
        QDir().mkpath(fullPath);
        return true;
    }
    QDir().mkpath(fullPath.section(QLatin1Char('/'), 0, -2));

    const QByteArray nativePath = localPath(fullPath);
    if (pathExistsNoFollow(nativePath) && !overWrite && !OverWrite(fullPath)) {
        return true;
    }
    return writeEntryData(entry, fullPath) != EntryOutcome::Failed;
}

// Streams the current entry's raw data through decryption and inflation
// into the file at `fullPath`. A file that cannot be created is skipped; any
// damage (read error, bad password, size or CRC mismatch, write error) fails
// the entry and removes the partial file.
ZipArchive::EntryOutcome ZipArchive::writeEntryData(const EntryInfo& entry,
                                                    const QString& fullPath) {
    unzFile unz = _unzFile.get();
    const QByteArray nativePath = localPath(fullPath);
    handles::UniqueFd fd(::open(nativePath.constData(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid()) {
        OutputErrorMessage(QStringLiteral("Failed to create file: %1").arg(fullPath));
        return EntryOutcome::Skipped;
    }
    auto fail = [&](const QString& message) {
        fd.reset();
        ::unlink(nativePath.constData());
        OutputErrorMessage(message.arg(entry.name));
        return EntryOutcome::Failed;
    };

    unsigned char input[BufferSize];
    std::optional<PkwareCipher> cipher;
    if (entry.info.flag & FlagEncrypted) {
        cipher.emplace(entry.password);
        unsigned char header[PkwareCipher::HeaderSize];
        if (unzReadCurrentFile(unz, header, PkwareCipher::HeaderSize) != PkwareCipher::HeaderSize)
            return fail(QStringLiteral("Failed to reading zip file: %1"));
        cipher->decrypt(header, PkwareCipher::HeaderSize);
        const unsigned char check = (entry.info.flag & FlagDataDescriptor)
                                        ? (entry.info.dosDate >> 8) & 0xff
                                        : (entry.info.crc >> 24) & 0xff;
        if (header[PkwareCipher::HeaderSize - 1] != check)
            return fail(QStringLiteral("Wrong password: %1"));
    }

    const int descriptor = fd.get();
    EntryDecoder decoder(int(entry.info.compression_method), entry.info.uncompressed_size,
                         quint32(entry.info.crc), [descriptor](const char* data, std::size_t size) {
                             return writeAll(descriptor,
                                             reinterpret_cast<const unsigned char*>(data), size);
                         });
    auto failDecode = [&](EntryDecoder::Status status) {
        switch (status) {
        case EntryDecoder::Status::TooLong:
            return fail(QStringLiteral("Entry larger than declared: %1"));
        case EntryDecoder::Status::SinkFailed:
            return fail(QStringLiteral("Failed to write file: %1"));
        case EntryDecoder::Status::CrcError:
            return fail(QStringLiteral("CRC error: %1"));
        case EntryDecoder::Status::Ok:
        case EntryDecoder::Status::Damaged:
            break;
        }
        return fail(QStringLiteral("Failed to reading zip file: %1"));
    };
    for (;;) {
        const int got = unzReadCurrentFile(unz, input, BufferSize);
        if (got < 0)
            return fail(QStringLiteral("Failed to reading zip file: %1"));
        if (got == 0)
            break;
        if (cipher)
            cipher->decrypt(input, std::size_t(got));
        if (EntryDecoder::Status status = decoder.feed(input, std::size_t(got));
            status != EntryDecoder::Status::Ok)
            return failDecode(status);
    }
    if (EntryDecoder::Status status = decoder.finish(); status != EntryDecoder::Status::Ok)
        return failDecode(status);
    applyEntryDate(fd.get(), entry.info.tmu_date);
    if (!fd.close())
        return fail(QStringLiteral("Failed to write file: %1"));
    return EntryOutcome::Written;
}

void ZipArchive::OutputErrorMessage(const QString&) {}

bool ZipArchive::OverWrite(const QString&) {
    return true;
}

QDateTime ZipArchive::Date1980() {
    return QDateTime(QDate(1980, 1, 1), QTime(0, 0), Qt::LocalTime);
}

// ---------------------------------------------------------------- writing

bool ZipArchive::CreateZipFile2(const QString& zipFile) {
    _zipFile.reset();
    const QByteArray path = localPath(zipFile);
    _zipFile.reset(zipOpen64(path.constData(), APPEND_STATUS_CREATE));
    return _zipFile != nullptr;
}

bool ZipArchive::CreateZipFile2(const QString& zipFile, const QString& password) {
    _password = password;
    return CreateZipFile2(zipFile);
}

bool ZipArchive::CloseZipFile2() {
    _password.clear();
    if (!_zipFile)
        return false;
    return zipClose(_zipFile.release(), nullptr) == ZIP_OK;
}

namespace {

zip_fileinfo fileInfoFor(const struct stat& st) {
    zip_fileinfo info{};
    const QDateTime modified =
        QDateTime::fromSecsSinceEpoch(qint64(st.st_mtim.tv_sec), Qt::LocalTime);
    const QDate date = modified.date();
    const QTime time = modified.time();
    info.tmz_date.tm_sec = uInt(time.second());
    info.tmz_date.tm_min = uInt(time.minute());
    info.tmz_date.tm_hour = uInt(time.hour());
    info.tmz_date.tm_mday = uInt(date.day());
    info.tmz_date.tm_mon = uInt(date.month() - 1);
    info.tmz_date.tm_year = uInt(date.year());
    return info;
}

bool crcOfFile(int fd, uLong* crc) {
    unsigned char buffer[BufferSize];
    *crc = crc32(0L, Z_NULL, 0);
    for (;;) {
        const ssize_t got = readSome(fd, buffer, BufferSize);
        if (got < 0)
            return false;
        if (got == 0)
            return ::lseek(fd, 0, SEEK_SET) == 0;
        *crc = crc32(*crc, buffer, uInt(got));
    }
}

bool isAscii(const QByteArray& bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

bool ZipArchive::addFileToZip(const QString& file, const QString& newname) {
    zipFile zip = _zipFile.get();
    if (!zip)
        return false;
    const QByteArray nativePath = localPath(file);
    handles::UniqueFd fd(::open(nativePath.constData(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    // An unreadable file is refused rather than added as an empty entry.
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;

    const zip_fileinfo info = fileInfoFor(st);
    const QByteArray entryName = newname.toUtf8();
    const uLong utf8Flag = isAscii(entryName) ? 0 : FlagUtf8;
    const int zip64 = quint64(st.st_size) >= 0xffffffffu ? 1 : 0;
    const QByteArray password = passwordBytes();

    if (password.isEmpty()) {
        if (zipOpenNewFileInZip4_64(zip, entryName.constData(), &info, nullptr, 0, nullptr, 0,
                                    nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, 8,
                                    Z_DEFAULT_STRATEGY, nullptr, 0, 0, utf8Flag, zip64) != ZIP_OK)
            return false;
        unsigned char buffer[BufferSize];
        bool ok = true;
        for (;;) {
            const ssize_t got = readSome(fd.get(), buffer, BufferSize);
            if (got <= 0) {
                ok = got == 0;
                break;
            }
            if (zipWriteInFileInZip(zip, buffer, unsigned(got)) != ZIP_OK) {
                ok = false;
                break;
            }
        }
        const bool closed = zipCloseFileInZip(zip) == ZIP_OK;
        return ok && closed;
    }

    // Encrypted: the header's check byte needs the CRC-32 before any data is
    // written, so the file is read twice; the data is deflated here and
    // handed to minizip raw.
    uLong crc = 0;
    if (!crcOfFile(fd.get(), &crc))
        return false;
    if (zipOpenNewFileInZip4_64(zip, entryName.constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, Z_DEFAULT_COMPRESSION, /*raw=*/1, -MAX_WBITS, 8,
                                Z_DEFAULT_STRATEGY, nullptr, 0, 0, FlagEncrypted | utf8Flag,
                                zip64) != ZIP_OK)
        return false;

    PkwareCipher cipher(password);
    QByteArray header = cipher.makeHeader(static_cast<unsigned char>(crc >> 24));
    bool ok = zipWriteInFileInZip(zip, header.constData(), unsigned(header.size())) == ZIP_OK;

    DeflateStream deflater;
    ok = ok && deflater.ready;
    unsigned char input[BufferSize];
    unsigned char output[BufferSize];
    uLong secondCrc = crc32(0L, Z_NULL, 0);
    quint64 size = 0;
    bool finished = false;
    while (ok && !finished) {
        const ssize_t got = readSome(fd.get(), input, BufferSize);
        if (got < 0) {
            ok = false;
            break;
        }
        secondCrc = crc32(secondCrc, input, uInt(got));
        size += quint64(got);
        deflater.z.next_in = input;
        deflater.z.avail_in = uInt(got);
        const int flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            deflater.z.next_out = output;
            deflater.z.avail_out = BufferSize;
            const int status = deflate(&deflater.z, flush);
            if (status == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
            const unsigned produced = BufferSize - deflater.z.avail_out;
            cipher.encrypt(output, produced);
            if (produced > 0 && zipWriteInFileInZip(zip, output, produced) != ZIP_OK) {
                ok = false;
                break;
            }
            finished = status == Z_STREAM_END;
        } while (deflater.z.avail_out == 0);
    }
    // A file that changed between the two reads would not match its header.
    ok = ok && secondCrc == crc;
    const bool closed = zipCloseFileInZipRaw64(zip, size, crc) == ZIP_OK;
    return ok && closed;
}

} // namespace packshelf
