#include "archive/ZipInput.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace packshelf {

using handles::UniqueFd;

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// minizip reads an archive's headers a byte or a field at a time, going
// back and forth between the central directory and each entry's local
// header; two windows of the input are kept, one for each, so that those
// reads cost no system call.
constexpr quint64 WindowSize = 16 * 1024;

struct Window {
    quint64 start = 0;
    quint64 length = 0;
    quint64 lastUse = 0;
    unsigned char bytes[WindowSize];

    bool holds(quint64 position) const { return position >= start && position < start + length; }
};

struct Stream {
    const ZipInput* input = nullptr;
    quint64 position = 0;
    bool failed = false;
    quint64 uses = 0;
    Window windows[2];

    Window* windowAt(quint64 at) {
        for (Window& window : windows) {
            if (window.holds(at)) {
                window.lastUse = ++uses;
                return &window;
            }
        }
        return nullptr;
    }

    // Fills the window used least recently with the input at `at`.
    Window* fill(quint64 at) {
        Window& window = windows[0].lastUse <= windows[1].lastUse ? windows[0] : windows[1];
        const qint64 got = input->readAt(at, window.bytes, WindowSize);
        if (got < 0)
            failed = true;
        window.start = at;
        window.length = got > 0 ? quint64(got) : 0;
        window.lastUse = ++uses;
        return got > 0 ? &window : nullptr;
    }

    uLong read(void* data, uLong length) {
        auto* out = static_cast<unsigned char*>(data);
        // The common case: a few bytes from the window read last.
        Window& last = windows[windows[1].lastUse > windows[0].lastUse ? 1 : 0];
        if (position >= last.start && position + length <= last.start + last.length) {
            const unsigned char* from = last.bytes + (position - last.start);
            if (length <= 8) {
                for (uLong i = 0; i < length; ++i)
                    out[i] = from[i];
            } else {
                std::memcpy(out, from, length);
            }
            position += length;
            return length;
        }
        uLong done = 0;
        while (done < length) {
            const quint64 wanted = length - done;
            Window* window = windowAt(position);
            if (!window && wanted >= WindowSize) { // large reads bypass the windows
                const qint64 got = input->readAt(position, out + done, wanted);
                if (got < 0)
                    failed = true;
                if (got <= 0)
                    break;
                position += quint64(got);
                done += uLong(got);
                continue;
            }
            if (!window)
                window = fill(position);
            if (!window)
                break;
            const quint64 take = std::min(wanted, window->start + window->length - position);
            std::memcpy(out + done, window->bytes + (position - window->start), take);
            position += take;
            done += uLong(take);
        }
        return done;
    }
};

voidpf ZCALLBACK openStream(voidpf opaque, const void*, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
        return nullptr;
    auto stream = std::make_unique<Stream>();
    stream->input = static_cast<const ZipInput*>(opaque);
    return stream.release();
}

uLong ZCALLBACK readStream(voidpf, voidpf stream, void* data, uLong length) {
    return static_cast<Stream*>(stream)->read(data, length);
}

uLong ZCALLBACK writeStream(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T ZCALLBACK tellStream(voidpf, voidpf stream) {
    return static_cast<Stream*>(stream)->position;
}

long ZCALLBACK seekStream(voidpf, voidpf streamHandle, ZPOS64_T offset, int origin) {
    auto* stream = static_cast<Stream*>(streamHandle);
    quint64 base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        base = stream->position;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        base = stream->input->size();
        break;
    default:
        return -1;
    }
    if (offset > std::numeric_limits<quint64>::max() - base)
        return -1;
    stream->position = base + offset;
    return 0;
}

int ZCALLBACK closeStream(voidpf, voidpf stream) {
    delete static_cast<Stream*>(stream);
    return 0;
}

int ZCALLBACK streamError(voidpf, voidpf stream) {
    return static_cast<Stream*>(stream)->failed ? 1 : 0;
}

} // namespace

std::unique_ptr<FileInput> FileInput::openRegular(const QByteArray& nativePath, QString* problem) {
    struct stat st;
    if (::stat(nativePath.constData(), &st) != 0) {
        *problem = systemReason(errno);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        *problem = QStringLiteral("not a regular file");
        return nullptr;
    }
    // Non-blocking, so that a file swapped for a FIFO since the check above
    // cannot make the open wait; the type is checked again on what opened.
    UniqueFd fd(::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        *problem = systemReason(errno);
        return nullptr;
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *problem = QStringLiteral("not a regular file");
        return nullptr;
    }
    return adopt(std::move(fd), quint64(st.st_size));
}

std::unique_ptr<FileInput> FileInput::adopt(UniqueFd fd, quint64 size) {
    return std::unique_ptr<FileInput>(new FileInput(std::move(fd), size));
}

qint64 FileInput::readAt(quint64 offset, void* data, quint64 length) const {
    auto* out = static_cast<char*>(data);
    quint64 done = 0;
    while (done < length && offset + done < m_size) {
        const ssize_t got = ::pread(m_fd.get(), out + done, length - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += quint64(got);
    }
    return qint64(done);
}

qint64 MemoryInput::readAt(quint64 offset, void* data, quint64 length) const {
    if (offset >= size())
        return 0;
    const quint64 take = std::min(length, size() - offset);
    std::memcpy(data, m_bytes.constData() + offset, take);
    return qint64(take);
}

handles::UniqueUnzFile openUnzip(const ZipInput& input) {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openStream;
    functions.zread_file = readStream;
    functions.zwrite_file = writeStream;
    functions.ztell64_file = tellStream;
    functions.zseek64_file = seekStream;
    functions.zclose_file = closeStream;
    functions.zerror_file = streamError;
    functions.opaque = const_cast<ZipInput*>(&input);
    return handles::UniqueUnzFile(unzOpen2_64("", &functions));
}

} // namespace packshelf
