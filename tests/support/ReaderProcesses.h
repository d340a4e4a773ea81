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

// Waits until a process `ancestor` started, or one those started (a reader
// forked by the reader zygote), stops itself (a reader at its test hook
// "stop:NAME") and answers it; 0 when none did within `ms`.
pid_t waitForStoppedDescendant(pid_t ancestor, int ms);

// Where each descriptor of `pid` leads (its /proc/PID/fd links), by number.
QStringList descriptorsOf(pid_t pid);

// Processes anywhere whose command line names `folder`: readers started
// from the reader program for it, and the readers and the zygote forked
// from a command line that names it.
std::vector<pid_t> processesNaming(const QString& folder);
// Whether none are left within `ms` (they end as their program does).
bool noProcessNamingWithin(const QString& folder, int ms);

} // namespace packshelf::test
