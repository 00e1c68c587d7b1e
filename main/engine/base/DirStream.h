// A folder's entries read through one open directory stream, closed with its owner.
#pragma once

#include <dirent.h>

#include <filesystem>

class DirStream {
public:
    /// Opens the folder; `extraFlags` go to open() beside O_RDONLY | O_DIRECTORY | O_CLOEXEC
    /// (O_NOFOLLOW for a folder that must not be reached through a link). Check with bool.
    explicit DirStream(const std::filesystem::path& folder, int extraFlags = 0);
    /// Opens the folder `name` inside the open folder `parent`, so that no link on the way is followed
    /// when every step passes O_NOFOLLOW.
    DirStream(int parent, const char* name, int extraFlags = 0);
    DirStream(DirStream&& other) noexcept;
    DirStream& operator=(DirStream&& other) noexcept;
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;
    ~DirStream();

    explicit operator bool() const noexcept { return stream != nullptr; }
    /// The next entry other than "." and ".."; nullptr at the end or when the folder is not open.
    /// The entry stays valid until the next call.
    const dirent* next();
    /// The open folder's descriptor, for the *at() calls on its entries.
    int fd() const;

private:
    DIR* stream = nullptr;
};
