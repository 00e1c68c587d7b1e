// Whole-file writes by temporary file and rename.
#include "engine/base/AtomicFile.h"

#include "engine/base/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace AtomicFile {
namespace {

JobError failure(const std::filesystem::path& file, int error)
{
    return JobError(JobErrorTexts::writeFailed, {file.string()}, error);
}

/// The process's umask, read without changing it: umask() can only be asked by setting it, and
/// a file another thread creates while it is 0 would be writable by everyone. The kernel says
/// it in /proc; where it does not, the usual 022 is the safe guess.
mode_t readUmask()
{
    std::FILE* status = std::fopen("/proc/self/status", "re");
    if (!status)
        return 022;
    unsigned mask = 022;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "Umask: %o", &mask) == 1)
            break;
    }
    std::fclose(status);
    return static_cast<mode_t>(mask & 0777);
}

/// The user's umask as it was when the first file was written; nothing in the program changes it.
mode_t userUmask()
{
    static const mode_t mask = readUmask();
    return mask;
}

} // namespace

std::optional<JobError> write(const std::filesystem::path& target, std::string_view bytes)
{
    // The process id in the name tells a later run which temporary files a killed writer left.
    std::string temp = (target.parent_path() / ("." + target.filename().string() + "." + std::to_string(getpid()) + ".XXXXXX")).string();
    UniqueFd fd(mkostemp(temp.data(), O_CLOEXEC));
    if (!fd)
        return failure(target, errno);
    // mkstemp creates the file readable by its owner only; a wall is meant to be shared like
    // any other document, so give it the usual permissions under the user's umask.
    fchmod(fd.get(), 0666 & ~userUmask());
    int error = 0;
    if (!writeAll(fd.get(), bytes) || fsync(fd.get()) != 0)
        error = errno;
    if (fd.close() != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temp.c_str());
        return failure(target, error);
    }
    return std::nullopt;
}

std::optional<std::string> read(const std::filesystem::path& file)
{
    // Non-blocking, or a pipe planted under the file's name would hold the run forever waiting
    // for a writer; it is no regular file and is refused below anyway.
    const UniqueFd fd(open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return std::nullopt;
    struct stat st{};
    const bool known = fstat(fd.get(), &st) == 0;
    if (known && !S_ISREG(st.st_mode))
        return std::nullopt;
    std::string bytes;
    if (known && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    while (true) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

} // namespace AtomicFile
