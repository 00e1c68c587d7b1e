// The wall's lock file.
#include "engine/wall/WallLock.h"

#include "engine/base/JobErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string>

namespace {

/// Whether an open lock file is one a lock can be trusted on: a plain file under that one name.
/// A second name (a hard link) would let the holder's pid overwrite another file.
bool plainFile(int fd)
{
    struct stat st{};
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
}

/// The lock file, made when missing; -1 when the folder takes no file. Anything else under the
/// name (a folder, a link, a pipe, a second name of another file) is refused: a lock taken on
/// it would lock nothing, or through a link the lock of another place, and two runs would both
/// write the wall.
int openLockFile(const std::filesystem::path& file)
{
    int fd;
    // Not through a link, and never waiting on a pipe planted under the name.
    do
        fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    struct stat st{};
    if (fd < 0 && lstat(file.c_str(), &st) != 0)
        return -1; // nothing there and nothing can be made: the folder takes no writes at all
    if (fd < 0 || !plainFile(fd)) {
        if (fd >= 0)
            ::close(fd);
        throw JobError(JobErrorTexts::lockRefused, {file.string()});
    }
    return fd;
}

} // namespace

WallLock::WallLock(std::filesystem::path file_) : file(std::move(file_)) {}

WallLock::~WallLock()
{
    if (fd < 0)
        return;
    // Removed while still locked, so that no other writer can lock the name in between.
    if (held)
        ::unlink(file.c_str());
    ::close(fd);
}

bool WallLock::tryLock()
{
    if (held)
        return true;
    // A file locked by us but removed by the writer before us (who let go of it) locks nothing
    // any more: try again on the file now under the name.
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (fd < 0)
            fd = openLockFile(file);
        if (fd < 0)
            return true;
        struct flock lock{};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        int result;
        do
            result = fcntl(fd, F_OFD_SETLK, &lock);
        while (result != 0 && errno == EINTR);
        if (result != 0)
            return errno != EAGAIN && errno != EACCES; // taken; anything else: no locks here
        struct stat mine{};
        struct stat named{};
        if (fstat(fd, &mine) == 0 && stat(file.c_str(), &named) == 0 && mine.st_dev == named.st_dev
            && mine.st_ino == named.st_ino) {
            held = true;
            const std::string pid = std::to_string(getpid()) + "\n";
            if (ftruncate(fd, 0) == 0)
                (void)pwrite(fd, pid.data(), pid.size(), 0);
            return true;
        }
        ::close(fd);
        fd = -1;
    }
    return true;
}

pid_t WallLock::holder() const
{
    // The file now under the name: the one this object has open may be an earlier holder's.
    const int named = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (named < 0)
        return 0;
    char text[32];
    const ssize_t n = pread(named, text, sizeof text, 0);
    ::close(named);
    if (n <= 0)
        return 0;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(text, text + n, pid);
    return error == std::errc() && end != text && pid > 0 ? pid : 0;
}
