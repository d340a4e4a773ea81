#pragma once

#include <QCommandLineOption>

class QCommandLineParser;

namespace packshelf::cli {

// The password options of analyze and install: --password-file FILE (one
// password a line) and --password-stdin (one line). Every password given
// is tried on every encrypted archive of the run, in the order given, and
// the first that opens an archive is used for it. Passwords stay in memory:
// they are never printed, logged or written into a record.
class PasswordOptions {
public:
    explicit PasswordOptions(QCommandLineParser& parser);

    // Reads the passwords given and hands them to the process's keyring.
    // False, after a message, when a password file cannot be read or holds
    // none, or standard input ends before a line.
    bool apply() const;

private:
    QCommandLineParser& m_parser;
    QCommandLineOption m_file;
    QCommandLineOption m_stdin;
};

} // namespace packshelf::cli
