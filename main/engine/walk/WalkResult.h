// What the walk found, and where it could not look.
#pragma once

#include "engine/walk/FileEntry.h"

#include <cstdint>
#include <string>
#include <vector>

struct WalkResult {
    std::vector<FileEntry> entries;
    /// Folders (relative paths, no trailing "/") that exist but could not be read: the photos
    /// in them are unknown, not gone.
    std::vector<std::string> unreadableFolders;
    /// The source itself could not be read.
    bool rootUnreadable = false;
    /// Folders and photos left out because their path is longer than the system allows.
    std::int64_t tooLong = 0;
};
