// Which of the walked photos a run does again, and which stand as the wall remembers them.
#pragma once

#include "engine/cache/ProgressCache.h"

#include <string>
#include <unordered_set>
#include <vector>

struct ReuseTest {
    std::vector<FileEntry> todo;             ///< in the entries' order
    std::unordered_set<std::string> changed; ///< of todo, the photos replaced or edited since their record was made
    std::size_t reused = 0;                  ///< entries whose records stand
    bool adoptedStamps = false;              ///< some of those records were given their file's stamp
    /// By their index, in order, the entries done again and those reused whose records are of
    /// videos or live photos: of the entries, the only ones that may want a playable copy.
    std::vector<std::size_t> mayPlay;
};

/// The reuse test of every entry, on two threads where there are two to be had: on a large
/// wall's update, each of its lookups waits on memory, and the test takes a good part of it.
/// `wall` has listed every folder the test needs (WallIndex::listFor). With `inOrder`, the map's
/// records in the order of their paths, entries in that order find theirs by going through it
/// alongside, reading memory in the order it was filled, and the others by looking them up.
ReuseTest testReuse(const std::vector<FileEntry>& entries, CacheMap& map, ProgressCache::WallIndex& wall,
                    ProgressCache::Wanted wanted, const CacheInOrder& inOrder = {});
