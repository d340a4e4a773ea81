#pragma once

#include <QString>

namespace packshelf {

class ReaderChannel;

// What a reader process does once it is confined: greets over `channel`,
// saying how it is confined, then analyses each job that comes (an
// archive of `sourceFolder`, with `workFolder` as its work folder) and
// answers its outcome, until the other end closes.
// Answers the process's exit status: 0 when the other end closed, 1 when a
// message could not be read or sent.
//
// PACKSHELF_READER_TEST, for the tests only (no archive reaches it), makes
// the reader crash on the archive named NAME ("crash:NAME", SIGSEGV) or
// stop itself there ("stop:NAME", SIGSTOP) so that a test can kill it in
// the middle of a job.
int serveReader(ReaderChannel& channel, const QString& sourceFolder, const QString& workFolder,
                const QString& confinement);

} // namespace packshelf
