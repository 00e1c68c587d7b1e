// The video a phone's "motion photo" carries after its picture, found and copied out into the wall.
#include "engine/decode/MotionClip.h"

#include "engine/decode/SamsungTrailer.h"
#include "engine/base/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

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

/// The photo open for reading with its size; nothing when it cannot be read or is no regular file.
struct OpenPhoto {
    UniqueFd fd;
    std::uint64_t size = 0;
};
std::optional<OpenPhoto> openPhoto(const std::filesystem::path& photo)
{
    UniqueFd fd(::open(photo.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st{};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return OpenPhoto{std::move(fd), std::uint64_t(st.st_size)};
}

bool isClip(const OpenPhoto& photo, FileSpan span)
{
    if (span.length < 16 || span.length > largestClip || span.offset == 0 || span.offset >= photo.size ||
        span.length > photo.size - span.offset)
        return false;
    std::array<char, 8> head{};
    return ::pread(photo.fd.get(), head.data(), head.size(), off_t(span.offset)) == ssize_t(head.size()) &&
           std::memcmp(head.data() + 4, "ftyp", 4) == 0;
}

} // namespace

std::optional<FileSpan> locate(const std::filesystem::path& photo, std::optional<std::uint64_t> xmpLength)
{
    const auto open = openPhoto(photo);
    if (!open)
        return std::nullopt;
    if (xmpLength && *xmpLength < open->size) {
        const FileSpan fromXmp{open->size - *xmpLength, *xmpLength};
        if (isClip(*open, fromXmp))
            return fromXmp;
    }
    const auto samsung = SamsungTrailer::record(open->fd.get(), open->size, "MotionPhoto_Data");
    if (samsung && isClip(*open, *samsung))
        return samsung;
    return std::nullopt;
}

bool extract(const std::filesystem::path& photo, FileSpan span, const std::filesystem::path& clip)
{
    const auto from = openPhoto(photo);
    if (!from || !isClip(*from, span))
        return false;
    UniqueFd to(::open(clip.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!to)
        return false;
    const bool copied = copyRange(from->fd.get(), off_t(span.offset), to.get(), span.length);
    return to.close() == 0 && copied;
}

} // namespace MotionClip
