#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/PosixHandles.h"

namespace packshelf {

class LibraryRecords;

// The list, in the library's records folder, of the folders an install
// stages files in, written while it stages: a run that finds the install
// killed clears what it left there. Paths are relative to the library (or
// to the archive's own destination, which the list names first), so the
// list stays right when the library is moved.
class StagingLog {
public:
    StagingLog(LibraryRecords& records, QString destination);
    ~StagingLog() = default;
    StagingLog(const StagingLog&) = delete;
    StagingLog& operator=(const StagingLog&) = delete;

    // Notes the folder, once; the list is made at the first.
    void note(const QByteArray& folder);
    bool isOpen() const { return m_fd.valid(); }
    // Takes the list away: the install ended, or was undone.
    void remove();

    // For each folder a list names, checked before it is entered (relative
    // to the library, or to a clean absolute destination), calls `visit`
    // with the open folder, whether it is in the library, and its path.
    static void
    forEachFolder(const QString& library, const QByteArray& lines,
                  const std::function<void(int fd, bool inLibrary, const QString&)>& visit);
    // Removes what ended runs staged in an open folder. In the library,
    // under its lock, every staged name is a leftover; in a destination of
    // an archive's own, which another library may be writing into, only
    // those of ended processes are. With `listed`, only names them.
    static void removeStaged(int folderFd, bool onlyOfEndedWriters, QStringList* listed = nullptr,
                             const QString& shownFolder = QString());

private:
    LibraryRecords& m_records;
    QString m_destination;
    handles::UniqueFd m_fd;
    QByteArray m_name;
    QSet<QByteArray> m_noted;
};

} // namespace packshelf
