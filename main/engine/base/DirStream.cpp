// Directory streams.
#include "engine/base/DirStream.h"

#include "engine/base/UniqueFd.h"

#include <fcntl.h>

#include <utility>

DirStream::DirStream(const std::filesystem::path& folder, int extraFlags)
{
    // open() first, so that the flags (O_NOFOLLOW) apply; fdopendir then owns the descriptor.
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | extraFlags));
    if (fd && (stream = fdopendir(fd.get())))
        fd.release();
}

DirStream::DirStream(int parent, const char* name, int extraFlags)
{
    UniqueFd fd(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | extraFlags));
    if (fd && (stream = fdopendir(fd.get())))
        fd.release();
}

DirStream::DirStream(DirStream&& other) noexcept : stream(std::exchange(other.stream, nullptr)) {}

DirStream& DirStream::operator=(DirStream&& other) noexcept
{
    std::swap(stream, other.stream);
    return *this;
}

DirStream::~DirStream()
{
    if (stream)
        closedir(stream);
}

const dirent* DirStream::next()
{
    if (!stream)
        return nullptr;
    while (const dirent* e = readdir(stream)) {
        const char* n = e->d_name;
        if (!(n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))))
            return e;
    }
    return nullptr;
}

int DirStream::fd() const
{
    return stream ? dirfd(stream) : -1;
}
