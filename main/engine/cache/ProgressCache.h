// The progress cache: reading and saving it, and the reuse test and pruning, which decide what a
// run processes again.
#pragma once

#include "engine/cache/CacheRecord.h"
#include "engine/walk/FileEntry.h"
#include "engine/cache/ThumbIndex.h"
#include "engine/wall/WallPaths.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ProgressCache {

/// The cache file's map, or nothing when it is missing, unreadable or of the wrong shape.
/// With `inOrder`, also its records in the order of their paths (CacheFormat::parse).
std::optional<CacheMap> readCache(const std::filesystem::path& cacheFile, CacheInOrder* inOrder = nullptr);
/// The same, or the empty map.
CacheMap loadCache(const std::filesystem::path& cacheFile);
/// Atomic replace; failures are swallowed.
void saveCache(const std::filesystem::path& cacheFile, const CacheMap& map);

/// Whether the entry can be skipped: its record matches and its thumbnail exists.
/// The thumbnails' existence is learned from `thumbs`, which lists each of their folders once.
bool canReuse(const FileEntry& entry, const CacheMap& map, ThumbIndex& thumbs);
/// The wall's folders of JPEGs and clips, each listed once on first need.
struct WallIndex {
    ThumbIndex thumbs;
    ThumbIndex previews;
    ThumbIndex full;
    ThumbIndex clips;
    /// The indexes of `wall`'s folders, none listed yet.
    static WallIndex of(const WallPaths& wall);
    /// Lists, now, every folder the reuse test of `map`'s records may look into.
    void listFor(const CacheMap& map);
};
/// What the run makes of photos whose records lack it.
struct Wanted {
    bool previews = false; ///< a photo that wants a preview and has none is done again
    bool copies = false;   ///< a photo browsers show that has no screen-size copy is done again, one they cannot show and larger than a preview without its full-size copy
};
/// What the reuse test makes of one entry, which it looks up once.
enum class Verdict {
    reused,
    /// Reused, and its record, written before records kept the file's stamp, now has the stamp
    /// the walk sees: the first run after an upgrade does not read the whole library again, and
    /// an edit in place after it is told. The map changed.
    reusedStampAdopted,
    redo,
    /// Done again, and the map holds a record of it made when its size or time were different:
    /// the photo was replaced or edited since, and its old thumbnail shows something else.
    redoChanged,
};
/// An entry's verdict, with what its record says of its media.
struct Tested {
    Verdict verdict;
    std::int64_t flags = 0; ///< the media flags of the entry's record; 0 without one
};
/// The reuse test as above, where a record that has a preview or a copy also needs its file in
/// `previews`, a motion photo its clip in `clips`, and what is wanted and missing is done again;
/// then the stamp adopted or a changed photo told. `record` is the entry's record in the map,
/// found by the caller; nullptr for none. Changes that record only. Safe on several threads at
/// once, for different entries, after `wall.listFor(map)`.
Tested test(const FileEntry& entry, CacheRecord* record, WallIndex& wall, Wanted wanted);
/// Whether the map holds a well-formed record made from the file as it is now.
bool holdsRecordOf(const FileEntry& entry, const CacheMap& map);
/// Keeps only the records of the run's entries, and those inside folders the walk could not
/// read (their photos are unknown, not gone).
void prune(CacheMap& map, const std::vector<FileEntry>& entries, const std::vector<std::string>& unreadableFolders = {});

} // namespace ProgressCache
