// The wall's lock file.
#include "engine/WallLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string>

WallLock::WallLock(std::filesystem::path file)
{
    // Not through a link planted in the wall's folder: the lock file is the wall's own.
    do
        fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
}

WallLock::~WallLock()
{
    if (fd >= 0)
        ::close(fd);
}

bool WallLock::tryLock()
{
    // Without a file to lock the wall's folder cannot be written either, and the run says so
    // when its first write fails.
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
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) == 0)
        (void)pwrite(fd, pid.data(), pid.size(), 0);
    return true;
}

pid_t WallLock::holder() const
{
    if (fd < 0)
        return 0;
    char text[32];
    const ssize_t n = pread(fd, text, sizeof text, 0);
    if (n <= 0)
        return 0;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(text, text + n, pid);
    return error == std::errc() && end != text && pid > 0 ? pid : 0;
}
