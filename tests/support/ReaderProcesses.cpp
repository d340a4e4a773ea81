#include "tests/support/ReaderProcesses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace packshelf::test {

namespace {

QByteArray readProc(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

std::vector<pid_t> childProcesses(pid_t parent) {
    std::vector<pid_t> children;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(parent);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QByteArray& child : readProc(tasks + '/' + task + "/children").split(' ')) {
            if (!child.trimmed().isEmpty())
                children.push_back(pid_t(child.trimmed().toInt()));
        }
    }
    return children;
}

char processState(pid_t pid) {
    const QByteArray stat = readProc(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype end = stat.lastIndexOf(')');
    return end < 0 || end + 2 >= stat.size() ? 0 : stat.at(end + 2);
}

pid_t waitForStoppedDescendant(pid_t ancestor, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        std::vector<pid_t> processes = childProcesses(ancestor);
        for (std::size_t i = 0; i < processes.size(); ++i) {
            if (processState(processes[i]) == 'T')
                return processes[i];
            for (pid_t grandchild : childProcesses(processes[i]))
                processes.push_back(grandchild);
        }
        QThread::msleep(10);
    }
    return 0;
}

QStringList descriptorsOf(pid_t pid) {
    const QString folder = QStringLiteral("/proc/%1/fd").arg(pid);
    QStringList targets;
    const QStringList numbers = QDir(folder).entryList(QDir::System | QDir::NoDotAndDotDot);
    for (const QString& number : numbers)
        targets << number + " -> " + QFile::symLinkTarget(folder + '/' + number);
    return targets;
}

std::vector<pid_t> processesNaming(const QString& folder) {
    std::vector<pid_t> readers;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const int id = pid.toInt(&number);
        if (!number)
            continue;
        const QByteArray command = readProc("/proc/" + pid + "/cmdline");
        if (command.contains(QFile::encodeName(folder)) && processState(pid_t(id)) != 'Z')
            readers.push_back(pid_t(id));
    }
    return readers;
}

bool noProcessNamingWithin(const QString& folder, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!processesNaming(folder).empty()) {
        if (clock.elapsed() > ms)
            return false;
        QThread::msleep(10);
    }
    return true;
}

} // namespace packshelf::test
