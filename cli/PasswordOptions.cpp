#include "cli/PasswordOptions.h"

#include <QCommandLineParser>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "archive/ArchiveKeyring.h"
#include "cli/Terminal.h"
#include "core/PosixIo.h"

namespace packshelf::cli {

namespace {

// Wipes a buffer that held passwords when it is let go.
struct WipedBytes {
    QByteArray bytes;
    ~WipedBytes() {
        if (!bytes.isEmpty())
            ::explicit_bzero(bytes.data(), std::size_t(bytes.size()));
    }
};

// The lines of `text` without their line ends; empty lines are left out.
std::vector<SharedPassword> passwordsIn(const QByteArray& text) {
    std::vector<SharedPassword> passwords;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArrayView line = QByteArrayView(text).sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            passwords.push_back(makePassword(line));
        start = end + 1;
    }
    return passwords;
}

// Turns the terminal's echo off while a password is typed.
class HiddenInput {
public:
    HiddenInput() {
        if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        m_hidden = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        std::fputs("Password: ", stderr);
        std::fflush(stderr);
    }
    ~HiddenInput() {
        if (!m_hidden)
            return;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
        std::fputc('\n', stderr);
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

private:
    termios m_saved{};
    bool m_hidden = false;
};

// One line of standard input, without its line end; nothing when the input
// ends before any byte.
std::optional<SharedPassword> lineFromStdin() {
    const HiddenInput hidden;
    WipedBytes line;
    for (char c;;) {
        const Result<std::size_t> got = readSome(STDIN_FILENO, &c, 1);
        if (!got || *got == 0) {
            if (line.bytes.isEmpty())
                return std::nullopt;
            break;
        }
        if (c == '\n')
            break;
        line.bytes.append(c);
    }
    if (line.bytes.endsWith('\r'))
        line.bytes.chop(1);
    return makePassword(line.bytes);
}

} // namespace

PasswordOptions::PasswordOptions(QCommandLineParser& parser)
    : m_parser(parser)
    , m_file(QStringLiteral("password-file"), QString(), QStringLiteral("FILE"))
    , m_stdin(QStringLiteral("password-stdin")) {
    m_parser.addOptions({m_file, m_stdin});
}

bool PasswordOptions::apply() const {
    std::vector<SharedPassword> passwords;
    if (m_parser.isSet(m_stdin)) {
        std::optional<SharedPassword> line = lineFromStdin();
        if (!line) {
            printError(QStringLiteral("--password-stdin: standard input holds no line"));
            return false;
        }
        passwords.push_back(std::move(*line));
    }
    for (const QString& path : m_parser.values(m_file)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            printError(QStringLiteral("--password-file %1: %2").arg(path, file.errorString()));
            return false;
        }
        const WipedBytes text{file.readAll()};
        std::vector<SharedPassword> read = passwordsIn(text.bytes);
        if (read.empty()) {
            printError(QStringLiteral("--password-file %1: the file holds no password").arg(path));
            return false;
        }
        passwords.insert(passwords.end(), read.begin(), read.end());
    }
    ArchiveKeyring::shared().setPasswordsForAll(std::move(passwords));
    return true;
}

} // namespace packshelf::cli
