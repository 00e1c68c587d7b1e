// Links planted in a wall's folder, and what killed writers left there.
#include "engine/wall/WallGuard.h"

#include "engine/base/DirStream.h"
#include "engine/wall/WallFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/syscall.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string>
#include <string_view>

namespace WallGuard {
namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

/// The writer's process id when name is a temporary file of AtomicFile::write,
/// ".<file>.<pid>.XXXXXX", of a file that `ours` takes for one of the wall's.
std::optional<pid_t> atomicWriterOf(std::string_view name, bool (*ours)(std::string_view file))
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
    if (!ours(name.substr(1, pidDot - 1)))
        return std::nullopt;
    return pid;
}

bool isWholeFile(std::string_view file)
{
    return std::find(WallFiles::wholeFiles.begin(), WallFiles::wholeFiles.end(), file) != WallFiles::wholeFiles.end();
}

/// A temporary file of one of the files in the wall's folder itself.
std::optional<pid_t> writerOf(std::string_view name)
{
    return atomicWriterOf(name, isWholeFile);
}

/// A temporary file of one of the pieces in data/.
std::optional<pid_t> pieceWriterOf(std::string_view name)
{
    return atomicWriterOf(name, WallFiles::isPieceName);
}

/// The writer's process id when name is a thumbnail's temporary file: ".<key>.<pid>.<thread>.tmp";
/// 0 for the ".<key>.tmp" of earlier versions, which named no writer.
std::optional<pid_t> thumbnailWriterOf(std::string_view name)
{
    constexpr std::size_t keyLength = 16;
    if (name.size() < 1 + keyLength + 4 || name[0] != '.' || !name.ends_with(".tmp"))
        return std::nullopt;
    for (std::size_t i = 1; i <= keyLength; ++i) {
        if (!isHex(name[i]))
            return std::nullopt;
    }
    std::string_view rest = name.substr(1 + keyLength, name.size() - (1 + keyLength) - 4);
    if (rest.empty())
        return 0;
    if (rest[0] != '.')
        return std::nullopt;
    rest.remove_prefix(1);
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (error != std::errc() || pid <= 0 || end == rest.data() + rest.size() || *end != '.')
        return std::nullopt;
    return pid;
}

bool writerIsGone(pid_t pid)
{
    return pid == 0 || (kill(pid, 0) != 0 && errno == ESRCH);
}

/// Removes the regular files of one folder whose names `writerOf` ties to a writer that is gone.
template <class WriterOf>
void removeLeftovers(DirStream& dir, WriterOf writerOf)
{
    while (const dirent* e = dir.next()) {
        const auto pid = writerOf(std::string_view(e->d_name));
        if (!pid || !writerIsGone(*pid))
            continue; // not ours, or its writer may still be at work
        struct stat st{};
        if (fstatat(dir.fd(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            unlinkat(dir.fd(), e->d_name, 0);
    }
}

} // namespace

std::filesystem::path thumbnailTemporary(const std::filesystem::path& thumb)
{
    const std::string key = thumb.stem().string();
    return thumb.parent_path()
           / ("." + key + "." + std::to_string(getpid()) + "." + std::to_string(syscall(SYS_gettid)) + ".tmp");
}

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

void removeStaleTemporaries(const std::filesystem::path& out, bool thumbnailsToo)
{
    DirStream folder(out, O_NOFOLLOW);
    if (!folder)
        return;
    removeLeftovers(folder, writerOf);
    // The pieces are written at the end of every run, not only while photos are being made.
    if (DirStream data(folder.fd(), WallFiles::data.data(), O_NOFOLLOW); data)
        removeLeftovers(data, pieceWriterOf);
    if (!thumbnailsToo)
        return;
    for (const std::string_view files : WallFiles::photoFolders) {
        DirStream folders(folder.fd(), files.data(), O_NOFOLLOW);
        if (!folders)
            continue;
        static constexpr char hex[] = "0123456789abcdef";
        for (char a : std::string_view(hex, 16)) {
            for (char b : std::string_view(hex, 16)) {
                const char name[3] = {a, b, 0};
                DirStream sub(folders.fd(), name, O_NOFOLLOW);
                removeLeftovers(sub, thumbnailWriterOf);
            }
        }
    }
}

} // namespace WallGuard
