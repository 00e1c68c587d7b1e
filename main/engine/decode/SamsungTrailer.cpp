// The records Samsung's phones append after a photo, found through the directory at the file's end.
//
// The trailer's layout, all numbers little-endian:
//   records:    each  u16 0, u16 type, u32 name length, the name (ASCII, unterminated), payload
//   directory:  "SEFH", u32 version, u32 count, then per record
//                     u16 0, u16 type, u32 distance back from "SEFH" to the record, u32 record length
//   tail:       u32 directory length (from "SEFH" up to this field), "SEFT"
// The tail is the file's last 8 bytes.
#include "engine/decode/SamsungTrailer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace SamsungTrailer {

namespace {

constexpr std::uint64_t tailSize = 8;
constexpr std::uint64_t headSize = 12;
constexpr std::uint64_t entrySize = 12;
constexpr std::uint64_t recordHeadSize = 8;

std::uint64_t le32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint64_t(b[0]) | std::uint64_t(b[1]) << 8 | std::uint64_t(b[2]) << 16 | std::uint64_t(b[3]) << 24;
}

/// Reads exactly `size` bytes at `at`; false on an error or when the file ends first.
bool readAt(int fd, char* into, std::size_t size, std::uint64_t at)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, into, size, off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into += n;
        size -= std::size_t(n);
        at += std::uint64_t(n);
    }
    return true;
}

} // namespace

std::optional<FileSpan> record(int fd, std::uint64_t fileSize, std::string_view name)
{
    if (fileSize < tailSize + headSize)
        return std::nullopt;
    char tail[tailSize];
    if (!readAt(fd, tail, sizeof tail, fileSize - tailSize) || std::memcmp(tail + 4, "SEFT", 4) != 0)
        return std::nullopt;
    const std::uint64_t directoryLength = le32(tail);
    if (directoryLength < headSize || directoryLength > largestDirectory || directoryLength > fileSize - tailSize)
        return std::nullopt;
    const std::uint64_t directoryStart = fileSize - tailSize - directoryLength;
    std::vector<char> directory(directoryLength);
    if (!readAt(fd, directory.data(), directory.size(), directoryStart) || std::memcmp(directory.data(), "SEFH", 4) != 0)
        return std::nullopt;
    // The version is not looked at: phones have written several, all with this layout.
    const std::uint64_t count = le32(directory.data() + 8);
    if (count > (directoryLength - headSize) / entrySize)
        return std::nullopt;
    const std::uint64_t headLength = recordHeadSize + name.size();
    std::string head(headLength, '\0');
    for (std::uint64_t i = 0; i < count; ++i) {
        const char* entry = directory.data() + headSize + i * entrySize;
        const std::uint64_t back = le32(entry + 4);
        const std::uint64_t length = le32(entry + 8);
        // The record must lie wholly before the directory: a distance back past the file's
        // start, or a length reaching into the directory, is damage.
        if (back > directoryStart || length > back || length < headLength)
            continue;
        const std::uint64_t start = directoryStart - back;
        if (!readAt(fd, head.data(), head.size(), start))
            return std::nullopt;
        if (le32(head.data() + 4) != name.size() || std::string_view(head).substr(recordHeadSize) != name)
            continue;
        return FileSpan{start + headLength, length - headLength};
    }
    return std::nullopt;
}

} // namespace SamsungTrailer
