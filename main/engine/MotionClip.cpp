// Copying a motion photo's clip out of the photo.
#include "engine/internal/MotionClip.h"

#include "engine/internal/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace MotionClip {

namespace {

/// The kernel's copy, which a file system may do without moving the bytes through us; on file
/// systems or kernels without it the bytes are read and written here.
bool copyRange(int from, off_t offset, int to, std::uint64_t length)
{
    off_t in = offset;
    std::uint64_t left = length;
    bool kernel = true;
    std::array<char, 1 << 16> buffer{};
    while (left > 0) {
        if (kernel) {
            const ssize_t n = ::copy_file_range(from, &in, to, nullptr, left, 0);
            if (n > 0) {
                left -= std::uint64_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0 || errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) {
                // n == 0: the file is shorter than it was, which the loop below reports.
                kernel = false;
                continue;
            }
            return false;
        }
        const ssize_t n = ::pread(from, buffer.data(), std::min<std::uint64_t>(left, buffer.size()), in);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || !writeAll(to, std::string_view(buffer.data(), std::size_t(n))))
            return false;
        in += n;
        left -= std::uint64_t(n);
    }
    return true;
}

} // namespace

bool extract(const std::filesystem::path& photo, std::uint64_t length, const std::filesystem::path& clip)
{
    if (length < 16 || length > largestClip)
        return false;
    const UniqueFd from(::open(photo.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st{};
    if (!from || ::fstat(from.get(), &st) != 0 || !S_ISREG(st.st_mode) || std::uint64_t(st.st_size) <= length)
        return false;
    const off_t start = off_t(std::uint64_t(st.st_size) - length);
    std::array<char, 8> head{};
    if (::pread(from.get(), head.data(), head.size(), start) != ssize_t(head.size()) ||
        std::memcmp(head.data() + 4, "ftyp", 4) != 0)
        return false;
    UniqueFd to(::open(clip.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!to)
        return false;
    const bool copied = copyRange(from.get(), start, to.get(), length);
    return to.close() == 0 && copied;
}

} // namespace MotionClip
