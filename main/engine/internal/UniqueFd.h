// A file descriptor owned by one object and closed with it.
#pragma once

#include <unistd.h>

#include <utility>

class UniqueFd {
public:
    UniqueFd() = default;
    /// Takes over fd; a negative fd (a failed open) owns nothing.
    explicit UniqueFd(int fd) noexcept : fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            (void)close();
            fd = std::exchange(other.fd, -1);
        }
        return *this;
    }
    ~UniqueFd() { (void)close(); }

    int get() const noexcept { return fd; }
    explicit operator bool() const noexcept { return fd >= 0; }
    /// Gives the descriptor up without closing it.
    int release() noexcept { return std::exchange(fd, -1); }
    /// Closes now and returns what close() returned (0 when nothing was open): a writer needs
    /// it, because a file system may report a lost write only there.
    int close() noexcept { return fd < 0 ? 0 : ::close(std::exchange(fd, -1)); }

private:
    int fd = -1;
};
