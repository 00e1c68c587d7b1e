// A file descriptor owned by one object and closed with it.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string_view>
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

/// Writes all of `bytes` through `write` (a write(2)-like call of a pointer and a length),
/// going on after partial writes and interruptions; false on an error.
template <typename Write>
bool writeAllWith(std::string_view bytes, Write write)
{
    while (!bytes.empty()) {
        const ssize_t n = write(bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

/// Writes all of `bytes` to fd; false on an error.
inline bool writeAll(int fd, std::string_view bytes)
{
    return writeAllWith(bytes, [fd](const char* data, std::size_t size) { return ::write(fd, data, size); });
}
