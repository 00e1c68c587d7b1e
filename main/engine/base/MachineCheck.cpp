// Probing descriptors, memory and the wall's disk after a photo failed.
#include "engine/base/MachineCheck.h"

#include "engine/base/JobErrors.h"
#include "engine/base/UniqueFd.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

/// What making one photo's JPEGs takes at most, beside the decoder's own memory: the photo,
/// two temporary JPEGs and a few the libraries open for themselves.
constexpr int descriptorsNeeded = 6;
/// The address space an ordinary photo's decode needs (a 12-megapixel HEIC's planes and pixels).
constexpr std::size_t memoryNeeded = std::size_t(256) << 20;
/// The address space one worker may come to hold while it makes an ordinary photo's JPEGs: its
/// stack, its allocator's arena and the decoder's planes and pixels. GLib ends the process when
/// an allocation fails, so this is asked before, not learned after.
constexpr std::uint64_t memoryPerWorker = std::uint64_t(384) << 20;
/// Below this much free space no preview fits; the probe file is a thumbnail's size.
constexpr unsigned long long roomNeeded = 1ull << 20;
constexpr std::size_t probeBytes = 64 << 10;

[[noreturn]] void outOfResources(int error)
{
    throw JobError(JobErrorTexts::outOfResources, {}, error);
}

[[noreturn]] void wallFailed(const fs::path& wall, int error)
{
    throw JobError(JobErrorTexts::wallUnwritable, {wall.string()}, error);
}

bool isMachineFault(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EROFS || error == EIO || error == EMFILE || error == ENFILE
           || error == ENOMEM;
}

void checkDescriptors()
{
    std::array<UniqueFd, descriptorsNeeded> held;
    for (UniqueFd& fd : held) {
        fd = UniqueFd(::open("/", O_PATH | O_CLOEXEC));
        if (!fd && (errno == EMFILE || errno == ENFILE || errno == ENOMEM))
            outOfResources(errno);
    }
}

void checkMemory()
{
    // Reserved, never touched: what counts against an address-space limit, without taking
    // memory from anyone.
    void* block = ::mmap(nullptr, memoryNeeded, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED)
        outOfResources(ENOMEM);
    ::munmap(block, memoryNeeded);
}

void checkDisk(const fs::path& wall)
{
    struct statvfs fsInfo{};
    if (::statvfs(wall.c_str(), &fsInfo) != 0) {
        if (isMachineFault(errno))
            wallFailed(wall, errno);
        return; // the folder is gone or blocked: that is told where it is written
    }
    if (fsInfo.f_flag & ST_RDONLY)
        wallFailed(wall, EROFS);
    if (static_cast<unsigned long long>(fsInfo.f_bavail) * fsInfo.f_frsize < roomNeeded
        || (fsInfo.f_files > 0 && fsInfo.f_favail == 0))
        wallFailed(wall, ENOSPC);
    // A file no one can see, gone with its descriptor: quotas and I/O errors show only in a write.
    UniqueFd probe(::open(wall.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!probe) {
        if (isMachineFault(errno))
            wallFailed(wall, errno);
        return; // a file system without unnamed files, or a folder that is not one
    }
    const std::string bytes(probeBytes, '\0');
    if (!writeAll(probe.get(), bytes) && isMachineFault(errno))
        wallFailed(wall, errno);
    if (probe.close() != 0 && isMachineFault(errno))
        wallFailed(wall, errno);
}

} // namespace

namespace MachineCheck {

void afterFailure(const fs::path& wall)
{
    checkDescriptors();
    checkMemory();
    checkDisk(wall);
}

int workersThatFit(int jobs)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return jobs;
    std::uint64_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const std::uint64_t used = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t room = limit.rlim_cur > used ? limit.rlim_cur - used : 0;
    const std::uint64_t fit = room / memoryPerWorker;
    if (fit == 0)
        outOfResources(ENOMEM);
    return jobs == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(jobs), fit));
}

} // namespace MachineCheck
