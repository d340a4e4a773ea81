#include "ui/FileStamp.h"

#include <sys/stat.h>

namespace packshelf {

FileStamp FileStamp::of(const QByteArray& nativePath) {
    struct stat status {};
    if (::stat(nativePath.constData(), &status) != 0)
        return {};
    return {qint64(status.st_size),
            qint64(status.st_mtim.tv_sec) * 1000000000 + qint64(status.st_mtim.tv_nsec)};
}

} // namespace packshelf
