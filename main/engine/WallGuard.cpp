// Links planted in a wall's folder, and what killed writers left there.
#include "engine/internal/WallGuard.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (file != ".cache.json" && file != "manifest.js" && file != "index.html" && file != ".inflight")
        return std::nullopt;
    return pid;
}

} // namespace

std::optional<std::filesystem::path> linkedThumbFolder(const std::filesystem::path& thumbDir)
{
    DIR* dir = opendir(thumbDir.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::filesystem::path> link;
    while (const dirent* e = readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name.size() != 2 || !isHex(name[0]) || !isHex(name[1]))
            continue;
        struct stat st{};
        if (fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
            link = thumbDir / e->d_name;
            break;
        }
    }
    closedir(dir);
    return link;
}

void removeStaleTemporaries(const std::filesystem::path& out)
{
    DIR* dir = opendir(out.c_str());
    if (!dir)
        return;
    while (const dirent* e = readdir(dir)) {
        const auto pid = writerOf(e->d_name);
        if (!pid || kill(*pid, 0) == 0 || errno != ESRCH)
            continue; // not ours, or its writer may still be at work
        struct stat st{};
        if (fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            unlinkat(dirfd(dir), e->d_name, 0);
    }
    closedir(dir);
}

} // namespace WallGuard
