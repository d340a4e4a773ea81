#pragma once

#include <dirent.h>
#include <memory>
#include <unistd.h>

// Owning wrappers over the POSIX handles the engine uses.
namespace packshelf::handles {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

using UniqueDir = std::unique_ptr<DIR, DirCloser>;

// A POSIX file descriptor closed on scope exit.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept
        : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes the descriptor; answers false when close() reports an error
    // (on some file systems the last write error only shows there).
    bool close() {
        if (m_fd < 0)
            return true;
        int result = ::close(m_fd);
        m_fd = -1;
        return result == 0;
    }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

} // namespace packshelf::handles
