// Links planted in a wall's folder, and what killed writers left there.
#include "engine/internal/WallGuard.h"

#include "engine/internal/DirStream.h"
#include "engine/internal/WallFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string_view>

namespace WallGuard {
namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

/// The writer's process id when name is a temporary file of AtomicFile::write:
/// ".<file>.<pid>.XXXXXX".
std::optional<pid_t> writerOf(std::string_view name)
{
    if (name.size() < 10 || name[0] != '.')
        return std::nullopt;
    const auto suffixDot = name.size() - 7;
    if (name[suffixDot] != '.')
        return std::nullopt;
    const auto pidDot = name.rfind('.', suffixDot - 1);
    if (pidDot == std::string_view::npos || pidDot < 2)
        return std::nullopt;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data() + pidDot + 1, name.data() + suffixDot, pid);
    if (error != std::errc() || end != name.data() + suffixDot || pid <= 0)
        return std::nullopt;
    // Only the wall's own files are ever written this way.
    const std::string_view file = name.substr(1, pidDot - 1);
    if (std::find(WallFiles::wholeFiles.begin(), WallFiles::wholeFiles.end(), file) == WallFiles::wholeFiles.end())
        return std::nullopt;
    return pid;
}

} // namespace

std::optional<std::filesystem::path> linkedThumbFolder(const std::filesystem::path& thumbDir)
{
    DirStream dir(thumbDir);
    while (const dirent* e = dir.next()) {
        const std::string_view name = e->d_name;
        if (name.size() != 2 || !isHex(name[0]) || !isHex(name[1]))
            continue;
        struct stat st{};
        if (fstatat(dir.fd(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            return thumbDir / e->d_name;
    }
    return std::nullopt;
}

void removeStaleTemporaries(const std::filesystem::path& out)
{
    DirStream dir(out);
    while (const dirent* e = dir.next()) {
        const auto pid = writerOf(e->d_name);
        if (!pid || kill(*pid, 0) == 0 || errno != ESRCH)
            continue; // not ours, or its writer may still be at work
        struct stat st{};
        if (fstatat(dir.fd(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            unlinkat(dir.fd(), e->d_name, 0);
    }
}

} // namespace WallGuard
