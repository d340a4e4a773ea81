#include "cli/FolderArguments.h"

#include <QDir>
#include <QRegularExpression>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "archive/NativeName.h"
#include "core/PosixHandles.h"

namespace packshelf::cli {

namespace {

// The folders opened by their bytes, open until the process ends so that
// "/proc/self/fd/N" names each all along, with the path each is shown as.
// Filled on the main thread before any engine thread starts; only read
// after that.
class OpenedFolders {
public:
    OpenedFolders() = default;
    OpenedFolders(const OpenedFolders&) = delete;
    OpenedFolders& operator=(const OpenedFolders&) = delete;
    ~OpenedFolders() {
        for (const Folder& folder : m_folders)
            ::close(folder.fd);
    }
    void add(int fd, const QString& path) { m_folders.push_back({fd, path}); }
    const QString* pathOf(int fd) const {
        for (const Folder& folder : m_folders) {
            if (folder.fd == fd)
                return &folder.path;
        }
        return nullptr;
    }

private:
    struct Folder {
        int fd;
        QString path; // as decodeNativeName() gives it
    };
    std::vector<Folder> m_folders;
};

OpenedFolders& openedFolders() {
    static OpenedFolders folders;
    return folders;
}

// Whether any text shown may hold a kept byte or an opened folder's path:
// until then shownText() leaves texts as they are.
bool g_textsNeedShowing = false;

QString procPathOf(int fd) {
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

QString currentFolder() {
    const std::unique_ptr<char, decltype(&std::free)> path(::getcwd(nullptr, 0), &std::free);
    return path ? decodeNativeName(path.get()) : QDir::currentPath();
}

// Opens the folder at the absolute path `path` one name at a time, making
// each missing one first when `make`, as mkdir -p does; -1 when it cannot.
int openFolder(const QByteArray& path, bool make) {
    handles::UniqueFd folder(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (const QByteArray& name : path.split('/')) {
        if (folder.get() < 0)
            break;
        if (name.isEmpty())
            continue;
        if (make)
            ::mkdirat(folder.get(), name.constData(), 0777);
        folder.reset(::openat(folder.get(), name.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    return folder.release();
}

// True when `procPath` reaches the folder open as `fd` (not so when /proc
// is not mounted).
bool reaches(const QString& procPath, int fd) {
    struct stat viaProc;
    struct stat opened;
    return ::stat(procPath.toLatin1().constData(), &viaProc) == 0 && ::fstat(fd, &opened) == 0 &&
           viaProc.st_dev == opened.st_dev && viaProc.st_ino == opened.st_ino;
}

QtMessageHandler g_nextHandler = nullptr;

void showingFolders(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    g_nextHandler(type, context, shownText(message));
}

} // namespace

QStringList commandLineArguments(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArrayView bytes(argv[i]);
        if (isUtf8(bytes)) {
            arguments.append(QString::fromLocal8Bit(bytes));
            continue;
        }
        arguments.append(decodeNativeName(bytes));
        g_textsNeedShowing = true;
    }
    return arguments;
}

std::optional<QString> folderForArgument(const QString& argument, MissingFolder missing) {
    const QString path = QDir::cleanPath(
        QDir::isAbsolutePath(argument) ? argument : currentFolder() + QLatin1Char('/') + argument);
    const QByteArray bytes = encodeNativeName(path);
    if (isUtf8(bytes))
        return QDir(argument).absolutePath();
    const int fd = openFolder(bytes, missing == MissingFolder::Made);
    if (fd < 0)
        return std::nullopt;
    openedFolders().add(fd, path);
    g_textsNeedShowing = true;
    const QString procPath = procPathOf(fd);
    if (!reaches(procPath, fd))
        return std::nullopt;
    return procPath;
}

QString shownText(const QString& text) {
    if (!textsNeedShowing())
        return text;
    static const QRegularExpression procPath(QStringLiteral("/proc/self/fd/(\\d+)"));
    QString named;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : procPath.globalMatch(text)) {
        const QString* path = openedFolders().pathOf(match.captured(1).toInt());
        if (!path)
            continue;
        named += QStringView(text).sliced(done, match.capturedStart() - done);
        named += *path;
        done = match.capturedEnd();
    }
    named += QStringView(text).sliced(done);
    return escapedNativeName(named);
}

bool textsNeedShowing() {
    return g_textsNeedShowing;
}

void showFoldersInLogMessages() {
    g_nextHandler = qInstallMessageHandler(showingFolders);
}

} // namespace packshelf::cli
