// What says a file is still the one that was read.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>

/// A file replaced, rewritten or grown while it was read differs in identity, size or one of its
/// times (the change time cannot be set back): a photo's or a video's work compares the file
/// before and after, and leaves a file that changed for the next run; the wall's stamp tells by
/// it whether the wall's files are still the ones written.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t size = 0;
    timespec modified{};
    timespec changed{};

    /// The state of a regular file; nothing when it is gone or something else.
    static std::optional<FileState> of(const std::filesystem::path& file)
    {
        struct stat st{};
        if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return std::nullopt;
        return FileState{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }

    friend bool operator==(const FileState& a, const FileState& b)
    {
        return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified.tv_sec == b.modified.tv_sec
               && a.modified.tv_nsec == b.modified.tv_nsec && a.changed.tv_sec == b.changed.tv_sec
               && a.changed.tv_nsec == b.changed.tv_nsec;
    }
};
