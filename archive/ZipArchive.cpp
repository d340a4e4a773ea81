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
#include "archive/CentralDirectory.h"
#include "archive/EntryDecoder.h"
#include "archive/EntrySupport.h"
#include "archive/FreeSpace.h"
#include "archive/Password.h"
#include "archive/PkwareCipher.h"
#include "archive/ZipInput.h"
#include "core/PosixIo.h"

Q_LOGGING_CATEGORY(lcArchive, "packshelf.archive")

namespace packshelf {

namespace {

constexpr int BufferSize = 4096;

QByteArray localPath(const QString& path) {
    return QFile::encodeName(path);
}

bool pathExistsNoFollow(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// Reads up to `size` bytes: how many, 0 at the end, -1 on an error.
ssize_t readSome(int fd, unsigned char* data, std::size_t size) {
    const Result<std::size_t> got = packshelf::readSome(fd, reinterpret_cast<char*>(data), size);
    return got ? ssize_t(*got) : -1;
}

// Sets the file's modification time to the entry's MS-DOS date (high half)
// and time (low half), read as local time.
void applyEntryDate(int fd, quint32 dosDate) {
    const QDate date(int(dosDate >> 25) + 1980, int((dosDate >> 21) & 0x0f),
                     int((dosDate >> 16) & 0x1f));
    const QTime time(int((dosDate >> 11) & 0x1f), int((dosDate >> 5) & 0x3f),
                     int(dosDate & 0x1f) * 2);
    const QDateTime when(date, time, Qt::LocalTime);
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

// Opens a regular file that holds an end of central directory record; what
// it declares is read and checked when it is expanded.
bool ZipArchive::UnzipOpenFile(const QString& zipFile) {
    _input.reset();
    Result<std::unique_ptr<FileInput>> opened = FileInput::openRegular(localPath(zipFile));
    if (opened && hasEndRecord(**opened))
        _input = std::move(*opened);
    return _input != nullptr;
}

bool ZipArchive::UnzipOpenFile(const QString& zipFile, const QString& password) {
    _password = password;
    return UnzipOpenFile(zipFile);
}

bool ZipArchive::UnzipCloseFile() {
    _password.clear();
    _input.reset();
    return true;
}

// Refuses, before anything is written, an archive with an unsupported or
// unreadable entry, with entries whose data overlap, or whose declared size
// would not fit in the target's file system (less a safety margin); then
// writes its entries in the order of its central directory.
bool ZipArchive::UnzipFileTo(const QString& path, bool overWrite) {
    if (!_input) {
        OutputErrorMessage(QStringLiteral("Failed"));
        OutputErrorMessage(QStringLiteral("Error occurs"));
        return false;
    }
    const Result<ArchiveIndex> read = readArchiveIndex(*_input);
    if (!read) {
        OutputErrorMessage(read.reason());
        return false;
    }
    const ArchiveIndex& index = *read;
    if (passwordBytes().isEmpty()) {
        for (const IndexEntry& entry : index.entries) {
            if (entry.encrypted) {
                OutputErrorMessage(QStringLiteral("%1 is encrypted").arg(entry.name));
                return false;
            }
        }
    }
    if (index.entries.empty() && index.refused.isEmpty()) {
        OutputErrorMessage(QStringLiteral("Failed"));
        OutputErrorMessage(QStringLiteral("Error occurs"));
        return false;
    }
    if (!fitsOnFileSystem(path, index.declaredBytes())) {
        OutputErrorMessage(
            QStringLiteral("Not enough free space to expand %1 bytes").arg(index.declaredBytes()));
        return false;
    }
    for (const QString& name : index.refused)
        OutputErrorMessage(QStringLiteral("Refused unsafe entry: %1").arg(name));
    for (const IndexEntry& entry : index.entries) {
        if (!expandEntry(entry, path, overWrite))
            return false;
    }
    return true;
}

// Expands one entry. Answers false when the whole expansion must answer no.
// A kept entry is passed over.
bool ZipArchive::expandEntry(const IndexEntry& entry, const QString& target, bool overWrite) {
    const QString fullPath = target + QLatin1Char('/') + entry.name;
    if (entry.isLink()) {
        OutputErrorMessage(QStringLiteral("Link passed over: %1").arg(entry.name));
        return true;
    }
    if (entry.isFolder()) {
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

// Streams the entry's stored bytes through decryption and inflation into
// the file at `fullPath`. A file that cannot be created is skipped; any
// damage (read error, bad password, size or CRC mismatch, write error) fails
// the entry and removes the partial file.
ZipArchive::EntryOutcome ZipArchive::writeEntryData(const IndexEntry& entry,
                                                    const QString& fullPath) {
    const QByteArray nativePath = localPath(fullPath);
    handles::UniqueFd fd(::open(nativePath.constData(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid()) {
        OutputErrorMessage(QStringLiteral("Failed to create file: %1").arg(fullPath));
        return EntryOutcome::Skipped;
    }
    auto abandon = [&](const QString& message) {
        fd.reset();
        ::unlink(nativePath.constData());
        OutputErrorMessage(message.arg(entry.name));
        return EntryOutcome::Failed;
    };

    const int descriptor = fd.get();
    const Password password(passwordBytes());
    const EntryDecoder::Status status =
        EntryDecoder(*_input, entry, &password, nullptr)
            .decode([descriptor](const char* data, std::size_t size) {
                return writeAll(descriptor, data, size).ok();
            });
    switch (status) {
    case EntryDecoder::Status::Ok:
        break;
    case EntryDecoder::Status::TooLong:
        return abandon(QStringLiteral("Entry larger than declared: %1"));
    case EntryDecoder::Status::SinkFailed:
        return abandon(QStringLiteral("Failed to write file: %1"));
    case EntryDecoder::Status::CrcError:
        return abandon(QStringLiteral("CRC error: %1"));
    case EntryDecoder::Status::WrongPassword:
    case EntryDecoder::Status::NoPassword:
        return abandon(QStringLiteral("Wrong password: %1"));
    default:
        return abandon(QStringLiteral("Failed to reading zip file: %1"));
    }
    applyEntryDate(fd.get(), entry.dosDate);
    if (!fd.close())
        return abandon(QStringLiteral("Failed to write file: %1"));
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
