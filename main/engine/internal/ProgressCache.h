// The progress cache's reuse test and pruning, which decide what a run processes again.
#pragma once

#include "engine/CacheRecord.h"
#include "engine/FileEntry.h"
#include "engine/internal/ThumbIndex.h"

#include <vector>

namespace ProgressCache {

/// Whether the entry can be skipped: its record matches and its thumbnail exists.
/// The thumbnails' existence is learned from `thumbs`, which lists each of their folders once.
bool canReuse(const FileEntry& entry, const CacheMap& map, ThumbIndex& thumbs);
/// Keeps only the records of the run's entries.
void prune(CacheMap& map, const std::vector<FileEntry>& entries);

} // namespace ProgressCache
