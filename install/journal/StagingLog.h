#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <functional>

#include "core/PosixHandles.h"
#include "core/Result.h"

namespace packshelf {

// The list, in the library's records folder, of the library's folders a
// change stages files in, one a line relative to the library, written
// before anything is staged there: a run that finds the change killed
// clears what it left there. It names only folders of the library; what is
// staged in a destination of an archive's own is cleared by the next
// install there, once its writer has ended.
class StagingLog {
public:
    // A log's file is named with the staging prefix and this ending.
    static constexpr char Suffix[] = ".staged";

    explicit StagingLog(QString library);
    StagingLog(const StagingLog&) = delete;
    StagingLog& operator=(const StagingLog&) = delete;

    // Notes the folder (relative to the library), once; the list is made at
    // the first. Fails, saying why, when it cannot be written: nothing may
    // be staged there then.
    Status note(const QString& folder);
    // Takes the list away: the change ended, or was undone.
    void remove();

    // Calls `visit` with each folder the list names that is a folder of the
    // library (checked before it is entered), open, and its path.
    static void forEachFolder(const QString& library, const QByteArray& lines,
                              const std::function<void(int fd, const QString& path)>& visit);

private:
    QString m_library;
    handles::UniqueFd m_fd;
    QByteArray m_name;
    QSet<QString> m_noted;
};

} // namespace packshelf
