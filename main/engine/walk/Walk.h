// The walk: every photo and video below a source folder, with what it could not read.
#pragma once

#include "engine/walk/FileEntry.h"
#include "engine/walk/WalkResult.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

/// What one walk needs to know.
struct WalkSettings {
    std::filesystem::path root;   ///< the folder walked
    std::filesystem::path wall;   ///< the wall's folder, never walked into (nor its own folders)
    /// Asked at every item; the walk then throws JobCancelled.
    std::function<bool()> cancelled;
    /// Told how many photos were found so far, on the thread that called walk().
    std::function<void(std::int64_t found)> onFound;
    /// How long a folder may keep a read waiting before it is left behind, named as unread.
    std::chrono::milliseconds stallLimit = std::chrono::minutes(5);
    /// How long a stop waits for a read in progress before the walk ends without it.
    std::chrono::milliseconds stopLimit = std::chrono::seconds(1);
    /// About how many photos the walk will find, rather more than fewer: its list is made that
    /// large at once. A list that grows copies itself into fresh memory each time it doubles,
    /// which on a large drive costs a good part of the walk; room set aside and never filled
    /// costs no memory.
    std::size_t expectedPhotos = 0;
};

/// Walks `root`; throws JobCancelled when stopped.
WalkResult walk(const WalkSettings& settings);
/// The walk's photos alone.
std::vector<FileEntry> scan(const WalkSettings& settings);
