#pragma once

#include <QString>
#include <functional>

#include "core/PosixHandles.h"
#include "core/Result.h"

namespace packshelf {

// The lock every command takes on a library before it reads or changes it:
// held on the library folder itself (so that taking it writes nothing),
// shared to read, exclusive to change, for as long as this object lives.
class LibraryLock {
public:
    enum class Access { Read, Change };

    explicit LibraryLock(QString library);
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;

    // Waits until no other process changes the library (for Change: nor
    // reads it). `waiting` hears, before the wait, who holds it. Fails when
    // the library cannot be locked: nothing may then be done.
    Status acquire(Access access, const std::function<void(const QString&)>& waiting = nullptr);
    bool held() const { return m_fd.valid(); }
    bool changes() const { return held() && m_access == Access::Change; }

private:
    QString m_library;
    Access m_access = Access::Read;
    handles::UniqueFd m_fd;
};

} // namespace packshelf
