#pragma once

#include <QByteArray>
#include <sys/types.h>

namespace packshelf {

// The life of a reader process, wherever it was started (the reader
// program, or a fork of the reader zygote): with its socket as standard
// input, it ends with `parent`, confines itself to writing below `work`
// and serves jobs for the archives of `source` until the socket closes.
// Answers its exit status.
int runReader(const QByteArray& work, const QByteArray& source, pid_t parent);

} // namespace packshelf
