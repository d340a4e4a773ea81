#pragma once

#include <QStringList>
#include <sys/types.h>
#include <vector>

namespace packshelf::test {

// The processes `parent` started that are still there (from
// /proc/PID/task/*/children).
std::vector<pid_t> childProcesses(pid_t parent);

// A process's state letter from /proc/PID/stat ('T' stopped, 'Z' a zombie,
// ...); 0 when it is gone.
char processState(pid_t pid);

// Waits until a child of `parent` stops itself (a reader at its test hook
// "stop:NAME") and answers it; 0 when none did within `ms`.
pid_t waitForStoppedChild(pid_t parent, int ms);

// Where each descriptor of `pid` leads (its /proc/PID/fd links), by number.
QStringList descriptorsOf(pid_t pid);

// Reader processes anywhere whose command line names `folder`.
std::vector<pid_t> readersFor(const QString& folder);

} // namespace packshelf::test
